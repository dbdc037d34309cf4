#include "points/reader.h"

#include <cstring>
#include <filesystem>

#include "text/convert.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/textfile.h"

namespace zelmaro {

namespace {
std::string TooLargeMessage() {
  return Format("gelesen werden Punktdateien bis %zu MB und %zu Zeilen.",
                kMaxPointFileBytes >> 20, kMaxPointFileLines);
}

std::string_view TakeField(std::string_view& satz) {
  size_t b = 0;
  while (b < satz.size() && satz[b] == ' ') ++b;
  satz.remove_prefix(b);
  size_t blank = satz.find(' ');
  std::string_view field;
  if (blank == std::string_view::npos) {
    field = satz;
    satz = std::string_view();
  } else {
    field = satz.substr(0, blank);
    satz.remove_prefix(blank);
    size_t k = 0;
    while (k < satz.size() && satz[k] == ' ') ++k;
    satz.remove_prefix(k);
  }
  return field;
}
}  // namespace

int32_t GetInt(std::string_view& Satz) {
  std::string_view field = TakeField(Satz);
  int32_t v = 0;
  return TryStrToInt(field, v) ? v : 0;
}

double GetFloat(std::string_view& Satz) {
  std::string_view field = TakeField(Satz);
  double v = 0;
  size_t comma = field.find(',');
  if (comma == std::string_view::npos) return TryStrToFloat(field, v) ? v : 0;
  std::string copy(field);
  copy[comma] = '.';
  return TryStrToFloat(copy, v) ? v : 0;
}

int32_t GetInt(std::string& Satz) {
  std::string_view view(Satz);
  int32_t v = GetInt(view);
  Satz.erase(0, Satz.size() - view.size());
  return v;
}

double GetFloat(std::string& Satz) {
  std::string_view view(Satz);
  double v = GetFloat(view);
  Satz.erase(0, Satz.size() - view.size());
  return v;
}

void ParsePointFile(std::string_view bytes, PointTable& P) {
  // One record per line: counting the lines first spares the table its
  // doubling copies on large files, and bounds it before anything is
  // reserved. Only the lines before a 0x1A count, which are the points.
  const void* eof = std::memchr(bytes.data(), 0x1A, bytes.size());
  if (eof) bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(eof) - bytes.data()));
  size_t line_ends = 0;
  for (const char* c = bytes.data(); (c = static_cast<const char*>(
           std::memchr(c, '\n', static_cast<size_t>(bytes.data() + bytes.size() - c))));
       ++c)
    ++line_ends;
  // A last line without its line end is a point too.
  const size_t points = line_ends + (!bytes.empty() && bytes.back() != '\n');
  if (points > kMaxPointFileLines)
    throw ELimitError("Die Punktdatei ist zu groß: " + TooLargeMessage());
  ResetToSlotZero(P);
  P.reserve(points + 1);
  PointFileLines lines(bytes);
  while (!lines.Eof()) {
    std::string_view satz = lines.Next();
    TPunkt& p = P.emplace_back();
    p.NR = GetInt(satz);
    p.Code = CodeFromInt(GetInt(satz));
    p.Y = GetFloat(satz);
    p.X = GetFloat(satz);
    p.Z = GetFloat(satz);
  }
}

ReadResult ReadPointFile(const std::string& file_name, PointTable& P) {
  std::string bytes;
  const ReadResult result = ReadWholeFile(file_name, bytes, kMaxPointFileBytes);
  if (result != ReadResult::Ok) return result;
  // Into a table of its own, so that a failure leaves the former one.
  PointTable fresh;
  try {
    ParsePointFile(bytes, fresh);
  } catch (const ELimitError&) {
    return ReadResult::TooLarge;
  }
  P.swap(fresh);
  return ReadResult::Ok;
}

bool LiesPunkte(const std::string& file_name, PointTable& P) {
  return ReadPointFile(file_name, P) == ReadResult::Ok;
}

std::string ReadFailureMessage(ReadResult result, const std::string& file_name) {
  const std::string name = "'" + file_name + "'";
  switch (result) {
    case ReadResult::Ok: return "";
    case ReadResult::Missing:
      if (file_name.empty()) return "Es ist keine Punktdatei angegeben.";
      // Without the error code a name too long or a folder on the way that
      // may not be searched would throw here, with an English text.
      if (std::error_code ec; std::filesystem::is_directory(file_name, ec))
        return name + " ist ein Ordner und keine Punktdatei.";
      return "Die Punktdatei " + name + " gibt es nicht.";
    case ReadResult::Unopenable:
      return "Die Punktdatei " + name + " lässt sich nicht öffnen (Dateizugriff verweigert).";
    case ReadResult::NotRegular:
      return name +
             " ist keine gewöhnliche Datei (etwa ein Gerät oder eine Pipe) und wird nicht als "
             "Punktdatei gelesen.";
    case ReadResult::TooLarge: return "Die Punktdatei " + name + " ist zu groß: " + TooLargeMessage();
  }
  return "";
}

}  // namespace zelmaro
