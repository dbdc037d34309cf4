#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "mesh/contour_reference.h"
#include "mesh/contour_terrain.h"
#include "mesh/contours.h"
#include "mesh/delaunay.h"
#include "text/errors.h"

namespace Delaunay {
namespace {

using zelmaro::testing::GridMesh;
using zelmaro::testing::contour_ref::ContourDifference;

struct LevelCase {
  double MinZ, MaxZ, Step;
  double MinValue, MaxValue, Range;
  std::vector<double> Levels;
};

TEST(ContourLevels, SeriesOfTheWorkedIntervals) {
  const LevelCase cases[] = {
      {100.05, 102.3, 0.5, 100.0, 102.5, 2.5, {100.0, 100.5, 101.0, 101.5, 102.0}},
      // 102.0 is no level although the surface reaches 102.2.
      {100.05, 102.2, 0.5, 100.0, 102.0, 2.0, {100.0, 100.5, 101.0, 101.5}},
      // The extended quotient 100.0 / 0.1 lies just below 1000: in plain
      // doubles this would start at 100.0 with ten levels.
      {100.0, 101.0, 0.1, 99.9, 101.0, 101.0 - 99.9,
       {99.9, 100.0, 100.1, 100.2, 100.3, 100.4, 100.5, 100.6, 100.7, 100.8, 100.9}},
      {-3.7, -1.2, 1, -3.0, -1.0, 2.0, {-3.0, -2.0}},
      {100.3, 100.3, 0.5, 100.0, 100.5, 0.5, {100.0}},
      {100.1, 100.2, 0.5, 100.0, 100.0, 0.0, {}},
      // Interval 0 stands for 0.2.
      {10, 11, 0, 9.8, 11.0, 11.0 - 9.8, {9.8, 10.0, 10.2, 10.4, 10.6, 10.8}},
  };
  for (const LevelCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.MinZ << " " << c.MaxZ << " " << c.Step);
    auto m = std::make_unique<TDelaunay>();
    m->InitialiseContourLevels(c.MinZ, c.MaxZ, c.Step);
    const TContourSetup& k = m->Contour;
    EXPECT_EQ(k.MinValue, c.MinValue);
    EXPECT_EQ(k.MaxValue, c.MaxValue);
    EXPECT_EQ(k.Range, c.Range);
    EXPECT_EQ(k.Step, c.Step == 0 ? 0.2 : c.Step);
    EXPECT_EQ(k.NoLevels, static_cast<int32_t>(c.Levels.size()));
    EXPECT_EQ(k.Levels, c.Levels);
    EXPECT_EQ(k.Contours.size(), c.Levels.size());
  }
}

TEST(ContourLevels, LevelsAreRoundedButTheRunningValueIsNot) {
  // 0.1 added up 30 times drifts away from the decimal values; each level is
  // still the nearest thousandth, and no rounding error piles up.
  auto m = std::make_unique<TDelaunay>();
  m->InitialiseContourLevels(0.05, 3.04, 0.1);
  ASSERT_EQ(m->Contour.NoLevels, 30);
  for (int i = 0; i < 30; ++i) EXPECT_EQ(m->Contour.Levels[i], std::round(i * 100.0) / 1000) << i;
}

TEST(ContourLevels, EveryCallStartsAfreshAndTwoCallsEqualOne) {
  auto m = std::make_unique<TDelaunay>();
  GridMesh(*m, 6, 6, 1.0, [](double x, double y) { return x + 0.5 * y; });
  m->InitialiseContourLevels(m->zMin, m->zMax, 1);
  m->CalculateContours();
  ASSERT_FALSE(m->Contour.Points.empty());
  ASSERT_FALSE(m->Contour.Contours[2].empty());
  const TContourSetup before = m->Contour;

  // The same arguments again: the same state as after one call.
  m->InitialiseContourLevels(m->zMin, m->zMax, 1);
  m->InitialiseContourLevels(m->zMin, m->zMax, 1);
  m->CalculateContours();
  EXPECT_EQ(ContourDifference(m->Contour, before), "");

  // A coarser interval drops the points and segments of the former levels.
  m->InitialiseContourLevels(m->zMin, m->zMax, 2);
  EXPECT_TRUE(m->Contour.Points.empty());
  ASSERT_EQ(m->Contour.NoLevels, 4);
  for (const auto& list : m->Contour.Contours) EXPECT_TRUE(list.empty());
}

TEST(ContourLevels, NegativeIntervalIsARangeErrorAfterTheFieldsAreSet) {
  auto m = std::make_unique<TDelaunay>();
  GridMesh(*m, 4, 4, 1.0, [](double x, double) { return 100 + x; });
  m->InitialiseContourLevels(100.05, 102.3, 0.5);
  m->CalculateContours();
  const auto points = m->Contour.Points.size();
  const auto first = m->Contour.Contours[1].size();
  ASSERT_GT(first, 0u);

  EXPECT_THROW(m->InitialiseContourLevels(100.05, 102.3, -0.5), zelmaro::ERangeError);
  const TContourSetup& k = m->Contour;
  EXPECT_EQ(k.MinValue, 100.0);
  EXPECT_EQ(k.MaxValue, 102.5);
  EXPECT_EQ(k.Range, 2.5);
  EXPECT_EQ(k.Step, -0.5);
  EXPECT_EQ(k.NoLevels, -5);
  // The lists keep their lengths and contents, so the state stays readable.
  EXPECT_EQ(k.Levels.size(), 5u);
  EXPECT_EQ(k.Contours.size(), 5u);
  EXPECT_EQ(k.Points.size(), points);
  EXPECT_EQ(k.Contours[1].size(), first);
  m->CalculateContours();  // no levels to compute: nothing happens
  EXPECT_EQ(k.Points.size(), points);
  EXPECT_NO_THROW(m->SortContourLines());

  // While the range is at most half the interval the count is 0: no error.
  EXPECT_NO_THROW(m->InitialiseContourLevels(100.1, 100.2, -0.5));
  EXPECT_EQ(m->Contour.NoLevels, 0);
  EXPECT_TRUE(m->Contour.Levels.empty());
}

TEST(ContourLevels, TooManyLevelsAndNonFiniteInputsAreRefusedUnchanged) {
  auto m = std::make_unique<TDelaunay>();
  m->InitialiseContourLevels(0, 100, 0.001);  // exactly at the bound
  ASSERT_EQ(m->Contour.NoLevels, MaxContourLevels);
  EXPECT_EQ(m->Contour.Levels.back(), 99.999);

  m->InitialiseContourLevels(10, 11, 0.5);
  const TContourSetup before = m->Contour;
  auto unchanged = [&] {
    EXPECT_EQ(m->Contour.MinValue, before.MinValue);
    EXPECT_EQ(m->Contour.MaxValue, before.MaxValue);
    EXPECT_EQ(m->Contour.Step, before.Step);
    EXPECT_EQ(m->Contour.NoLevels, before.NoLevels);
    EXPECT_EQ(m->Contour.Levels, before.Levels);
  };
  // One more than the bound, a count beyond 32 bits, a denormal interval.
  for (double step : {10000.0 / 100001, 1e-6, -1e-6, 5e-324}) {
    try {
      m->InitialiseContourLevels(0, 10000, step);
      ADD_FAILURE() << "accepted " << step;
    } catch (const zelmaro::ELimitError& e) {
      EXPECT_NE(std::string(e.what()).find("zu klein für den Höhenbereich"), std::string::npos)
          << e.what();
    }
    unchanged();
  }
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(m->InitialiseContourLevels(0, 1, nan), zelmaro::EInvalidOp);
  EXPECT_THROW(m->InitialiseContourLevels(0, 1, inf), zelmaro::EInvalidOp);
  EXPECT_THROW(m->InitialiseContourLevels(nan, 1, 1), zelmaro::EInvalidOp);
  EXPECT_THROW(m->InitialiseContourLevels(0, -inf, 1), zelmaro::EInvalidOp);
  // The range itself overflows.
  EXPECT_THROW(m->InitialiseContourLevels(-1.7e308, 1.7e308, 1e-300), zelmaro::EInvalidOp);
  unchanged();

  // Heights whose quotients lie far beyond the 64-bit integers but give no
  // level at all are no error.
  EXPECT_NO_THROW(m->InitialiseContourLevels(1e300, 1e300, 1));
  EXPECT_EQ(m->Contour.NoLevels, 0);
  EXPECT_EQ(m->Contour.MinValue, 1e300);
}

TEST(ContourCut, EdgeEndsAtTheLevelCountAsBelow) {
  auto owner = std::make_unique<TDelaunay>();
  TDelaunay& m = *owner;
  TLineCut c = m.LineCut(0, 0, 4, 2, 10, 12, 10);
  ASSERT_TRUE(c.Found);  // at its first end, f = 0
  EXPECT_EQ(c.ContourPt.X, 0);
  EXPECT_EQ(c.ContourPt.Y, 0);
  c = m.LineCut(0, 0, 4, 2, 10, 12, 11);
  ASSERT_TRUE(c.Found);
  EXPECT_EQ(c.ContourPt.X, 2);
  EXPECT_EQ(c.ContourPt.Y, 1);
  EXPECT_FALSE(m.LineCut(0, 0, 4, 2, 10, 12, 12).Found);
  EXPECT_FALSE(m.LineCut(0, 0, 4, 2, 11, 11, 11).Found);
  // Downhill the same rule: the far end at the level, f = 1.
  c = m.LineCut(0, 0, 4, 2, 12, 10, 10);
  ASSERT_TRUE(c.Found);
  EXPECT_EQ(c.ContourPt.X, 4);
  EXPECT_EQ(c.ContourPt.Y, 2);
  EXPECT_FALSE(m.LineCut(0, 0, 4, 2, 12, 10, 12).Found);
}

// One triangle, or two sharing the edge a-b, with the given heights.
std::unique_ptr<TDelaunay> Triangles(std::vector<std::vector<double>> corners,
                                     std::vector<std::vector<int32_t>> tris) {
  auto m = std::make_unique<TDelaunay>();
  int32_t v = 1;
  for (const auto& c : corners) {
    m->Vertex[v] = dVertex{c[0], c[1], c[2], v, 0};
    ++v;
  }
  m->tPoints = v;
  int32_t t = 0;
  for (const auto& tr : tris) m->Triangle[++t] = dTriangle{tr[0], tr[1], tr[2], 0, 0, 0, 0};
  m->HowMany = t;
  return m;
}

std::vector<std::pair<double, double>> Ends(const TDelaunay& m, const TLine& s) {
  const TPunkt& a = m.Contour.Points[static_cast<size_t>(s.sp)];
  const TPunkt& b = m.Contour.Points[static_cast<size_t>(s.ep)];
  return {{a.X, a.Y}, {b.X, b.Y}};
}

TEST(ContourCut, VerticesExactlyOnTheLevel) {
  using P = std::vector<std::pair<double, double>>;
  auto level10 = [](TDelaunay& m) {
    m.InitialiseContourLevels(10, 16, 10);  // the single level 10
    ASSERT_EQ(m.Contour.Levels, std::vector<double>{10});
    m.CalculateContours();
  };
  {  // one corner on the level, both others above: a segment of one point
    auto m = Triangles({{0, 0, 10}, {4, 0, 11}, {0, 4, 11}, {4, 4, 12}}, {{1, 2, 3}});
    level10(*m);
    ASSERT_EQ(m->Contour.Contours[0].size(), 1u);
    const TLine s = m->Contour.Contours[0][0];
    EXPECT_EQ(s.sp, 0);
    EXPECT_EQ(s.ep, 0);
    EXPECT_EQ(s.AE, 0);
    EXPECT_EQ(Ends(*m, s), (P{{0, 0}, {0, 0}}));
    EXPECT_EQ(m->Contour.Points[0].Z, 0);
    EXPECT_EQ(m->Contour.Points[0].ln, 0);
  }
  {  // ... unless a segment of the level already ends near that corner
    auto m = Triangles({{0, 0, 10}, {4, 0, 9}, {0, 4, 11}, {-4, 0, 11}}, {{1, 2, 3}, {1, 3, 4}});
    level10(*m);
    ASSERT_EQ(m->Contour.Contours[0].size(), 1u);
    EXPECT_EQ(Ends(*m, m->Contour.Contours[0][0]), (P{{2, 2}, {0, 0}}));
  }
  {  // one on, one above, one below: from the corner to the opposite edge
    auto m = Triangles({{0, 0, 10}, {4, 0, 9}, {0, 4, 11}}, {{1, 2, 3}});
    level10(*m);
    ASSERT_EQ(m->Contour.Contours[0].size(), 1u);
    EXPECT_EQ(Ends(*m, m->Contour.Contours[0][0]), (P{{2, 2}, {0, 0}}));
  }
  {  // two on the level: along their edge; the neighbour's copy is refused
    auto m = Triangles({{0, 0, 10}, {4, 0, 10}, {2, 3, 11}, {2, -3, 11}},
                       {{1, 2, 3}, {2, 1, 4}});
    level10(*m);
    ASSERT_EQ(m->Contour.Contours[0].size(), 1u);
    EXPECT_EQ(Ends(*m, m->Contour.Contours[0][0]), (P{{4, 0}, {0, 0}}));
    EXPECT_EQ(m->Contour.Points.size(), 2u);
  }
  {  // two on and the third below or on, all on, one on and two below: none
    for (double z : {9.0, 10.0}) {
      auto m = Triangles({{0, 0, 10}, {4, 0, 10}, {2, 3, z}}, {{1, 2, 3}});
      level10(*m);
      EXPECT_TRUE(m->Contour.Contours[0].empty()) << z;
    }
    auto m = Triangles({{0, 0, 10}, {4, 0, 9}, {2, 3, 9.5}}, {{1, 2, 3}});
    level10(*m);
    EXPECT_TRUE(m->Contour.Contours[0].empty());
    EXPECT_TRUE(m->Contour.Points.empty());
  }
}

TEST(ContourPool, InclusiveWindowLowestIndexAndStrictDuplicateTest) {
  auto m = std::make_unique<TDelaunay>();
  auto pt = [](double x, double y) { return TPunkt{x, y, 7, 1}; };
  EXPECT_EQ(m->AddContourPoint(pt(1, 1)), 0);
  EXPECT_EQ(m->AddContourPoint(pt(1.005, 1.005)), 0);  // pooled, point unchanged
  EXPECT_EQ(m->Contour.Points[0].X, 1);
  EXPECT_EQ(m->Contour.Points[0].Z, 0);  // a new point carries 0 and no flag
  EXPECT_EQ(m->Contour.Points[0].ln, 0);
  EXPECT_EQ(m->AddContourPoint(pt(1.015, 1)), 1);      // 0.015 apart: a point of its own
  EXPECT_EQ(m->AddContourPoint(pt(1.008, 1.001)), 0);  // in both windows: the first wins
  EXPECT_EQ(m->AddContourPoint(pt(1.0125, 1)), 1);
  // A difference of exactly the tolerance is inside the pooling window ...
  EXPECT_EQ(m->AddContourPoint(pt(5.0, 0.0)), 2);
  EXPECT_EQ(m->AddContourPoint(pt(5.0, 0.01)), 2);

  // ... but not near for the duplicate test.
  m->InitialiseContourLevels(0, 1, 1);  // one level, empty pool
  auto cut = [](double x, double y) { return TLineCut{TPunkt{x, y, 0, 0}, true}; };
  m->AddContourLine(0, cut(0, 0), cut(1, 0));
  ASSERT_EQ(m->Contour.Contours[0].size(), 1u);
  m->AddContourLine(0, cut(0.005, 0.005), cut(1.005, 0));  // the same segment
  m->AddContourLine(0, cut(1, 0.005), cut(0.005, 0));      // the same, reversed
  m->AddContourLine(0, cut(0.001, 0), cut(0.002, 0));      // both ends near one end
  EXPECT_EQ(m->Contour.Contours[0].size(), 1u);
  EXPECT_EQ(m->Contour.Points.size(), 2u);
  m->AddContourLine(0, cut(0.02, 0), cut(1, 0));  // 0.02 from the start: a new segment
  ASSERT_EQ(m->Contour.Contours[0].size(), 2u);
  EXPECT_EQ(m->Contour.Contours[0][1].sp, 2);
  EXPECT_EQ(m->Contour.Contours[0][1].ep, 1);
  m->AddContourLine(0, cut(0, 0.01), cut(1, 0));  // exactly the tolerance: not near
  ASSERT_EQ(m->Contour.Contours[0].size(), 3u);
  EXPECT_EQ(m->Contour.Contours[0][2].sp, 0);  // yet pooled with point 0
  EXPECT_THROW(m->AddContourLine(1, cut(0, 0), cut(1, 1)), zelmaro::ERangeError);
}

TEST(ContourPool, EmptyMeshesAndLevelsOutsideTheSurfaceGiveNothing) {
  auto m = std::make_unique<TDelaunay>();
  m->CalculateContours();  // no levels yet
  m->InitialiseContourLevels(m->zMin, m->zMax, 0.1);
  m->CalculateContours();  // no triangles
  EXPECT_TRUE(m->Contour.Points.empty());
  GridMesh(*m, 5, 5, 1.0, [](double, double) { return 100.3; });
  m->InitialiseContourLevels(m->zMin, m->zMax, 0.5);
  ASSERT_EQ(m->Contour.Levels, std::vector<double>{100.0});
  m->CalculateContours();
  EXPECT_TRUE(m->Contour.Contours[0].empty());
  m->InitialiseContourLevels(m->zMax, m->zMin - 10, 1);  // MinZ above MaxZ
  m->CalculateContours();
  EXPECT_TRUE(m->Contour.Points.empty());
}

}  // namespace
}  // namespace Delaunay
