// Breaklines forced into a triangulation: a valid mesh, every segment an
// edge, every other interior edge still locally Delaunay.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "mesh/constrained.h"
#include "mesh_validity.h"

namespace zelmaro::testing {
namespace {

using Segment = std::pair<int32_t, int32_t>;
using ext = long double;

ext Orient(const Delaunay::dVertex& a, const Delaunay::dVertex& b, const Delaunay::dVertex& c) {
  return (ext(b.x) - a.x) * (ext(c.y) - a.y) - (ext(b.y) - a.y) * (ext(c.x) - a.x);
}

bool Crosses(const Delaunay::TDelaunay& m, Segment s, Segment t) {
  if (s.first == t.first || s.first == t.second || s.second == t.first || s.second == t.second)
    return false;
  const auto &a = m.Vertex[s.first], &b = m.Vertex[s.second], &c = m.Vertex[t.first],
             &d = m.Vertex[t.second];
  return Orient(a, b, c) * Orient(a, b, d) <= 0 && Orient(c, d, a) * Orient(c, d, b) <= 0;
}

// d strictly inside the circle through a clockwise (a, b, c), with a margin.
bool InCircle(const Delaunay::dVertex& a, const Delaunay::dVertex& b, const Delaunay::dVertex& c,
              const Delaunay::dVertex& d) {
  const ext adx = ext(a.x) - d.x, ady = ext(a.y) - d.y, bdx = ext(b.x) - d.x, bdy = ext(b.y) - d.y,
            cdx = ext(c.x) - d.x, cdy = ext(c.y) - d.y;
  const ext det = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) -
                  (bdx * bdx + bdy * bdy) * (adx * cdy - cdx * ady) +
                  (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
  return -det > 1e-6L;
}

std::pair<int32_t, int32_t> Key(int32_t a, int32_t b) { return std::minmax(a, b); }

TEST(ConstrainedMesh, SegmentsBecomeEdgesAndTheRestStaysDelaunay) {
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> xy(0, 100);
    Delaunay::TDelaunay m;
    for (int i = 1; i <= 400; ++i) m.AddPoint(i, xy(rng), xy(rng), 0);
    m.Mesh();
    const int32_t before = m.HowMany;
    // Long segments that cross no other and no vertex's tolerance matters:
    // many edges to flip each.
    std::vector<Segment> segs;
    std::uniform_int_distribution<int32_t> pick(1, m.tPoints - 1);
    for (int tries = 0; segs.size() < 25 && tries < 2000; ++tries) {
      const Segment s{pick(rng), pick(rng)};
      if (s.first == s.second) continue;
      // Away from the outline, where the triangulation may leave thin gaps.
      auto inner = [&m](int32_t v) {
        return m.Vertex[v].x > 20 && m.Vertex[v].x < 80 && m.Vertex[v].y > 20 && m.Vertex[v].y < 80;
      };
      if (!inner(s.first) || !inner(s.second)) continue;
      bool ok = true;
      for (const Segment& t : segs) ok = ok && !Crosses(m, s, t);
      if (ok) segs.push_back(s);
    }
    const Delaunay::ConstraintResult r = Delaunay::ForceEdges(m, segs);
    EXPECT_TRUE(r.failed.empty()) << seed;
    EXPECT_EQ(r.forced, static_cast<int32_t>(segs.size()));
    EXPECT_EQ(m.HowMany, before);
    ExpectValidMesh(m);

    std::map<std::pair<int32_t, int32_t>, std::vector<int>> edges;  // -> (triangle, corner opposite)
    for (int32_t t = 1; t <= m.HowMany; ++t) {
      const int32_t c[3] = {m.Triangle[t].vv0, m.Triangle[t].vv1, m.Triangle[t].vv2};
      for (int k = 0; k < 3; ++k) edges[Key(c[k], c[(k + 1) % 3])].push_back(c[(k + 2) % 3]);
    }
    // A segment through further vertices is an edge chain; here each must
    // be a single edge unless a vertex lies exactly on it, which random
    // points never do.
    std::set<std::pair<int32_t, int32_t>> fixed;
    for (const Segment& s : segs) {
      EXPECT_TRUE(edges.count(Key(s.first, s.second))) << seed;
      fixed.insert(Key(s.first, s.second));
    }
    int checked = 0;
    for (int32_t t = 1; t <= m.HowMany; ++t) {
      const int32_t c[3] = {m.Triangle[t].vv0, m.Triangle[t].vv1, m.Triangle[t].vv2};
      for (int k = 0; k < 3; ++k) {
        const auto key = Key(c[k], c[(k + 1) % 3]);
        if (fixed.count(key)) continue;
        for (int32_t opposite : edges[key]) {
          if (opposite == c[(k + 2) % 3]) continue;
          ++checked;
          EXPECT_FALSE(InCircle(m.Vertex[c[0]], m.Vertex[c[1]], m.Vertex[c[2]], m.Vertex[opposite]))
              << "seed " << seed << " triangle " << t;
        }
      }
    }
    EXPECT_GT(checked, 1000);
  }
}

TEST(ConstrainedMesh, SegmentThroughAVertexAndAcrossAGapOrAForcedSegment) {
  // A 5 x 5 grid: the middle row's end to end segment runs through three
  // vertices and is forced as its four parts.
  Delaunay::TDelaunay m;
  int32_t id = 0;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 5; ++j) m.AddPoint(++id, i * 10.0 + (j % 2) * 0.5, j * 10.0, 0);
  m.Mesh();
  auto slot = [&m](int32_t ID) {
    for (int32_t v = 1; v < m.tPoints; ++v)
      if (m.Vertex[v].ID == ID) return v;
    return 0;
  };
  // Points 3 and 23 (first and last column, middle row), and 1 -> 24 across
  // the forced one between two of its vertices.
  const Delaunay::ConstraintResult r =
      Delaunay::ForceEdges(m, {{slot(3), slot(23)}, {slot(1), slot(24)}});
  EXPECT_EQ(r.forced, 1);
  ASSERT_EQ(r.failed.size(), 1u);
  EXPECT_EQ(r.failed[0], (Segment{slot(1), slot(24)}));
  ExpectValidMesh(m);
}

}  // namespace
}  // namespace zelmaro::testing
