// The fast contour operations against the plain ones on whole terrains, and
// the properties every result must have.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "mesh/contour_reference.h"
#include "mesh/contour_terrain.h"
#include "mesh/delaunay.h"

namespace Delaunay {
namespace {

namespace ref = zelmaro::testing::contour_ref;
using zelmaro::testing::GridMesh;

using SegmentSet = std::vector<std::multiset<std::pair<int32_t, int32_t>>>;

SegmentSet Segments(const TContourSetup& c) {
  SegmentSet out(c.Contours.size());
  for (size_t i = 0; i < c.Contours.size(); ++i)
    for (const TLine& s : c.Contours[i]) out[i].insert(std::minmax(s.sp, s.ep));
  return out;
}

// The plot's sequence on the mesh, each step checked against the plain
// computation on a copy of the state.
void CompareSequence(TDelaunay& m, double step) {
  m.InitialiseContourLevels(m.zMin, m.zMax, step);
  m.InitialiseContourLevels(m.zMin, m.zMax, step);
  TContourSetup plain = m.Contour;

  m.CalculateContours();
  ref::CalculateContours(m, plain);
  ASSERT_EQ(ref::ContourDifference(m.Contour, plain), "") << "after the segments";
  size_t segments = 0;
  for (const auto& list : plain.Contours) segments += list.size();
  ASSERT_GT(segments, 0u);

  // Every segment of a second pass is refused as a duplicate.
  m.CalculateContours();
  ASSERT_EQ(ref::ContourDifference(m.Contour, plain), "") << "after a second pass";

  const SegmentSet before = Segments(m.Contour);
  m.SortContourLines();
  ref::SortContourLines(plain);
  ASSERT_EQ(ref::ContourDifference(m.Contour, plain), "") << "after the chaining";
  EXPECT_EQ(Segments(m.Contour), before) << "the chaining must keep each level's segments";

  for (const auto& list : m.Contour.Contours) {
    std::map<int32_t, int> uses;
    for (const TLine& s : list) {
      EXPECT_TRUE(s.AE == 0 || s.AE == u'A' || s.AE == u'E');
      ++uses[s.sp];
      if (s.ep != s.sp) ++uses[s.ep];
    }
    for (auto [p, n] : uses) {
      if (n == 1) {
        EXPECT_EQ(m.Contour.Points[static_cast<size_t>(p)].ln, 1) << "open end " << p;
      }
    }
  }

  // And once more from the state the chaining left.
  m.SortContourLines();
  ref::SortContourLines(plain);
  ASSERT_EQ(ref::ContourDifference(m.Contour, plain), "") << "after a second chaining";
}

std::unique_ptr<TDelaunay> Triangulated(std::mt19937& rng, int n, double extent, double zlo,
                                        double zhi) {
  auto m = std::make_unique<TDelaunay>();
  std::uniform_real_distribution<double> xy(0, extent), z(zlo, zhi);
  for (int i = 1; i <= n; ++i) {
    const double x = xy(rng), y = xy(rng);
    m->AddPoint(i, x, y, z(rng));
  }
  m->Mesh();
  return m;
}

TEST(ContourCompare, RandomTriangulatedSurfaces) {
  std::mt19937 rng(42);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    auto m = Triangulated(rng, 250, 60, 100, 130);
    ASSERT_GT(m->HowMany, 300);
    CompareSequence(*m, round % 2 ? 1.0 : 0.37);
    if (HasFatalFailure()) return;
  }
}

TEST(ContourCompare, VerticesExactlyAtLevels) {
  std::mt19937 rng(3);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    auto m = std::make_unique<TDelaunay>();
    const double step = round < 3 ? 1.0 : 0.5;
    // Whole multiples of the interval, with plateaus and ridges along edges.
    GridMesh(*m, 30, 24, 1.0, [&](double, double) { return step * static_cast<double>(rng() % 6); },
             [&](int32_t, int32_t) { return rng() % 2 == 0; });
    CompareSequence(*m, step);
    if (HasFatalFailure()) return;
  }
}

TEST(ContourCompare, SteepTerrainPoolsPointsOfDifferentLevels) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> jitter(-0.3, 0.3);
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    auto m = std::make_unique<TDelaunay>();
    // 40 m of height per metre: neighbouring levels 0.0025 apart in plan.
    GridMesh(*m, 40, 30, 0.03, [&](double x, double y) { return 40 * x + 5 * y + jitter(rng); });
    CompareSequence(*m, 0.1);
    if (HasFatalFailure()) return;
    // Pooling across levels did happen: some point serves two levels.
    std::map<int32_t, std::set<size_t>> levels_of;
    for (size_t i = 0; i < m->Contour.Contours.size(); ++i)
      for (const TLine& s : m->Contour.Contours[i]) levels_of[s.sp].insert(i);
    size_t shared = 0;
    for (const auto& [p, l] : levels_of) shared += l.size() > 1;
    EXPECT_GT(shared, 10u);
  }
  for (int round = 0; round < 3; ++round) {  // a dense cloud, triangulated
    SCOPED_TRACE(round);
    auto m = Triangulated(rng, 300, 0.6, 0, 60);
    CompareSequence(*m, 0.5);
    if (HasFatalFailure()) return;
  }
}

// Each end of a segment lies on an edge of a triangle that its level cuts,
// where the edge's height is the level. Checked on terrain gentle enough that
// no point of another level comes within the pooling window.
TEST(ContourCompare, SegmentEndsLieOnCutEdgesAtTheirLevel) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> z(0, 6);
  auto m = std::make_unique<TDelaunay>();
  GridMesh(*m, 22, 18, 1.0, [&](double, double) { return z(rng); });
  m->InitialiseContourLevels(m->zMin, m->zMax, 0.5);
  m->CalculateContours();
  m->SortContourLines();
  size_t checked = 0;
  for (size_t i = 0; i < m->Contour.Contours.size(); ++i) {
    const double L = m->Contour.Levels[i];
    for (const TLine& s : m->Contour.Contours[i])
      for (int32_t p : {s.sp, s.ep}) {
        const TPunkt& P = m->Contour.Points[static_cast<size_t>(p)];
        bool on_edge = false;
        for (int32_t t = 1; t <= m->HowMany && !on_edge; ++t) {
          const dTriangle& tri = m->Triangle[t];
          const int32_t c[3] = {tri.vv0, tri.vv1, tri.vv2};
          for (int e = 0; e < 3 && !on_edge; ++e) {
            const dVertex& a = m->Vertex[c[e]];
            const dVertex& b = m->Vertex[c[(e + 1) % 3]];
            const double len2 = (b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y);
            const double u = ((P.X - a.x) * (b.x - a.x) + (P.Y - a.y) * (b.y - a.y)) / len2;
            if (u < -1e-12 || u > 1 + 1e-12) continue;
            const double dx = a.x + u * (b.x - a.x) - P.X, dy = a.y + u * (b.y - a.y) - P.Y;
            on_edge = std::hypot(dx, dy) < 1e-9 && std::fabs(a.z + u * (b.z - a.z) - L) < 1e-9;
          }
        }
        EXPECT_TRUE(on_edge) << "level " << L << " point " << p << " (" << P.X << ", " << P.Y
                             << ")";
        ++checked;
      }
  }
  EXPECT_GT(checked, 500u);
}

}  // namespace
}  // namespace Delaunay
