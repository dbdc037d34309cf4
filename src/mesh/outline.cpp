#include "mesh/outline.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <utility>
#include <vector>

#include "mesh/gap_triangulation.h"
#include "mesh/hull.h"
#include "mesh/micro_predicates.h"
#include "text/errors.h"
#include "text/format.h"

namespace Delaunay {

namespace {

using namespace exact;

int32_t BoundaryCount(const std::vector<IPt>& pts, std::vector<int32_t> order) {
  if (order.size() < 3) return 0;
  std::sort(order.begin(), order.end(),
            [&](int32_t a, int32_t b) { return LexLess(pts[size_t(a)], pts[size_t(b)]); });
  const IPt& first = pts[size_t(order.front())];
  const IPt& last = pts[size_t(order.back())];
  if (std::all_of(order.begin(), order.end(),
                  [&](int32_t i) { return Orient(first, last, pts[size_t(i)]) == 0; }))
    return 0;
  // Monotone chain that keeps the points on the hull's edges.
  auto chain = [&](auto begin, auto end) {
    std::vector<int32_t> h;
    for (auto it = begin; it != end; ++it) {
      while (h.size() >= 2 &&
             Orient(pts[size_t(h[h.size() - 2])], pts[size_t(h.back())], pts[size_t(*it)]) < 0)
        h.pop_back();
      h.push_back(*it);
    }
    return h.size();
  };
  return static_cast<int32_t>(chain(order.begin(), order.end()) +
                              chain(order.rbegin(), order.rend()) - 2);
}

}  // namespace

int32_t HullBoundaryPoints(const TDelaunay& mesh) {
  bool ok;
  const std::vector<IPt> pts = MicroPoints(mesh, ok);
  if (!ok) return 0;
  std::vector<int32_t> order;
  for (int32_t v = 1; v < mesh.tPoints; ++v) order.push_back(v);
  return BoundaryCount(pts, std::move(order));
}

OutlineCoverage MeasureOutline(const TDelaunay& mesh) {
  OutlineCoverage c;
  c.hullArea = ConvexHullArea(mesh);
  c.meshArea = MeshArea(mesh, mesh.HowMany);
  const int32_t b = HullBoundaryPoints(mesh);
  if (b >= 3) c.missingTriangles = std::max(0, 2 * (mesh.tPoints - 1) - b - 2 - mesh.HowMany);
  return c;
}

bool OutlineLossNoticeable(const OutlineCoverage& c) {
  const double gap = c.hullArea - c.meshArea;
  return c.missingTriangles > 0 && (gap > c.hullArea * 1e-4 || gap > 0.01);
}

std::string OutlineLossText(const std::string& heading, const OutlineCoverage& c) {
  if (!OutlineLossNoticeable(c)) return "";
  const std::string count =
      c.missingTriangles == 1 ? "1 Randdreieck fehlt"
                              : zelmaro::Format("%d Randdreiecke fehlen", c.missingTriangles);
  return heading + ": " + count +
         zelmaro::Format(", %.2f m² der konvexen Hülle nicht erfasst", c.hullArea - c.meshArea);
}

int32_t CompleteOutline(TDelaunay& mesh) {
  const int32_t n = mesh.tPoints - 1;
  if (n < 3) return 0;
  bool ok;
  const std::vector<IPt> pts = MicroPoints(mesh, ok);
  if (!ok) return 0;

  // Each mesh edge, directed with its triangle on the left, grouped by its
  // lower corner; an edge met once is a boundary edge of the mesh.
  struct HalfEdge {
    int32_t other;
    int32_t from;
  };
  std::vector<int32_t> start(size_t(n) + 2, 0);
  std::vector<std::pair<int32_t, int32_t>> directed;
  directed.reserve(size_t(mesh.HowMany) * 3);
  std::vector<uint8_t> used(size_t(n) + 1, 0);
  long double meshTwice = 0;
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const dTriangle& tr = mesh.Triangle[t];
    int32_t c[3] = {tr.vv0, tr.vv1, tr.vv2};
    for (int32_t v : c)
      if (v < 1 || v > n) return 0;
    const int o = Orient(pts[size_t(c[0])], pts[size_t(c[1])], pts[size_t(c[2])]);
    if (o == 0) return 0;  // a flat triangle: no sides to tell inside from outside
    if (o < 0) std::swap(c[1], c[2]);
    meshTwice += TwiceArea(pts[size_t(c[0])], pts[size_t(c[1])], pts[size_t(c[2])]);
    for (int k = 0; k < 3; ++k) {
      directed.push_back({c[k], c[Next(k)]});
      ++start[size_t(std::min(c[k], c[Next(k)])) + 1];
      used[size_t(c[k])] = 1;
    }
  }
  for (size_t v = 1; v < start.size(); ++v) start[v] += start[v - 1];
  std::vector<HalfEdge> byLow(directed.size());
  {
    std::vector<int32_t> fill(start.begin(), start.end() - 1);
    for (const auto& [a, b] : directed)
      byLow[size_t(fill[size_t(std::min(a, b))]++)] = {std::max(a, b), a};
  }
  std::vector<std::pair<int32_t, int32_t>> boundary;
  for (int32_t v = 1; v <= n; ++v) {
    auto b = byLow.begin() + start[size_t(v)], e = byLow.begin() + start[size_t(v) + 1];
    std::sort(b, e, [](const HalfEdge& x, const HalfEdge& y) {
      return x.other < y.other || (x.other == y.other && x.from < y.from);
    });
    for (auto it = b; it != e;) {
      auto run = it;
      while (run != e && run->other == it->other) ++run;
      if (run - it == 1) {
        boundary.push_back(it->from == v ? std::pair{v, it->other} : std::pair{it->other, v});
      } else if (run - it != 2 || it->from == (it + 1)->from) {
        return 0;  // an edge in three triangles, or two on the same side of it
      }
      it = run;
    }
  }

