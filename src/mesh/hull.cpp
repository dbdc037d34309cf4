#include "mesh/hull.h"

#include <algorithm>
#include <cmath>

namespace Delaunay {

namespace {

// Twice the signed area of (o, a, b), positive for a left turn. Extended
// precision keeps survey-size coordinates from cancelling to a wrong sign
// in all but the truly collinear cases.
long double Cross(const dVertex& o, const dVertex& a, const dVertex& b) {
  return (static_cast<long double>(a.x) - o.x) * (static_cast<long double>(b.y) - o.y) -
         (static_cast<long double>(a.y) - o.y) * (static_cast<long double>(b.x) - o.x);
}

}  // namespace

std::vector<int32_t> ConvexHull(const TDelaunay& mesh) {
  std::vector<int32_t> order;
  order.reserve(static_cast<size_t>(std::max(mesh.tPoints - 1, 0)));
  for (int32_t i = 1; i < mesh.tPoints; ++i) order.push_back(i);
  const dVertex* v = mesh.Vertex.get();
  std::sort(order.begin(), order.end(), [v](int32_t a, int32_t b) {
    return v[a].x < v[b].x || (v[a].x == v[b].x && v[a].y < v[b].y);
  });
  if (order.size() < 3) return order;

  // Andrew's monotone chain: lower hull left to right, upper hull back.
  std::vector<int32_t> hull(2 * order.size());
  size_t k = 0;
  for (int32_t i : order) {
    while (k >= 2 && Cross(v[hull[k - 2]], v[hull[k - 1]], v[i]) <= 0) --k;
    hull[k++] = i;
  }
  for (size_t j = order.size() - 1, lower = k + 1; j-- > 0;) {
    const int32_t i = order[j];
    while (k >= lower && Cross(v[hull[k - 2]], v[hull[k - 1]], v[i]) <= 0) --k;
    hull[k++] = i;
  }
  hull.resize(k - 1);  // the last point is the first again
  if (hull.size() < 3) hull.clear();
  return hull;
}

double ConvexHullArea(const TDelaunay& mesh) {
  const std::vector<int32_t> hull = ConvexHull(mesh);
  if (hull.size() < 3) return 0;
  const dVertex* v = mesh.Vertex.get();
  long double twice = 0;
  for (size_t i = 1; i + 1 < hull.size(); ++i) twice += Cross(v[hull[0]], v[hull[i]], v[hull[i + 1]]);
  return static_cast<double>(std::fabs(twice) / 2);
}

double MeshArea(const TDelaunay& mesh, int32_t triangles) {
  const dVertex* v = mesh.Vertex.get();
  long double sum = 0;
  for (int32_t t = 1; t <= triangles; ++t) {
    const dTriangle& tr = mesh.Triangle[t];
    sum += std::fabs(Cross(v[tr.vv0], v[tr.vv1], v[tr.vv2])) / 2;
  }
  return static_cast<double>(sum);
}

}  // namespace Delaunay
