#pragma once
// The triangulation written the plain way: a linear duplicate search on
// intake, and for every point a scan of every triangle slot. Slow, but easy
// to check line by line against the algorithm; the fast TDelaunay must give
// the same result on every input.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mesh/delaunay.h"

namespace zelmaro::testing {

struct OfferedPoint {
  int32_t Number;
  double x, y, z;
};

struct MeshResult {
  std::vector<Delaunay::dVertex> vertices;  // slots 1 .. tPoints - 1 after the sort
  int32_t HowMany = 0;
  std::vector<int32_t> corners;  // vv0, vv1, vv2 of triangles 1 .. HowMany
  double zMin = 0, zMax = 0;
  int32_t coincidences = 0;
  std::optional<std::string> error;  // the report when the mesh could not be built
};

// Offers the points in order and meshes them, the plain way.
MeshResult ReferenceMesh(const std::vector<OfferedPoint>& points);

// The same through TDelaunay.
MeshResult ProductionMesh(const std::vector<OfferedPoint>& points);

}  // namespace zelmaro::testing