  // The gap's points: the mesh's boundary and the points no triangle uses.
  std::vector<int32_t> local(size_t(n) + 1, -1), slot;
  auto take = [&](int32_t v) {
    if (local[size_t(v)] < 0) {
      local[size_t(v)] = int32_t(slot.size());
      slot.push_back(v);
    }
  };
  for (const auto& [a, b] : boundary) {
    take(a);
    take(b);
  }
  for (int32_t v = 1; v <= n; ++v)
    if (!used[size_t(v)]) take(v);
  std::vector<IPt> gapPts;
  gapPts.reserve(slot.size());
  for (int32_t v : slot) gapPts.push_back(pts[size_t(v)]);

  GapTriangulation g(std::move(gapPts));
  if (!g.Build()) return 0;
  // Every point of the mesh lies in its hull, so the gap points span it too.
  const std::vector<int32_t> hull = g.Hull();
  const int32_t expected = 2 * n - int32_t(hull.size()) - 2 - mesh.HowMany;
  if (expected <= 0) return 0;
  g.MakeDelaunay([](int32_t) { return true; });
  for (const auto& [a, b] : boundary)
    if (!g.Enforce(local[size_t(a)], local[size_t(b)])) return 0;

  // The mesh's side of each boundary edge, and all it reaches without
  // crossing one, is covered already.
  std::vector<uint8_t> inside(size_t(g.Count()), 0);
  std::vector<int32_t> todo;
  for (const auto& [a, b] : boundary) {
    const int32_t t = g.LeftOf(local[size_t(a)], local[size_t(b)]);
    if (t < 0) return 0;
    if (!inside[size_t(t)]) {
      inside[size_t(t)] = 1;
      todo.push_back(t);
    }
  }
  while (!todo.empty()) {
    const int32_t t = todo.back();
    todo.pop_back();
    for (int i = 0; i < 3; ++i) {
      const int32_t u = g.T(t).nb[i];
      if (u >= 0 && !(g.T(t).fixed >> i & 1) && !inside[size_t(u)]) {
        inside[size_t(u)] = 1;
        todo.push_back(u);
      }
    }
  }
  g.MakeDelaunay([&](int32_t t) { return !inside[size_t(t)]; });

  std::vector<int32_t> gap;
  long double gapTwice = 0;
  for (int32_t t = 0; t < g.Count(); ++t)
    if (!inside[size_t(t)]) {
      gap.push_back(t);
      gapTwice += TwiceArea(g.P(g.T(t).v[0]), g.P(g.T(t).v[1]), g.P(g.T(t).v[2]));
    }
  long double hullTwice = 0;
  for (size_t i = 1; i + 1 < hull.size(); ++i)
    hullTwice += TwiceArea(g.P(hull[0]), g.P(hull[i]), g.P(hull[i + 1]));
  // Both checks hold for any proper triangulation of the hull; a mesh that
  // overlaps itself fails them, and then nothing is added.
  if (int32_t(gap.size()) != expected ||
      std::fabs(meshTwice + gapTwice - hullTwice) > hullTwice * 1e-9L)
    return 0;

  if (int64_t(mesh.HowMany) + int64_t(gap.size()) > INT32_MAX - 1)
    throw zelmaro::ELimitError(zelmaro::Format(
        "Die Randdreiecke passen nicht mehr in den Dreiecksspeicher (höchstens %d Dreiecke).",
        INT32_MAX - 1));
  mesh.Triangle.Reserve(static_cast<size_t>(mesh.HowMany) + gap.size() + 1,
                        static_cast<size_t>(mesh.HowMany) + 1);
  for (int32_t t : gap) {
    const Tri& T = g.T(t);
    dTriangle& out = mesh.Triangle[++mesh.HowMany];
    // Counter-clockwise here, clockwise like every triangle of the mesh.
    out.vv0 = slot[size_t(T.v[0])];
    out.vv1 = slot[size_t(T.v[2])];
    out.vv2 = slot[size_t(T.v[1])];
    out.PreCalc = 0;
    out.xc = out.yc = out.r = 0;
  }
  return int32_t(gap.size());
}

}  // namespace Delaunay
