#pragma once
// Whether a mesh is a proper triangulation, needing no second mesh to
// compare with: every triangle turns clockwise in (x, y) and has area, every
// edge lies in at most two triangles and then on opposite sides, and the
// triangle count is that of a triangulated disc, 2n − b − 2 (n corners used,
// b boundary edges). Together with the plan area this rules out overlaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "mesh/delaunay.h"

namespace zelmaro::testing {

inline void ExpectValidMesh(const Delaunay::TDelaunay& mesh, bool disc = true) {
  std::map<std::pair<int32_t, int32_t>, int> directed;  // +1 per a→b with a < b, −1 per b→a
  std::map<std::pair<int32_t, int32_t>, int> uses;
  std::set<int32_t> corners;
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[t];
    const int32_t c[3] = {tr.vv0, tr.vv1, tr.vv2};
    for (int32_t v : c) {
      ASSERT_TRUE(v >= 1 && v < mesh.tPoints) << "triangle " << t;
    }
    const Delaunay::dVertex &a = mesh.Vertex[c[0]], &b = mesh.Vertex[c[1]], &d = mesh.Vertex[c[2]];
    const long double twice = (static_cast<long double>(b.x) - a.x) * (d.y - a.y) -
                              (static_cast<long double>(b.y) - a.y) * (d.x - a.x);
    ASSERT_LT(twice, 0) << "triangle " << t << " does not turn clockwise";
    for (int k = 0; k < 3; ++k) {
      const int32_t u = c[k], w = c[(k + 1) % 3];
      corners.insert(u);
      const auto key = std::minmax(u, w);
      ++uses[key];
      directed[key] += u < w ? 1 : -1;
    }
  }
  int32_t boundary = 0;
  for (const auto& [edge, n] : uses) {
    ASSERT_LE(n, 2) << "edge " << edge.first << "-" << edge.second;
    if (n == 2) {
      ASSERT_EQ(directed[edge], 0) << "edge " << edge.first << "-" << edge.second
                                   << ": two triangles on one side";
    } else {
      ++boundary;
    }
  }
  if (disc && mesh.HowMany > 0) {
    EXPECT_EQ(mesh.HowMany, 2 * static_cast<int32_t>(corners.size()) - boundary - 2);
  }
}

}  // namespace zelmaro::testing
