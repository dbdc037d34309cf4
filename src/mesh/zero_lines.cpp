#include "mesh/zero_lines.h"

#include <utility>

namespace zelmaro {

namespace {
using ext = long double;
struct Pt {
  double x, y;
};
}  // namespace

std::vector<ZeroSegment> ZeroLines(const Delaunay::TDelaunay& mesh, double H0) {
  std::vector<ZeroSegment> out;
  const Delaunay::dVertex* v = mesh.Vertex.get();
  // Each crossing is taken from the edge's lower slot, so that the two
  // triangles of an edge meet in the same point.
  auto crossing = [&](int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    const ext ha = ext(v[a].z) - H0, hb = ext(v[b].z) - H0;
    const ext t = ha / (ha - hb);
    return Pt{static_cast<double>(v[a].x + t * (ext(v[b].x) - v[a].x)),
              static_cast<double>(v[a].y + t * (ext(v[b].y) - v[a].y))};
  };
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[t];
    const int32_t c[3] = {tr.vv0, tr.vv1, tr.vv2};
    int sign[3];
    for (int i = 0; i < 3; ++i) sign[i] = (v[c[i]].z > H0) - (v[c[i]].z < H0);
    Pt ends[3];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
      const int j = (i + 1) % 3;
      if (sign[i] == 0) ends[n++] = {v[c[i]].x, v[c[i]].y};
      else if (sign[j] != 0 && sign[i] != sign[j]) ends[n++] = crossing(c[i], c[j]);
    }
    // Two ends make a segment; one is a corner touching the plane, three a
    // triangle flat on it.
    if (n == 2) out.push_back({ends[0].x, ends[0].y, ends[1].x, ends[1].y});
  }
  return out;
}

}  // namespace zelmaro
