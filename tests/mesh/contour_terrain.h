#pragma once
// Meshes for the contour tests and the benchmark, written straight into the
// stores so that large terrains need no triangulation run.
#include <algorithm>
#include <cstdint>

#include "mesh/delaunay.h"

namespace zelmaro::testing {

// A grid of nx x ny vertices, spacing apart, with two triangles per cell;
// the diagonal of a cell follows flip(i, j), so that meshes of both kinds
// (and mixed ones) can be had. height(x, y) gives z.
template <class Height, class Flip>
void GridMesh(Delaunay::TDelaunay& m, int32_t nx, int32_t ny, double spacing, Height height,
              Flip flip) {
  auto slot = [&](int32_t i, int32_t j) { return 1 + i * ny + j; };
  for (int32_t i = 0; i < nx; ++i)
    for (int32_t j = 0; j < ny; ++j) {
      Delaunay::dVertex& v = m.Vertex[slot(i, j)];
      v.x = i * spacing;
      v.y = j * spacing;
      v.z = height(v.x, v.y);
      v.ID = slot(i, j);
      v.ln = 0;
    }
  m.tPoints = nx * ny + 1;
  int32_t t = 0;
  auto add = [&](int32_t a, int32_t b, int32_t c) {
    Delaunay::dTriangle& tri = m.Triangle[++t];
    tri.vv0 = a;
    tri.vv1 = b;
    tri.vv2 = c;
    tri.PreCalc = 0;
  };
  for (int32_t i = 0; i + 1 < nx; ++i)
    for (int32_t j = 0; j + 1 < ny; ++j) {
      const int32_t a = slot(i, j), b = slot(i + 1, j), c = slot(i + 1, j + 1),
                    d = slot(i, j + 1);
      if (flip(i, j)) {
        add(a, b, d);
        add(b, c, d);
      } else {
        add(a, b, c);
        add(a, c, d);
      }
    }
  m.HowMany = t;
  m.zMin = m.zMax = m.Vertex[1].z;
  for (int32_t v = 2; v < m.tPoints; ++v) {
    m.zMin = std::min(m.zMin, m.Vertex[v].z);
    m.zMax = std::max(m.zMax, m.Vertex[v].z);
  }
}

template <class Height>
void GridMesh(Delaunay::TDelaunay& m, int32_t nx, int32_t ny, double spacing, Height height) {
  GridMesh(m, nx, ny, spacing, height, [](int32_t i, int32_t j) { return ((i * 7 + j * 3) % 5) < 2; });
}

}  // namespace zelmaro::testing
