#pragma once
// The point file writer: the points of the table in the layout the reader
// takes back, one line per point.
#include <string>

#include "points/point_table.h"

namespace zelmaro {

// "%16d %5d %12.3f %12.3f %10.3f" of NR, Code, Y, X, Z: 59 characters while
// every value fits its width, coordinates rounded to millimetres.
std::string PointFileLine(const TPunkt& p);

// Writes P[1 .. High(P)] to the named file, CR LF after every line, in the
// order of the table. Failures throw EInOutError with the user's report.
//
// The point file is replaced whole or not at all (AtomicFile, keeping the
// file: a link is followed, a file of several names or another owner keeps
// them), so a full disk or a lost connection in the middle of a save leaves
// the former point file as it was. What is no regular file is refused.
void WritePointFile(const std::string& file_name, const PointTable& P);

}  // namespace zelmaro
