#include "points/layout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "points/fields.h"
#include "text/convert.h"
#include "text/textfile.h"

namespace zelmaro {

namespace {

constexpr std::array<Column, 5> kPointFileColumns = {Column::Number, Column::Code, Column::East,
                                                     Column::North, Column::Height};

struct SeparatorNames {
  Separator separator;
  const char* name;
  const char* label;
};
constexpr SeparatorNames kSeparators[] = {
    {Separator::Auto, "auto", "automatisch"},      {Separator::Space, "space", "Leerzeichen"},
    {Separator::Semicolon, "semicolon", "Semikolon"}, {Separator::Comma, "comma", "Komma"},
    {Separator::Tab, "tab", "Tabulator"},
};

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// A column named in a header line; Skip for a word we do not know.
Column HeaderColumn(std::string_view word) {
  const std::string w = Lower(word);
  static const std::pair<const char*, Column> names[] = {
      {"p", Column::Number},         {"nr", Column::Number},        {"nr.", Column::Number},
      {"pnr", Column::Number},       {"pkt", Column::Number},       {"pktnr", Column::Number},
      {"punkt", Column::Number},     {"punktnr", Column::Number},   {"punktnummer", Column::Number},
      {"point", Column::Number},     {"name", Column::Number},      {"id", Column::Number},
      {"c", Column::Code},           {"code", Column::Code},        {"d", Column::Code},
      {"kennung", Column::Code},     {"art", Column::Code},         {"description", Column::Code},
      {"desc", Column::Code},        {"beschreibung", Column::Code}, {"y", Column::East},
      {"e", Column::East},           {"rechtswert", Column::East},  {"rw", Column::East},
      {"easting", Column::East},     {"east", Column::East},        {"ost", Column::East},
      {"x", Column::North},          {"n", Column::North},          {"hochwert", Column::North},
      {"hw", Column::North},         {"northing", Column::North},   {"north", Column::North},
      {"nord", Column::North},       {"z", Column::Height},         {"h", Column::Height},
      {"höhe", Column::Height},      {"hoehe", Column::Height},     {"height", Column::Height},
      {"elevation", Column::Height}, {"elev", Column::Height},
  };
  for (const auto& [name, column] : names)
    if (w == name) return column;
  // "Höhe" in Windows-1252 reads as H, 0xF6, he.
  if (w == "h\xf6he") return Column::Height;
  return Column::Skip;
}

bool HasAllCoordinates(const std::vector<Column>& columns) {
  for (Column c : {Column::East, Column::North, Column::Height})
    if (std::find(columns.begin(), columns.end(), c) == columns.end()) return false;
  return true;
}

bool IsReal(std::string_view field, Separator s) {
  double v;
  return ReadReal(field, s, v);
}

bool HasFraction(std::string_view field) {
  return field.find('.') != std::string_view::npos || field.find(',') != std::string_view::npos;
}

}  // namespace

ImportLayout PointFileLayout() {
  return {Separator::Space, {kPointFileColumns.begin(), kPointFileColumns.end()}};
}

bool IsPointFileLayout(const ImportLayout& layout) { return layout == PointFileLayout(); }

const char* SeparatorName(Separator s) {
  for (const SeparatorNames& n : kSeparators)
    if (n.separator == s) return n.name;
  return "";
}

const char* SeparatorLabel(Separator s) {
  for (const SeparatorNames& n : kSeparators)
    if (n.separator == s) return n.label;
  return "";
}

bool ParseSeparator(std::string_view text, Separator& s) {
  for (const SeparatorNames& n : kSeparators)
    if (text == n.name) {
      s = n.separator;
      return true;
    }
  return false;
}

std::string ColumnsText(const std::vector<Column>& columns) {
  std::string out;
  for (Column c : columns) {
    if (!out.empty()) out += ',';
    out += static_cast<char>(c);
  }
  return out;
}

bool ParseColumns(std::string_view text, std::vector<Column>& columns, std::string& reason) {
  std::vector<Column> out;
  while (true) {
    const size_t comma = text.find(',');
    const std::string name = Lower(Trim(text.substr(0, comma)));
    Column c;
    if (name == "p") c = Column::Number;
    else if (name == "c" || name == "d") c = Column::Code;
    else if (name == "e" || name == "y") c = Column::East;
    else if (name == "n" || name == "x") c = Column::North;
    else if (name == "z" || name == "h") c = Column::Height;
    else if (name == "-") c = Column::Skip;
    else {
      reason = "'" + name + "' ist keine Spalte (P, C, E, N, Z oder -)";
      return false;
    }
    if (c != Column::Skip && std::find(out.begin(), out.end(), c) != out.end()) {
      reason = "die Spalte " + std::string(1, static_cast<char>(c)) + " steht zweimal da";
      return false;
    }
    out.push_back(c);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  if (!HasAllCoordinates(out)) {
    reason = "die Spalten E, N und Z müssen alle vorkommen";
    return false;
  }
  columns = std::move(out);
  return true;
}

DetectedLayout DetectLayout(std::string_view head) {
  DetectedLayout d;
  const FileText text = PrepareText(head);
  PointFileLines lines(text.text, text.line_end);
  // The lines that hold something, past comments, up to a few dozen.
  std::vector<std::string_view> sample;
  while (sample.size() < 40 && !lines.Eof()) {
    const std::string_view line = lines.Next();
    if (!IsBlank(line) && !IsComment(line)) sample.push_back(line);
  }

  auto most = [&](auto&& predicate) {
    size_t n = 0;
    for (std::string_view line : sample) n += predicate(line);
    return !sample.empty() && 2 * n > sample.size();
  };
  auto has = [](char c) { return [c](std::string_view l) { return l.find(c) != l.npos; }; };
  Separator s = Separator::Space;
  if (most(has(';')))
    s = Separator::Semicolon;
  else if (most(has('\t')))
    s = Separator::Tab;
  else if (!most([](std::string_view l) { return SplitFields(l, Separator::Space).size() >= 3; }) &&
           most(has(',')))
    s = Separator::Comma;

  std::vector<std::vector<std::string_view>> rows;
  for (std::string_view line : sample) rows.push_back(SplitFields(line, s));

  // A first line without any number that names the columns.
  std::vector<Column> columns;
  if (!rows.empty() && rows[0].size() >= 3 &&
      std::none_of(rows[0].begin(), rows[0].end(), [&](std::string_view f) { return IsReal(f, s); })) {
    d.header = true;
    d.signature = "header:" + Lower(sample[0]);
    for (std::string_view word : rows[0]) columns.push_back(HeaderColumn(Trim(word)));
    // Named once each, or not taken from the header at all.
    for (Column c : {Column::Number, Column::Code, Column::East, Column::North, Column::Height})
      if (std::count(columns.begin(), columns.end(), c) > 1) columns.clear();
    if (!HasAllCoordinates(columns)) columns.clear();
    while (!columns.empty() && columns.back() == Column::Skip) columns.pop_back();
    rows.erase(rows.begin());
  }
  // The field count most lines have.
  size_t fields = 0;
  for (const auto& row : rows) {
    const size_t n = static_cast<size_t>(
        std::count_if(rows.begin(), rows.end(), [&](const auto& r) { return r.size() == row.size(); }));
    if (2 * n > rows.size()) fields = row.size();
  }
  if (columns.empty()) {
    columns.assign(kPointFileColumns.begin(), kPointFileColumns.end());
    if (fields == 3 && most([&](std::string_view l) {
          // Coordinates alone: no integer number and code before them.
          auto f = SplitFields(l, s);
          return f.size() == 3 && HasFraction(f[0]) && HasFraction(f[1]) && IsReal(f[0], s);
        })) {
      columns = {Column::North, Column::East, Column::Height};
    } else if (fields == 4 && most([&](std::string_view l) {
                 auto f = SplitFields(l, s);
                 return f.size() == 4 && HasFraction(f[1]) && IsReal(f[1], s);
               })) {
      columns = {Column::Number, Column::North, Column::East, Column::Height};
    } else if (fields >= 5 && most([&](std::string_view l) {
                 // A coordinate where the code should stand, and text or an
                 // integer at the end: number, northing, easting, height, code.
                 auto f = SplitFields(l, s);
                 return f.size() >= 5 && HasFraction(f[1]) && IsReal(f[1], s) && HasFraction(f[2]) &&
                        !(HasFraction(f[4]) && IsReal(f[4], s));
               })) {
      columns = {Column::Number, Column::North, Column::East, Column::Height, Column::Code};
    }
  }
  d.layout = {s, columns};
  if (s != Separator::Comma && d.header) sample.erase(sample.begin());
  if (s != Separator::Comma)
    d.decimal_comma = most([](std::string_view l) { return l.find(',') != l.npos; });
  if (!d.header)
    d.signature = std::string("fields:") + SeparatorName(s) + ":" + std::to_string(fields);
  return d;
}

ImportLayout ResolveLayout(const ImportLayout& asked, std::string_view bytes) {
  if (asked.separator != Separator::Auto && !asked.columns.empty()) return asked;
  const DetectedLayout d = DetectLayout(bytes.substr(0, std::min<size_t>(bytes.size(), 64 * 1024)));
  ImportLayout out = asked;
  if (out.separator == Separator::Auto) out.separator = d.layout.separator;
  if (out.columns.empty()) out.columns = d.layout.columns;
  return out;
}

namespace {
std::string Lines(size_t count, const std::vector<size_t>& at, const char* one, const char* many) {
  std::string out = std::to_string(count) + " " + (count == 1 ? one : many) + " übersprungen (" +
                    (count == 1 ? "Zeile " : "Zeilen ");
  for (size_t i = 0; i < at.size(); ++i) out += (i ? ", " : "") + std::to_string(at[i]);
  if (count > at.size()) out += ", …";
  return out + ")";
}
}  // namespace

std::string ReadReport::Note() const {
  std::vector<std::string> parts;
  if (byte_order_mark) parts.push_back("Byte-Order-Mark (UTF-8) am Dateianfang übersprungen");
  if (cr_line_ends) parts.push_back("Zeilenenden CR (ohne LF) als Zeilenenden gelesen");
  if (!IsPointFileLayout(layout))
    parts.push_back(std::string("gelesen mit Trennzeichen ") + SeparatorLabel(layout.separator) +
                    ", Spalten " + ColumnsText(layout.columns));
  if (no_coordinates > 0)
    parts.push_back(Lines(no_coordinates, no_coordinates_at, "Zeile ohne Koordinaten",
                          "Zeilen ohne Koordinaten"));
  if (blank > 0) parts.push_back(Lines(blank, blank_at, "leere Zeile", "leere Zeilen"));
  if (comments > 0)
    parts.push_back(std::to_string(comments) +
                    (comments == 1 ? " Kommentarzeile übersprungen" : " Kommentarzeilen übersprungen"));
  std::string out;
  for (const std::string& p : parts) out += (out.empty() ? "" : "; ") + p;
  return out;
}

}  // namespace zelmaro
