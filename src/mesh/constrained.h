#pragma once
// Breaklines in a finished triangulation: each segment is forced in as an
// edge by flipping the edges it crosses, and the edges that flipping made are
// flipped back towards Delaunay where no forced segment stands in the way
// (a constrained Delaunay triangulation).
#include <cstdint>
#include <utility>
#include <vector>

#include "mesh/delaunay.h"

namespace Delaunay {

struct ConstraintResult {
  int32_t forced = 0;  // segments that are edges now
  // Segments that could not be made edges: they leave the mesh (across a gap
  // of its outline) or cross a segment forced before them.
  std::vector<std::pair<int32_t, int32_t>> failed;
};

// Segments as pairs of vertex slots of the mesh. A segment that runs through
// a further vertex is forced in as its two parts. Triangles keep their slots
// and their clockwise turn; their circle caches are cleared where they change.
ConstraintResult ForceEdges(TDelaunay& mesh, const std::vector<std::pair<int32_t, int32_t>>& segments);

}  // namespace Delaunay
