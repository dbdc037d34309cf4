#pragma once
// The convex hull of a mesh's vertices (slots 1 .. tPoints - 1, after the
// duplicate rule): the outline a complete triangulation
// of the same points would cover. The mesh's own triangles may cover less.
#include <cstdint>
#include <vector>

#include "mesh/delaunay.h"

namespace Delaunay {

// Vertex slots of the hull corners, counter-clockwise in (x, y), starting at
// the lowest x (then lowest y); collinear points on an edge are left out.
// Fewer than three corners where the vertices are collinear or fewer than three.
std::vector<int32_t> ConvexHull(const TDelaunay& mesh);

// Plan area of the hull of the mesh's vertices; 0 for collinear vertices.
double ConvexHullArea(const TDelaunay& mesh);

// Plan area of the mesh's first `triangles` triangles (HowMany for all),
// each |twice its signed area| / 2, summed in extended precision.
double MeshArea(const TDelaunay& mesh, int32_t triangles);

}  // namespace Delaunay
