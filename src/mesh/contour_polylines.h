#pragma once
// The contour segments of a mesh joined into polylines, for drawings that
// want lines rather than loose segments (DXF, the PDF report).
#include <cstdint>
#include <vector>

#include "mesh/delaunay.h"

namespace Delaunay {

struct ContourPolyline {
  int32_t level = 0;            // index into Levels
  std::vector<int32_t> points;  // indexes into Points, in drawing order
  // The line returns from its last point to its first; that point is not
  // repeated at the end.
  bool closed = false;
};

// The segments of every level, in their stored order, joined wherever one
// segment ends at the point index where the next one starts. Every segment
// is in exactly one polyline (as the step between two neighbouring points,
// or from the last point back to the first of a closed one), so the
// polylines draw exactly the segments the plot draws.
std::vector<ContourPolyline> ContourPolylines(const TContourSetup& c);

}  // namespace Delaunay
