#pragma once
// Where a mesh meets a horizontal plane: the plot's zero lines at a run's
// reference height.
#include <vector>

#include "mesh/delaunay.h"

namespace zelmaro {

// A piece of the line where a mesh meets the plane z = H0, in mesh
// coordinates (x northing, y easting).
struct ZeroSegment {
  double x1, y1, x2, y2;
};

// The mesh's zero line at H0 from its stored vertices (what the plot draws
// the triangles from). A triangle edge lying on the plane is given whenever
// the triangle is not flat on it, so such an edge may come twice.
std::vector<ZeroSegment> ZeroLines(const Delaunay::TDelaunay& mesh, double H0);

}  // namespace zelmaro
