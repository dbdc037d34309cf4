#pragma once
// How much of its outline a mesh covers, and the triangles that close the
// rest. The triangulation's small enclosing triangle leaves thin triangles
// along the outline out; where two horizons do not share one outline that
// costs real volume, so the loss is measured after every triangulation and,
// on request, filled in.
#include <cstdint>
#include <string>

#include "mesh/delaunay.h"

namespace Delaunay {

struct OutlineCoverage {
  double hullArea = 0;           // convex hull of the mesh's points
  double meshArea = 0;           // the mesh's triangles
  int32_t missingTriangles = 0;  // triangles a triangulation of the whole hull has beyond these
};

// Points on the boundary of the convex hull of the mesh's points, corners
// and points on its edges alike; 0 when all points lie on one line.
int32_t HullBoundaryPoints(const TDelaunay& mesh);

OutlineCoverage MeasureOutline(const TDelaunay& mesh);

// True when the gap is worth a word to the user: triangles are missing and
// they cover more than 0.01 % of the hull or more than 0.01 m².
bool OutlineLossNoticeable(const OutlineCoverage& c);

// "Bezugshorizont: 2 Randdreiecke fehlen, 140.55 m² der konvexen Hülle nicht
// erfasst"; empty when the loss is not noticeable.
std::string OutlineLossText(const std::string& heading, const OutlineCoverage& c);

// Appends, behind triangle HowMany, the triangles that fill the gap between
// the mesh and the convex hull of its points, and returns how many. The gap
// is triangulated constrained Delaunay (the mesh's boundary edges are kept),
// every new triangle turning the same way as the mesh's own (clockwise in
// x, y). The triangles 1 .. HowMany before the call stay as they were.
// Appends nothing when the mesh already covers its hull, or when its
// boundary is not that of a proper triangulation (edges in more than two
// triangles, a corner on another triangle's edge); the coverage then still
// shows the loss. Throws zelmaro::ELimitError when the triangle store is full.
int32_t CompleteOutline(TDelaunay& mesh);

}  // namespace Delaunay
