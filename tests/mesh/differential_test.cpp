// The fast triangulation against the plain one, result for result.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "mesh/reference_mesh.h"

namespace zelmaro::testing {
namespace {

using Points = std::vector<OfferedPoint>;

// Compares every result; the first difference is named.
void ExpectSameMesh(const Points& pts, const std::string& what, int32_t* coincidences = nullptr) {
  SCOPED_TRACE(what + " (" + std::to_string(pts.size()) + " points)");
  const MeshResult want = ReferenceMesh(pts);
  const MeshResult got = ProductionMesh(pts);
  ASSERT_EQ(got.error, want.error);
  ASSERT_EQ(got.vertices.size(), want.vertices.size());
  for (size_t v = 0; v < want.vertices.size(); ++v) {
    const Delaunay::dVertex &a = got.vertices[v], &b = want.vertices[v];
    ASSERT_TRUE(std::memcmp(&a.x, &b.x, sizeof(double)) == 0 &&
                std::memcmp(&a.y, &b.y, sizeof(double)) == 0 &&
                std::memcmp(&a.z, &b.z, sizeof(double)) == 0 && a.ID == b.ID)
        << "vertex " << v + 1;
  }
  ASSERT_EQ(got.HowMany, want.HowMany);
  for (size_t k = 0; k < want.corners.size(); ++k)
    ASSERT_EQ(got.corners[k], want.corners[k]) << "triangle " << k / 3 + 1 << " corner " << k % 3;
  EXPECT_EQ(got.zMin, want.zMin);
  EXPECT_EQ(got.zMax, want.zMax);
  EXPECT_EQ(got.coincidences, want.coincidences);
  if (coincidences) *coincidences = want.coincidences;
}

Points Uniform(int n, uint32_t seed, double x0 = 0, double y0 = 0, double size = 1000) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, size);
  Points pts;
  for (int i = 0; i < n; ++i) {
    const double y = y0 + u(rng), x = x0 + u(rng);
    pts.push_back({i + 1, x, y, 100 + u(rng) / 100});
  }
  return pts;
}

Points Grid(int nx, int ny, double step, double x0, double y0) {
  Points pts;
  int id = 0;
  for (int a = 0; a < nx; ++a)
    for (int b = 0; b < ny; ++b) {
      ++id;
      pts.push_back({id, x0 + a * step, y0 + b * step, (a * 7 + b * 3) % 11 * 0.1});
    }
  return pts;
}

TEST(MeshDifferential, RandomSetsOfManySizes) {
  for (int n : {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 13, 20, 31, 50, 100, 200, 500, 1000, 2000})
    for (uint32_t seed : {1u, 2u, 3u}) ExpectSameMesh(Uniform(n, seed), "uniform seed " + std::to_string(seed));
  ExpectSameMesh(Uniform(5000, 7), "uniform large");
}

TEST(MeshDifferential, SurveyOffsets) {
  for (uint32_t seed : {11u, 12u}) ExpectSameMesh(Uniform(1500, seed, 5656820.914, 3486946.169, 300), "survey random");
  ExpectSameMesh(Grid(40, 35, 2.5, 5656820.914, 3486946.169), "survey grid");
  ExpectSameMesh(Grid(30, 30, 0.7, 5656820.914, 3486946.169), "survey fine grid");
}

TEST(MeshDifferential, RegularGrids) {
  ExpectSameMesh(Grid(2, 2, 10, 0, 0), "square");
  ExpectSameMesh(Grid(10, 10, 1, 0, 0), "10x10");
  ExpectSameMesh(Grid(50, 40, 1, 0, 0), "50x40");
  ExpectSameMesh(Grid(1, 200, 1, 0, 0), "one column");
  ExpectSameMesh(Grid(200, 1, 1, 0, 0), "one row");
  ExpectSameMesh(Grid(3, 300, 1, 0, 0), "three columns");
  ExpectSameMesh(Grid(300, 3, 1, 0, 0), "three rows");
}

}  // namespace
}  // namespace zelmaro::testing
