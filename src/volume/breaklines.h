#pragma once
// Breaklines ("Bruchkanten"): polylines through points of the point file
// (ridges, ditches, toe and crest of an embankment) that the triangulation
// must follow.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "mesh/delaunay.h"
#include "points/point_table.h"

namespace zelmaro {

struct Breaklines {
  std::vector<std::vector<int32_t>> lines;  // point numbers, in order along each line
};

// One line per breakline, its point numbers separated by blanks (or commas);
// empty lines and lines beginning with "#" are skipped. Throws ELimitError
// for a field that is no point number and a line of a single point.
Breaklines ParseBreaklinesText(const std::string& text);
Breaklines ReadBreaklinesFile(const std::string& file_name);

// Where two breaklines cross: a point of its own, its height interpolated
// along the first of the two lines.
struct BreaklineCrossing {
  int32_t NR = 0;
  double X = 0, Y = 0, Z = 0;
  int32_t line1 = 0, line2 = 0;  // 1-based, in the order of the file
  // Added to the point table: when both lines lie in one horizon. A crossing
  // of lines of no common horizon constrains nothing.
  bool added = false;
};

struct PreparedBreaklines {
  // Segments as point-table slots, each line split at its crossings.
  std::vector<std::pair<int32_t, int32_t>> segments;
  std::vector<BreaklineCrossing> crossings;
  uint64_t digest = 0;  // of the segments and crossing points; 0 for none
};

// Finds each number's point (the first of that number) and the crossings,
// and appends the crossing points to the table, numbered on from the
// highest number in it, code 1 where all four ends are reference points,
// else 0. Throws ELimitError for a number not in the table.
PreparedBreaklines PrepareBreaklines(PointTable& P, const Breaklines& b);

// The segments whose both ends are vertices of this mesh, as vertex slots:
// a breakline constrains only the horizons that hold both ends.
std::vector<std::pair<int32_t, int32_t>> MeshSegments(
    const Delaunay::TDelaunay& mesh, const std::vector<std::pair<int32_t, int32_t>>& segments);

}  // namespace zelmaro
