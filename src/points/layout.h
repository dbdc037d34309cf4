#pragma once
// How the lines of a survey file are laid out: what separates the fields and
// which field holds what. Surveyors' instruments and office programs write
// their points in many such layouts; the program's own point file is one of
// them (blanks, number, code, easting, northing, height).
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelmaro {

enum class Separator {
  Auto,       // found from the file's first lines
  Space,      // one or more blanks; the tab is part of a field
  Semicolon,  // each ";" ends a field, blanks around a field are dropped
  Comma,      // as ";"; the numbers then use "." alone
  Tab,        // as ";"
};

enum class Column : char {
  Number = 'P',  // point number; without it, points are numbered 1, 2, ...
  Code = 'C',    // without it, code 0 (terrain)
  East = 'E',    // Y
  North = 'N',   // X
  Height = 'Z',
  Skip = '-',    // a field that is not read
};

struct ImportLayout {
  Separator separator = Separator::Auto;
  std::vector<Column> columns;  // empty: found from the file's first lines
  friend bool operator==(const ImportLayout&, const ImportLayout&) = default;
};

// The program's own point file, read exactly as it always was.
ImportLayout PointFileLayout();
bool IsPointFileLayout(const ImportLayout& layout);

// Names as the command line and the settings write them: auto, space,
// semicolon, comma, tab. Parse returns false for any other text.
const char* SeparatorName(Separator s);
bool ParseSeparator(std::string_view text, Separator& s);
// German, for the window and the notes: "Leerzeichen", "Semikolon", ...
const char* SeparatorLabel(Separator s);

// "P,C,E,N,Z". Parse also takes Y for E, X for N, H for Z and D for C (as
// in PNEZD), in either case, and "-" for a field to pass over. It wants the
// three coordinates, each column at most once (but "-"), and gives a German
// reason when the text is no column order.
std::string ColumnsText(const std::vector<Column>& columns);
bool ParseColumns(std::string_view text, std::vector<Column>& columns, std::string& reason);

// What the first lines of a file say about its layout.
struct DetectedLayout {
  ImportLayout layout;        // separator and columns both filled
  bool decimal_comma = false;  // its numbers are written with ","
  bool header = false;         // its first line names the columns
  std::string signature;       // the same for files of the same layout
};
// From the beginning of a file (its first few kilobytes will do). A file
// whose lines hold blank-separated fields with an integer code in the
// second is the program's own point file.
DetectedLayout DetectLayout(std::string_view head);

// The separator and columns the file is to be read with: what was asked,
// and what was left to Auto or empty taken from the file's first lines.
ImportLayout ResolveLayout(const ImportLayout& asked, std::string_view bytes);

// What reading a file did besides reading points, for the user.
struct ReadReport {
  static constexpr size_t kListed = 5;  // line numbers named per kind

  ImportLayout layout;  // the one used
  bool byte_order_mark = false;
  bool cr_line_ends = false;
  size_t no_coordinates = 0;              // lines without a number where the point needs one
  std::vector<size_t> no_coordinates_at;  // the first kListed of them, counted from 1
  size_t blank = 0;
  std::vector<size_t> blank_at;
  size_t comments = 0;  // lines beginning with "#" or "//"
  size_t points = 0;
  bool binary = false;  // a byte 0 in the file: no text at all

  // True when something holds lines but none of them gave a point.
  bool NotAPointFile() const { return binary || (points == 0 && no_coordinates > 0); }
  // German, one line; empty when the file was read as it stands.
  std::string Note() const;
};

}  // namespace zelmaro
