// The mesh store, the point intake and the triangulation on cases small
// enough to know the answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "mesh/delaunay.h"
#include "text/errors.h"

namespace {

using Delaunay::TDelaunay;

struct P3 {
  double x, y, z;
};

std::unique_ptr<TDelaunay> Meshed(const std::vector<P3>& pts) {
  auto m = std::make_unique<TDelaunay>();
  for (size_t i = 0; i < pts.size(); ++i)
    m->AddPoint(static_cast<int32_t>(i + 1), pts[i].x, pts[i].y, pts[i].z);
  m->Mesh();
  return m;
}

// The triangles as sets of the IDs of their corners.
std::set<std::set<int32_t>> TrianglesByID(const TDelaunay& m) {
  std::set<std::set<int32_t>> out;
  for (int32_t t = 1; t <= m.HowMany; ++t)
    out.insert({m.Vertex[m.Triangle[t].vv0].ID, m.Vertex[m.Triangle[t].vv1].ID,
                m.Vertex[m.Triangle[t].vv2].ID});
  return out;
}

TEST(MeshIntake, DuplicatesWithinTheToleranceInXAndYAreDropped) {
  TDelaunay m;
  m.AddPoint(7, 100, 0, 1);
  m.AddPoint(8, 100.005, 0.005, 99);  // within 0.01 in both: dropped, whatever its z
  m.AddPoint(9, 100.02, 0, 2);        // 0.02 away in x: stored
  m.AddPoint(10, 100, 0.01, 3);       // exactly the tolerance away in y: not closer, stored
  m.AddPoint(11, 99.995, -0.008, 4);  // near the first again: dropped
  ASSERT_EQ(m.tPoints, 4);
  EXPECT_EQ(m.Vertex[1].ID, 7);  // the earlier vertex keeps its slot and ID
  EXPECT_EQ(m.Vertex[1].z, 1);
  EXPECT_EQ(m.Vertex[2].ID, 9);
  EXPECT_EQ(m.Vertex[3].ID, 10);
}

TEST(MeshIntake, CoordinatesAreKeptToSixDecimals) {
  TDelaunay m;
  m.AddPoint(1, 12.3456784, 12.3456786, 12.3456786);
  m.AddPoint(2, -12.3456786, 5656820.9144444, 3486946.1695555);
  EXPECT_EQ(m.Vertex[1].x, 12.345678);
  EXPECT_EQ(m.Vertex[1].y, 12.345679);
  EXPECT_EQ(m.Vertex[1].z, 12.345679);
  EXPECT_EQ(m.Vertex[2].x, -12.345679);
  EXPECT_EQ(m.Vertex[2].y, 5656820.914444);
  EXPECT_EQ(m.Vertex[2].z, 3486946.169556);
  // The comparison takes the offered value unrounded: 0.0099996 from the
  // stored 12.345678 is a duplicate even though both round apart.
  m.AddPoint(3, 12.3556776, 12.345679, 0);
  EXPECT_EQ(m.tPoints, 3);
}

TEST(MeshIntake, CoordinatesBeyondSixDecimalIntegersAreAnInvalidOperation) {
  TDelaunay m;
  m.AddPoint(1, 1, 1, 1);
  try {
    m.AddPoint(2, 1e13, 1, 1);
    FAIL() << "no error";
  } catch (const zelmaro::EInvalidOp& e) {
    EXPECT_STREQ(e.what(), "Ungültige Gleitkommaoperation");
  }
  EXPECT_EQ(m.tPoints, 2);  // nothing stored
}

TEST(MeshIntake, APointOfferedAfterMeshIsStillComparedWithEveryVertex) {
  auto m = Meshed({{0, 0, 0}, {10, 5, 0}, {20, 0, 0}, {5, 30, 0}});
  m->AddPoint(9, 20.004, 0.003, 0);
  m->AddPoint(10, 0.009, 29.0, 0);
  EXPECT_EQ(m->tPoints, 6);
  EXPECT_EQ(m->Vertex[5].ID, 10);
}

// The stores grow as the points come: past the 499,997 points and the
// 1,000,000 triangles they once were fixed at.
TEST(MeshIntake, TheStoresGrowPastTheirFormerCapacity) {
  auto m = std::make_unique<TDelaunay>();
  int32_t id = 0;
  for (int a = 0; a < 1000; ++a)
    for (int b = 0; b < 502; ++b) m->AddPoint(++id, a, b, a % 7);
  m->AddPoint(++id, 0.001, 0.002, 0);  // a duplicate is still dropped quietly
  ASSERT_EQ(m->tPoints, 502001);
  EXPECT_EQ(m->Vertex[502000].ID, 502000);
  m->Mesh();
  EXPECT_GT(m->HowMany, 1000000);
  // The super-triangle's corners behind the last point.
  EXPECT_EQ(m->Vertex[502003].x, 499 + 2 * 999.0);  // xmid + 2 dmax
  for (int32_t t = 1; t <= m->HowMany; ++t)
    ASSERT_TRUE(m->Triangle[t].vv0 < 502001 && m->Triangle[t].vv1 < 502001 &&
                m->Triangle[t].vv2 < 502001) << t;
}

TEST(MeshSort, AscendingXWithEveryRecordWhole) {
  TDelaunay m;
  const double xs[] = {5, -3, 5, 8, 0.5, -3, 7, 2, 2, 9, 1};
  for (int i = 0; i < 11; ++i) m.AddPoint(100 + i, xs[i], i * 0.5, i * 10.0);
  m.Mesh();
  for (int32_t v = 1; v < m.tPoints; ++v) {
    if (v > 1) {
      EXPECT_LE(m.Vertex[v - 1].x, m.Vertex[v].x);
    }
    const int i = m.Vertex[v].ID - 100;  // the ID still names the point's own values
    EXPECT_EQ(m.Vertex[v].x, xs[i]);
    EXPECT_EQ(m.Vertex[v].y, i * 0.5);
    EXPECT_EQ(m.Vertex[v].z, i * 10.0);
  }
  // Every corner is a sorted slot; the IDs lead back to the offered points.
  for (int32_t t = 1; t <= m.HowMany; ++t)
    for (int32_t c : {m.Triangle[t].vv0, m.Triangle[t].vv1, m.Triangle[t].vv2}) {
      EXPECT_GE(c, 1);
      EXPECT_LT(c, m.tPoints);
    }
}

TEST(MeshSort, AnEmptyRangeIsLeftAlone) {
  Delaunay::dVertex v[3] = {{1, 2, 3, 4, 0}, {0, 0, 0, 5, 0}, {-1, 0, 0, 6, 0}};
  TDelaunay::QuickSort(v, 1, 0);
  TDelaunay::QuickSort(v, 2, 2);
  EXPECT_EQ(v[1].ID, 5);
  EXPECT_EQ(v[2].ID, 6);
}

TEST(MeshTriangulate, FewerThanThreePointsGiveNothing) {
  for (int n = 0; n <= 2; ++n) {
    std::vector<P3> pts;
    for (int i = 0; i < n; ++i) pts.push_back({double(i), double(i), 50.0 + i});
    auto m = Meshed(pts);
    EXPECT_EQ(m->HowMany, 0);
    EXPECT_EQ(m->zMin, 0);
    EXPECT_EQ(m->zMax, 0);
  }
}

TEST(MeshTriangulate, FarAndNearCollinearTriples) {
  auto far = Meshed({{0, 0, 1}, {10, 5, 2}, {20, 0, 3}});
  EXPECT_EQ(far->HowMany, 1);
  EXPECT_EQ(TrianglesByID(*far), (std::set<std::set<int32_t>>{{1, 2, 3}}));
  // The thin triangle's circle reaches a corner of the small super-triangle;
  // its heights still count.
  auto near = Meshed({{0, 0, 4}, {10, 0.1, -2}, {20, 0, 7}});
  EXPECT_EQ(near->HowMany, 0);
  EXPECT_EQ(near->zMin, -2);
  EXPECT_EQ(near->zMax, 7);
}

TEST(MeshTriangulate, TheSquareGivesTwoTrianglesOnOneDiagonal) {
  auto m = Meshed({{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}});
  ASSERT_EQ(m->HowMany, 2);
  const auto tris = TrianglesByID(*m);
  const bool diagonal13 = tris == std::set<std::set<int32_t>>{{1, 2, 3}, {1, 3, 4}};
  const bool diagonal24 = tris == std::set<std::set<int32_t>>{{1, 2, 4}, {2, 3, 4}};
  EXPECT_TRUE(diagonal13 || diagonal24);
}

TEST(MeshTriangulate, APointOnTheCircleAtXcPlusRRemovesTheTriangle) {
  // The circle of the first three points has its centre at (1, 1) and
  // radius 1; the fourth point lies on it at x = xc + r. It neither
  // completes the triangle nor counts as outside, so the diagonal runs
  // through it.
  auto m = Meshed({{0, 1, 0}, {1, 0, 0}, {1, 2, 0}, {2, 1, 0}});
  EXPECT_EQ(TrianglesByID(*m), (std::set<std::set<int32_t>>{{1, 2, 4}, {1, 3, 4}}));
}

TEST(MeshTriangulate, TheSuperTriangleStandsOnTruncatedMidpoints) {
  auto m = Meshed({{0.2, 0.3, 0}, {0.9, 0.2, 0}, {0.5, 0.9, 0}, {0.4, 0.5, 0}});
  const int32_t n = m->tPoints - 1;
  const double dmax = 0.7;  // dx 0.7, dy 0.7
  EXPECT_EQ(m->Vertex[n + 1].x, -2 * dmax);
  EXPECT_EQ(m->Vertex[n + 1].y, -dmax);
  EXPECT_EQ(m->Vertex[n + 2].x, 0);
  EXPECT_EQ(m->Vertex[n + 2].y, 2 * dmax);
  EXPECT_EQ(m->Vertex[n + 3].x, 2 * dmax);
  // Toward zero also for negative midpoints: (-1.2 + -3.7) / 2 = -2.45 -> -2.
  auto neg = Meshed({{-1.2, 10, 0}, {-3.7, 10.5, 0}, {-2, 12, 0}});
  EXPECT_EQ(neg->Vertex[4].x, -2 - 2 * 2.5);
  EXPECT_EQ(neg->Vertex[5].x, -2);
  EXPECT_EQ(neg->Vertex[5].y, 11 + 2 * 2.5);
}

TEST(MeshInCircle, OnTheCircleIsInsideAndTheCircleIsCached) {
  TDelaunay m;
  m.Triangle[5].PreCalc = 0;
  double xc = 0, yc = 0, r = 0;
  EXPECT_TRUE(m.InCircle(2, 1, 0, 1, 1, 0, 1, 2, xc, yc, r, 5));
  EXPECT_EQ(xc, 1);
  EXPECT_EQ(yc, 1);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(m.Triangle[5].PreCalc, 1);
  EXPECT_FALSE(m.InCircle(2.0000001, 1, 0, 1, 1, 0, 1, 2, xc, yc, r, 5));
  // The second call reads the cache, whatever corners it is given.
  xc = yc = r = 0;
  EXPECT_TRUE(m.InCircle(1, 1.5, 50, 50, 60, 50, 50, 60, xc, yc, r, 5));
  EXPECT_EQ(xc, 1);
  EXPECT_EQ(r, 1);
}

TEST(MeshInCircle, CoincidentCornersAreReportedEveryTimeAndNeverCached) {
  TDelaunay m;
  int reports = 0;
  m.SetCoincidenceHandler([&reports] { ++reports; });
  m.Triangle[3].PreCalc = 0;
  double xc = 7, yc = 8, r = 9;
  for (int k = 0; k < 3; ++k) {
    // y within 0.000001 of each other, strictly
    EXPECT_FALSE(m.InCircle(5, 5.0000001, 0, 5, 10, 5.0000009, 20, 5.0000001, xc, yc, r, 3));
    EXPECT_EQ(m.Triangle[3].PreCalc, 0);
  }
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(xc, 7);  // the circle values stay as they were
  EXPECT_EQ(yc, 8);
  EXPECT_EQ(r, 9);
  // One y 0.000001 or more away: a circle.
  EXPECT_TRUE(m.InCircle(10, 4, 0, 5, 10, 5.000001, 20, 5, xc, yc, r, 3));
  EXPECT_EQ(reports, 3);
}

TEST(MeshTriangulate, PointsOnTheLineOfTheLowerSuperCornersAreReported) {
  // All on y = -3.5 with x from 0 to 0.5: the lower super-triangle corners
  // come to lie on the same line, so every triangle between them and the
  // points is coincident.
  auto m = std::make_unique<TDelaunay>();
  int reports = 0;
  m->SetCoincidenceHandler([&reports] { ++reports; });
  m->AddPoint(1, 0, -3.5, 0);
  m->AddPoint(2, 0.25, -3.5, 0);
  m->AddPoint(3, 0.5, -3.5, 0);
  m->Mesh();
  EXPECT_EQ(m->HowMany, 0);
  EXPECT_GT(reports, 0);
  EXPECT_EQ(m->Coincidences(), reports);
}

}  // namespace
