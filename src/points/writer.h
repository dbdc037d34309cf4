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
// The new content goes into a file beside the target and replaces it only
// once it is complete, so a full disk or a lost connection in the middle of a
// save leaves the former point file as it was. Where replacing would show
// (a link, a file of several names, of another owner, or no plain file at
// all) or nothing can be created beside it, the file is rewritten in place.
void WritePointFile(const std::string& file_name, const PointTable& P);

}  // namespace zelmaro
