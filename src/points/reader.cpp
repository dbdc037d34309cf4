#include "points/reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "points/fields.h"
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

namespace {

// The line numbers of a kind of skipped line: how many, and the first few.
void Count(size_t line, size_t& count, std::vector<size_t>& at) {
  if (at.size() < ReadReport::kListed) at.push_back(line);
  ++count;
}

// Whether the line is passed over rather than read as a point. The blanks
// before its first field are passed over once, here.
bool Skipped(std::string_view& satz, size_t line, ReadReport& report) {
  const size_t n = satz.size();
  size_t b = 0;
  while (b < n && satz[b] == ' ') ++b;
  // A tab is part of the first field in the program's own layout, and where
  // it separates, an empty field before it keeps its place.
  size_t c = b;
  while (c < n && (satz[c] == ' ' || satz[c] == '\t')) ++c;
  if (c == n) {
    Count(line, report.blank, report.blank_at);
    return true;
  }
  if (satz[c] == '#' || (satz[c] == '/' && c + 1 < n && satz[c + 1] == '/')) {
    ++report.comments;
    return true;
  }
  satz.remove_prefix(b);
  return false;
}

// The program's own point file: the fields taken off the line one by one,
// as always, and the line only tested for whether any of them was a number.
void ParseOwnLayout(PointFileLines& lines, PointTable& P, ReadReport& report) {
  for (size_t line = 1; !lines.Eof(); ++line) {
    std::string_view satz = lines.Next();
    if (Skipped(satz, line, report)) continue;
    TPunkt p;
    bool numbers = false;
    std::string_view field = TakeField(satz);
    numbers |= TryStrToInt(field, p.NR);
    if (!numbers) p.NR = 0;
    p.Code = CodeFromInt(GetInt(satz));
    for (double* v : {&p.Y, &p.X, &p.Z}) {
      field = TakeField(satz);
      if (ReadReal(field, Separator::Space, *v))
        numbers = true;
      else
        *v = 0;
    }
    if (!numbers) {
      Count(line, report.no_coordinates, report.no_coordinates_at);
      continue;
    }
    P.push_back(p);
  }
}

void ParseLayout(PointFileLines& lines, const ImportLayout& layout, PointTable& P,
                 ReadReport& report) {
  std::vector<std::string_view> fields;
  const Separator s = layout.separator;
  const bool numbered = std::find(layout.columns.begin(), layout.columns.end(), Column::Number) !=
                        layout.columns.end();
  for (size_t line = 1; !lines.Eof(); ++line) {
    std::string_view satz = lines.Next();
    if (Skipped(satz, line, report)) continue;
    SplitFields(satz, s, fields);
    TPunkt p;
    bool numbers = false;
    for (size_t i = 0; i < layout.columns.size() && i < fields.size(); ++i) {
      const std::string_view field = fields[i];
      double v = 0;
      int32_t n = 0;
      switch (layout.columns[i]) {
        case Column::Number:
          if (TryStrToInt(field, n)) {
            p.NR = n;
            numbers = true;
          }
          break;
        case Column::Code:
          if (TryStrToInt(field, n)) p.Code = CodeFromInt(n);
          break;
        case Column::East:
        case Column::North:
        case Column::Height:
          if (ReadReal(field, s, v)) {
            numbers = true;
            (layout.columns[i] == Column::East    ? p.Y
             : layout.columns[i] == Column::North ? p.X
                                                  : p.Z) = v;
          }
          break;
        case Column::Skip: break;
      }
    }
    if (!numbers) {
      Count(line, report.no_coordinates, report.no_coordinates_at);
      continue;
    }
    // Without numbers of their own, the points are numbered as they come.
    if (!numbered) p.NR = static_cast<int32_t>(std::min<size_t>(P.size(), INT32_MAX));
    P.push_back(p);
  }
}

}  // namespace

void ParsePointFile(std::string_view bytes, const ImportLayout& asked, PointTable& P,
                    ReadReport* report_out) {
  ReadReport report;
  const FileText text = PrepareText(bytes);
  bytes = text.text;
  report.byte_order_mark = text.byte_order_mark;
  report.cr_line_ends = text.line_end == '\r';
  // One record per line at most: counting the lines first spares the table
  // its doubling copies on large files, and bounds it before anything is
  // reserved.
  size_t line_ends = 0;
  for (const char* c = bytes.data(); (c = static_cast<const char*>(std::memchr(
           c, text.line_end, static_cast<size_t>(bytes.data() + bytes.size() - c))));
       ++c)
    ++line_ends;
  // A last line without its line end is a point too.
  const size_t lines_in_file = line_ends + (!bytes.empty() && bytes.back() != text.line_end);
  if (lines_in_file > kMaxPointFileLines)
    throw ELimitError("Die Punktdatei ist zu groß: " + TooLargeMessage());
  report.layout = ResolveLayout(asked, bytes);
  PointTable fresh;
  // Text has no byte 0: a picture or a program is no point file.
  if (std::memchr(bytes.data(), 0, bytes.size())) {
    report.binary = true;
  } else {
    ResetToSlotZero(fresh);
    fresh.reserve(lines_in_file + 1);
    PointFileLines lines(bytes, text.line_end);
    if (IsPointFileLayout(report.layout))
      ParseOwnLayout(lines, fresh, report);
    else
      ParseLayout(lines, report.layout, fresh, report);
    report.points = fresh.size() - 1;
  }
  if (report_out) *report_out = report;
  if (report.NotAPointFile()) return;
  // Blank lines and the like took slots that no point holds.
  if (fresh.capacity() > fresh.size() + fresh.size() / 8 + 16) fresh.shrink_to_fit();
  P.swap(fresh);
}

void ParsePointFile(std::string_view bytes, PointTable& P) {
  ParsePointFile(bytes, ImportLayout{}, P, nullptr);
}

ReadResult ReadPointFile(const std::string& file_name, const ImportLayout& layout, PointTable& P,
                         ReadReport* report) {
  std::string bytes;
  const ReadResult result = ReadWholeFile(file_name, bytes, kMaxPointFileBytes);
  if (result != ReadResult::Ok) return result;
  ReadReport own;
  if (!report) report = &own;
  // Into a table of its own, so that a failure leaves the former one.
  PointTable fresh;
  try {
    ParsePointFile(bytes, layout, fresh, report);
  } catch (const ELimitError&) {
    return ReadResult::TooLarge;
  }
  if (report->NotAPointFile()) return ReadResult::NotPointFile;
  P.swap(fresh);
  return ReadResult::Ok;
}

ReadResult ReadPointFile(const std::string& file_name, PointTable& P) {
  return ReadPointFile(file_name, ImportLayout{}, P, nullptr);
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
    case ReadResult::NotPointFile: return name + " ist keine Punktdatei";
  }
  return "";
}

}  // namespace zelmaro
