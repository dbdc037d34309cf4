#pragma once
// The one way into the contour computation: the interval as the user types
// it, the computation of a mesh's contour lines at an interval, and where a
// caller takes computed lines from. The plot, the window's export and the
// command line all come through here, so a mesh's contour state always
// belongs to the interval it was asked for.
#include <string>

#include "mesh/delaunay.h"

namespace zelmaro {

// The contour interval of a text: a number with "." or one "," as decimal
// separator (German users type "0,5"); false for anything else.
bool TryContourInterval(const std::string& text, double& interval);

// As above, with 1.0 for a text that is no number.
double ContourInterval(const std::string& text);

// The contour lines of the mesh at the interval, computed afresh: the levels
// (set twice; the second call leaves what the first left, but the same calls
// give the same state), the segments and their chaining, left in
// mesh.Contour.
void ComputeContours(Delaunay::TDelaunay& mesh, double interval);

// Where a caller takes a mesh's contour lines from. Without one, every
// caller computes them afresh; the window keeps them per mesh and interval.
class ContourSource {
 public:
  virtual ~ContourSource() = default;
  // Leaves mesh.Contour as ComputeContours leaves it.
  virtual void Contours(Delaunay::TDelaunay& mesh, double interval) = 0;
};

}  // namespace zelmaro
