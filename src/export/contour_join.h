#pragma once
// Contour lines as a CAD program wants them: one polyline per line, not the
// pieces the chaining leaves.
#include <vector>

#include "mesh/contour_polylines.h"

namespace zelmaro {

// Joins the pieces of each level whose ends lie at the same place, whichever
// way their segments run, closes lines that come back to their start, and
// drops steps of length zero and pieces that are nothing else (a level
// through a point). The joined lines draw exactly the non-zero segments of
// the pieces.
std::vector<Delaunay::ContourPolyline> JoinContourPieces(
    const Delaunay::TContourSetup& c, const std::vector<Delaunay::ContourPolyline>& pieces);

}  // namespace zelmaro
