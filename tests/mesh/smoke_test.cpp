#include <gtest/gtest.h>

#include "mesh/delaunay.h"

namespace {

TEST(MeshSmoke, ThreeFarPointsGiveOneTriangleNearlyCollinearNone) {
  Delaunay::TDelaunay m;
  m.AddPoint(1, 0, 0, 1);
  m.AddPoint(2, 10, 5, 2);
  m.AddPoint(3, 20, 0, 3);
  m.Mesh();
  EXPECT_EQ(m.HowMany, 1);
  EXPECT_EQ(m.zMin, 1);
  EXPECT_EQ(m.zMax, 3);

  Delaunay::TDelaunay thin;
  thin.AddPoint(1, 0, 0, 0);
  thin.AddPoint(2, 10, 0.1, 0);
  thin.AddPoint(3, 20, 0, 0);
  thin.Mesh();
  EXPECT_EQ(thin.HowMany, 0);
}

TEST(MeshSmoke, SquareGivesTwoTriangles) {
  Delaunay::TDelaunay m;
  m.AddPoint(1, 0, 0, 0);
  m.AddPoint(2, 10, 0, 0);
  m.AddPoint(3, 10, 10, 0);
  m.AddPoint(4, 0, 10, 0);
  m.Mesh();
  EXPECT_EQ(m.HowMany, 2);
}

}  // namespace
