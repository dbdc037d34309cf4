#include "points/reader.h"

#include <cstring>

#include "text/convert.h"
#include "text/textfile.h"

namespace zelmaro {

namespace {
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
  ResetToSlotZero(P);
  // One record per line: counting the line ends first spares the table its
  // doubling copies on large files.
  size_t line_ends = 0;
  for (const char* c = bytes.data(); (c = static_cast<const char*>(
           std::memchr(c, '\n', static_cast<size_t>(bytes.data() + bytes.size() - c))));
       ++c)
    ++line_ends;
  P.reserve(line_ends + 2);
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

bool LiesPunkte(const std::string& file_name, PointTable& P) {
  std::string bytes;
  if (ReadWholeFile(file_name, bytes) != ReadResult::Ok) return false;
  ParsePointFile(bytes, P);
  return true;
}

}  // namespace zelmaro
