#pragma once
// The point file reader. A point file has one point per line: number, code,
// easting Y, northing X, height Z, separated by blanks. Reading is lenient: a
// malformed or missing field reads as 0 and no line is rejected.
#include <string>
#include <string_view>

#include "points/layout.h"
#include "points/point_table.h"
#include "text/textfile.h"

namespace zelmaro {

// Take the first field off the rest of a line and convert it; 0 when the
// field is no number of its kind. GetFloat reads the field's first comma as
// a decimal point.
int32_t GetInt(std::string& Satz);
double GetFloat(std::string& Satz);
int32_t GetInt(std::string_view& Satz);
double GetFloat(std::string_view& Satz);

// What the reader takes at most. A point costs its 40 bytes in the table
// besides its line in the file's bytes, both held while reading; the bounds
// keep a read below about 2 GB and far above any survey.
inline constexpr size_t kMaxPointFileBytes = size_t{1} << 30;
inline constexpr size_t kMaxPointFileLines = 25'000'000;

// Reads the named point file into P. Anything but Ok changes nothing: the
// file is missing, a folder, cannot be opened, is no regular file (never
// opened, so a FIFO cannot block), is beyond the bounds above, or holds no
// line that gives a point (NotPointFile). With Ok, P is reset to slot 0 and
// gets one record per line that holds a number where the point needs one
// (see ParsePointFile); the caller then refits the view (SetMinMaxOffset).
// A read error after opening throws EInOutError, a failed allocation
// std::bad_alloc, both with P unchanged. The report, when asked for, says
// what was passed over.
ReadResult ReadPointFile(const std::string& file_name, const ImportLayout& layout, PointTable& P,
                         ReadReport* report);
// The same in the layout found from the file's first lines.
ReadResult ReadPointFile(const std::string& file_name, PointTable& P);
// The same, true for Ok.
bool LiesPunkte(const std::string& file_name, PointTable& P);

// Why a point file was not read, in German; empty for Ok.
std::string ReadFailureMessage(ReadResult result, const std::string& file_name);

// The same on bytes already in memory (the file's content). Throws
// ELimitError, P unchanged, beyond kMaxPointFileLines. Reading is lenient
// (a malformed field reads as 0), but a line is no point when its number
// and all three coordinates hold no number at all (a header line, a line of
// words), nor when it is blank or a comment ("#", "//"). A UTF-8 byte order
// mark is passed over, and a file without LF but with CR is split at CR.
// When no line gives a point but some hold anything (or the bytes are no
// text), P stays as it was and the report says NotAPointFile.
void ParsePointFile(std::string_view bytes, const ImportLayout& layout, PointTable& P,
                    ReadReport* report);
void ParsePointFile(std::string_view bytes, PointTable& P);

}  // namespace zelmaro
