#pragma once
// The point file reader. A point file has one point per line: number, code,
// easting Y, northing X, height Z, separated by blanks. Reading is lenient: a
// malformed or missing field reads as 0 and no line is rejected.
#include <string>
#include <string_view>

#include "points/point_table.h"

namespace zelmaro {

// Take the first field off the rest of a line and convert it; 0 when the
// field is no number of its kind. GetFloat reads the field's first comma as
// a decimal point.
int32_t GetInt(std::string& Satz);
double GetFloat(std::string& Satz);
int32_t GetInt(std::string_view& Satz);
double GetFloat(std::string_view& Satz);

// Reads the named point file into P. Returns false, changing nothing, when
// the file is missing, is a folder or cannot be opened. Otherwise P is reset
// to slot 0 and gets one record per line, and the result is true; the caller
// then refits the view (SetMinMaxOffset). A read error after opening throws
// EInOutError with P unchanged.
bool LiesPunkte(const std::string& file_name, PointTable& P);

// The same on bytes already in memory (the file's content).
void ParsePointFile(std::string_view bytes, PointTable& P);

}  // namespace zelmaro
