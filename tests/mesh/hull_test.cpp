#include "mesh/hull.h"

#include <gtest/gtest.h>

#include <random>

namespace Delaunay {
namespace {

TEST(ConvexHull, SquareWithInnerAndEdgePointsAtSurveyOffsets) {
  TDelaunay mesh;
  const double x0 = 5612345.0, y0 = 3486990.0;
  int32_t n = 1;
  for (double x : {0.0, 5.0, 10.0})
    for (double y : {0.0, 5.0, 10.0}) mesh.AddPoint(n++, x0 + x, y0 + y, 280);
  mesh.Mesh();
  const std::vector<int32_t> hull = ConvexHull(mesh);
  ASSERT_EQ(hull.size(), 4u);  // edge midpoints are not corners
  EXPECT_DOUBLE_EQ(ConvexHullArea(mesh), 100.0);
  EXPECT_NEAR(MeshArea(mesh, mesh.HowMany), 100.0, 1e-6);
}

TEST(ConvexHull, DegenerateSetsHaveNoArea) {
  TDelaunay collinear;
  for (int32_t i = 1; i <= 5; ++i) collinear.AddPoint(i, i, 2.0 * i, 0);
  collinear.Mesh();
  EXPECT_TRUE(ConvexHull(collinear).empty());
  EXPECT_EQ(ConvexHullArea(collinear), 0.0);

  TDelaunay two;
  two.AddPoint(1, 0, 0, 0);
  two.AddPoint(2, 1, 1, 0);
  two.Mesh();
  EXPECT_EQ(ConvexHullArea(two), 0.0);
}

TEST(ConvexHull, MeshNeverCoversMoreThanTheHull) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(0, 100);
  TDelaunay mesh;
  for (int32_t i = 1; i <= 500; ++i) mesh.AddPoint(i, u(rng), u(rng), u(rng));
  mesh.Mesh();
  const double hull = ConvexHullArea(mesh);
  EXPECT_GT(hull, 9000.0);
  EXPECT_LE(MeshArea(mesh, mesh.HowMany), hull * (1 + 1e-12));
}

}  // namespace
}  // namespace Delaunay
