// The contour polylines hold exactly the segments of their level, each once,
// joined only where they touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "mesh/contour_polylines.h"
#include "mesh/delaunay.h"

namespace Delaunay {
namespace {

using Segment = std::pair<int32_t, int32_t>;

TContourSetup Levels(const std::vector<std::vector<Segment>>& levels, int points) {
  TContourSetup c;
  c.Points.assign(static_cast<size_t>(points), TPunkt{0, 0, 0, 0});
  for (size_t i = 0; i < levels.size(); ++i) {
    c.Levels.push_back(static_cast<double>(i));
    c.Contours.emplace_back();
    for (const Segment& s : levels[i]) c.Contours.back().push_back(TLine{s.first, s.second, 0});
  }
  c.NoLevels = static_cast<int32_t>(levels.size());
  return c;
}

// The segments a polyline draws, in drawing order.
std::vector<Segment> Steps(const ContourPolyline& l) {
  std::vector<Segment> s;
  for (size_t k = 0; k + 1 < l.points.size(); ++k) s.emplace_back(l.points[k], l.points[k + 1]);
  if (l.closed) s.emplace_back(l.points.back(), l.points.front());
  return s;
}

// Per level, the polylines' steps in order are the level's segments in order.
void ExpectSameSegments(const TContourSetup& c, const std::vector<ContourPolyline>& lines) {
  std::map<int32_t, std::vector<Segment>> drawn;
  for (const ContourPolyline& l : lines) {
    ASSERT_GE(l.points.size(), 2u);
    for (const Segment& s : Steps(l)) drawn[l.level].push_back(s);
  }
  for (size_t i = 0; i < c.Contours.size(); ++i) {
    std::vector<Segment> stored;
    for (const TLine& t : c.Contours[i]) stored.emplace_back(t.sp, t.ep);
    EXPECT_EQ(drawn[static_cast<int32_t>(i)], stored) << "level " << i;
  }
}

TEST(ContourPolylines, JoinsTouchingSegmentsAndClosesRings) {
  // Level 0: an open line 0-1-2-3, then a ring 4-5-6, a lone segment 7-8 and
  // a degenerate one at point 9. Level 1: two segments that do not touch in
  // their stored direction, and a two-segment ring.
  const TContourSetup c = Levels({{{0, 1}, {1, 2}, {2, 3}, {4, 5}, {5, 6}, {6, 4}, {7, 8}, {9, 9}},
                                 {{1, 0}, {2, 1}, {3, 4}, {4, 3}}},
                                10);
  const std::vector<ContourPolyline> lines = ContourPolylines(c);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].points, (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_FALSE(lines[0].closed);
  EXPECT_EQ(lines[1].points, (std::vector<int32_t>{4, 5, 6}));
  EXPECT_TRUE(lines[1].closed);
  EXPECT_EQ(lines[2].points, (std::vector<int32_t>{7, 8}));
  EXPECT_EQ(lines[3].points, (std::vector<int32_t>{9, 9}));
  EXPECT_FALSE(lines[3].closed);
  // 1-0 then 2-1: the second starts where the first started, not where it
  // ended, so they stay apart.
  EXPECT_EQ(lines[4].points, (std::vector<int32_t>{1, 0}));
  EXPECT_EQ(lines[5].points, (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(lines[6].points, (std::vector<int32_t>{3, 4}));
  EXPECT_TRUE(lines[6].closed);
  ExpectSameSegments(c, lines);

  // Segments outside the pool and levels beyond NoLevels are not drawn.
  TContourSetup bad = Levels({{{0, 1}, {1, 12}, {1, 2}}, {{0, 1}}}, 3);
  bad.NoLevels = 1;
  const std::vector<ContourPolyline> kept = ContourPolylines(bad);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[0].points, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(kept[1].points, (std::vector<int32_t>{1, 2}));
}

TEST(ContourPolylines, ChainedContoursOfARandomSurfaceKeepEverySegment) {
  std::mt19937 rng(14);
  std::uniform_real_distribution<double> u(0, 100);
  TDelaunay mesh;
  for (int i = 1; i <= 400; ++i) {
    const double x = u(rng), y = u(rng);
    mesh.AddPoint(i, x, y, 10 + std::sin(x / 9) * 3 + std::cos(y / 13) * 2);
  }
  mesh.Mesh();
  mesh.InitialiseContourLevels(mesh.zMin, mesh.zMax, 0.5);
  mesh.CalculateContours();
  mesh.SortContourLines();
  const std::vector<ContourPolyline> lines = ContourPolylines(mesh.Contour);
  ExpectSameSegments(mesh.Contour, lines);
  size_t segments = 0, closed = 0;
  for (const auto& list : mesh.Contour.Contours) segments += list.size();
  for (const ContourPolyline& l : lines) closed += l.closed;
  // Chained lines, not loose segments: far fewer polylines than segments,
  // and some of the hills' lines are rings.
  EXPECT_LT(lines.size() * 4, segments);
  EXPECT_GT(closed, 0u);
}

}  // namespace
}  // namespace Delaunay
