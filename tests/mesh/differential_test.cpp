// The fast triangulation against the plain one, result for result.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "mesh/reference_mesh.h"
#include "points/reader.h"

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

TEST(MeshDifferential, DuplicatesWithinTheTolerance) {
  std::mt19937 rng(21);
  std::uniform_real_distribution<double> jitter(-0.012, 0.012);
  for (double x0 : {0.0, 5656820.914}) {
    Points pts = Uniform(800, 22, x0, 3486946.169, 60);
    const size_t n = pts.size();
    for (size_t k = 0; k < n; k += 2)  // a near copy of every other point, some kept
      pts.push_back({int32_t(n + k + 1), pts[k].x + jitter(rng), pts[k].y + jitter(rng), 7});
    std::shuffle(pts.begin(), pts.end(), rng);
    ExpectSameMesh(pts, "near copies");
  }
}

TEST(MeshDifferential, NearlyCollinearSets) {
  Points line, bow, survey;
  for (int k = 0; k < 300; ++k) {
    line.push_back({k + 1, k * 0.37, 2.0 + (k % 3) * 1e-6, 0});
    bow.push_back({k + 1, k * 1.0, 1e-4 * (k - 150) * (k - 150), 0});
    survey.push_back({k + 1, 5656820.914 + k * 0.25, 3486946.169 + k * 0.25 + (k % 2) * 2e-6, 0});
  }
  ExpectSameMesh(line, "almost a horizontal line");
  ExpectSameMesh(bow, "a flat parabola");
  ExpectSameMesh(survey, "a survey diagonal with micro steps");
  // Co-circular: every point on one circle, and its centre.
  Points ring;
  for (int k = 0; k < 240; ++k)
    ring.push_back({k + 1, 5656820.914 + 40 * std::cos(k * 0.02617993877991494),
                    3486946.169 + 40 * std::sin(k * 0.02617993877991494), 0});
  ring.push_back({241, 5656820.914, 3486946.169, 0});
  ExpectSameMesh(ring, "ring");
}

// Thousands of points along sloped lines in survey coordinates: the
// triangles have circles of hundreds of kilometres, and the look-up skips
// whole runs of columns by their bounds. Points a little off the line lie in
// such circles far ahead, behind runs that are skipped; a bound that leaves
// out a point it should not keeps a triangle the plain scan removes.
TEST(MeshDifferential, LongNearlyCollinearSurveyLines) {
  std::mt19937 rng(61);
  std::uniform_real_distribution<double> noise(-3e-5, 3e-5), side(-0.3, 0.3);
  const auto mm = [](double v) { return std::round(v * 1000) / 1000; };
  Points line, noisy, parallel, steep, nudged;
  for (int k = 1; k <= 4000; ++k) {
    const double x = 5656000 + k * 0.04, y = 3486000 + k * 0.03;
    line.push_back({k, mm(x), mm(y), 280});
    noisy.push_back({k, x + noise(rng), y + noise(rng), 280});
    parallel.push_back({2 * k - 1, mm(x), mm(y), 1});
    parallel.push_back({2 * k, mm(x + 0.02) - 0.00002, mm(y + 0.015) + 0.00002, 2});
    steep.push_back({k, 5656000 + k * 0.004 + (k % 7 == 0) * 0.00003, 3486000 - k * 0.05, 0});
    // Now and then a point moved across the line, by a millimetre to 30 cm.
    const double d = rng() % 97 == 0 ? side(rng) : 0;
    nudged.push_back({k, mm(x + 0.6 * d), mm(y - 0.8 * d), 0});
  }
  parallel.resize(5000);
  ExpectSameMesh(line, "a sloped line in millimetres");
  ExpectSameMesh(noisy, "a sloped line with noise");
  ExpectSameMesh(parallel, "two close parallel lines");
  ExpectSameMesh(steep, "a steep line with steps");
  ExpectSameMesh(nudged, "a line with points just off it");
}

// Survey sets whose circles are decided in the last bits: four or eight
// points on one circle but for the micrometre rounding, grids a few
// micrometres off, millimetre triangles, and rows a micrometre or two apart
// (the coincidence threshold). Where a double circle cannot tell, the ext
// one must, with the same answer.
TEST(MeshDifferential, NearDegenerateSurveySets) {
  const double x0 = 5656820.914, y0 = 3486946.169;
  std::mt19937 rng(71);
  Points jittered, millimetres, octets, rows;
  int id = 0;
  for (int a = 0; a < 40; ++a)
    for (int b = 0; b < 40; ++b) {
      const double jx = double(int(rng() % 5) - 2) * 1e-6, jy = double(int(rng() % 5) - 2) * 1e-6;
      jittered.push_back({++id, x0 + a * 0.5 + jx, y0 + b * 0.5 + jy, double(a % 5)});
    }
  id = 0;
  for (int a = 0; a < 30; ++a)
    for (int b = 0; b < 30; ++b) millimetres.push_back({++id, x0 + a * 0.001, y0 + b * 0.001, 1});
  id = 0;
  for (int cx = 0; cx < 6; ++cx)
    for (int cy = 0; cy < 6; ++cy) {
      const double ox = x0 + cx * 20, oy = y0 + cy * 20;
      const double p = 0.1 * double(1 + rng() % 40), q = 0.1 * double(1 + rng() % 40);
      for (double sx : {-1.0, 1.0})
        for (double sy : {-1.0, 1.0}) {
          octets.push_back({++id, ox + sx * p, oy + sy * q, 0});
          octets.push_back({++id, ox + sx * q, oy + sy * p, 0});
        }
    }
  id = 0;
  for (int k = 0; k < 1500; ++k)
    rows.push_back({++id, x0 + double(rng() % 200000) * 0.001,
                    y0 + double(k % 4) * 0.000001 + double(rng() % 3) * 2.5, 0});
  ExpectSameMesh(jittered, "a half-metre grid a few micrometres off");
  ExpectSameMesh(millimetres, "a millimetre grid");
  ExpectSameMesh(octets, "eight points on a circle, many times");
  ExpectSameMesh(rows, "rows a micrometre apart");
}

TEST(MeshDifferential, EqualCoordinatesInRowsAndColumns) {
  std::mt19937 rng(31);
  std::uniform_int_distribution<int> u(0, 60);
  Points cols, rows;
  for (int k = 0; k < 1500; ++k) {
    cols.push_back({k + 1, u(rng) * 2.0, u(rng) * 0.3 + u(rng) * 0.01, 0});
    rows.push_back({k + 1, u(rng) * 0.3 + u(rng) * 0.01, u(rng) * 2.0, 0});
  }
  ExpectSameMesh(cols, "many equal x");
  ExpectSameMesh(rows, "many equal y");
}

// Points on lines at the height of the lower super-triangle corners (all y
// negative, x spanning 0.5, so that ymid - dmax falls on the first line)
// make coincident triangles: every test of one is reported, and its
// completion hangs on the circle of the test before it.
Points LowerCornerLines(std::mt19937& rng) {
  Points pts;
  int32_t id = 0;
  const double y0 = -(double(rng() % 50) + 0.5);
  const int lines = 1 + int(rng() % 4);
  const double step = 0.01 + double(rng() % 4) * 0.0025;
  for (int l = 0; l < lines; ++l) {
    const double y = y0 + l * 0.1 * double(1 + rng() % 2);
    for (int q = 0; q * step <= 0.5; ++q)
      if (q == 0 || rng() % 3) pts.push_back({++id, q * step, y, double(id)});
    pts.push_back({++id, 0.5, y, 0});
  }
  const int extra = int(rng() % 40);
  for (int k = 0; k < extra; ++k)
    pts.push_back({++id, double(rng() % 1000) / 2000, y0 + double(rng() % 300) / 1000, 0});
  std::shuffle(pts.begin(), pts.end(), rng);
  return pts;
}

TEST(MeshDifferential, CoincidenceReports) {
  std::mt19937 rng(41);
  int32_t total = 0, sets_with = 0;
  for (int trial = 0; trial < 300; ++trial) {
    int32_t c = 0;
    ExpectSameMesh(LowerCornerLines(rng), "lines at the lower corners " + std::to_string(trial), &c);
    if (HasFatalFailure()) return;
    total += c;
    sets_with += c > 0;
  }
  EXPECT_GT(sets_with, 200);  // the sets do what they are for
  EXPECT_GT(total, 10000);
}

// Two long lines whose y steps up by a micrometre every 7 m. This draw
// (found by searching) makes flat triangles along a line that are reported
// at every point until the circle tested before them is passed.
TEST(MeshDifferential, CoincidenceReportsAlongMicroSteppedLines) {
  std::mt19937 rng(99);
  rng.discard(75000);
  Points pts;
  for (int k = 0; k < 15000; ++k) {
    const double t = double(rng() % 100000) / 10;
    pts.push_back({k + 1, t, std::floor(t / 7) * 0.000001 + double(rng() % 2) * 3, double(k % 17)});
  }
  int32_t c = 0;
  ExpectSameMesh(pts, "micro-stepped lines", &c);
  EXPECT_GT(c, 10000);
}

// Small sets from a coarse lattice with many equal y: duplicates, collinear
// runs and, now and then, coincident triangles.
TEST(MeshDifferential, SmallLatticeSets) {
  std::mt19937 rng(51);
  for (int trial = 0; trial < 3000; ++trial) {
    Points pts;
    const int kind = int(rng() % 4), m = 3 + int(rng() % 40);
    const double c = -(double(rng() % 7) + 0.5), span = 0.5 + double(rng() % 4) * 0.25;
    for (int k = 0; k < m; ++k) {
      double x = double(rng() % 21) * span / 20, y = c;
      if (kind == 1 && rng() % 6 == 0) y = c + double(rng() % 5) * 0.05;
      if (kind == 2 && rng() % 10 == 0) y = c + double(rng() % 3) * 0.0000001 * double(rng() % 2);
      if (kind == 3) y = rng() % 3 == 0 ? c : c + double(rng() % 3) * 0.1;
      pts.push_back({k + 1, x, y, double(k)});
    }
    ExpectSameMesh(pts, "lattice " + std::to_string(trial));
    if (HasFatalFailure()) return;
  }
}

// The sample survey, both horizons offered as the computation offers them.
TEST(MeshDifferential, TheSampleSurvey) {
  PointTable P;
  ASSERT_TRUE(LiesPunkte(ZELMARO_TEST_DATA "/../../examples/halde.asc", P));
  for (bool reference : {true, false}) {
    Points pts;
    for (int i = 1; i <= High(P); ++i) {
      const TPunkt& p = P[static_cast<size_t>(i)];
      if (p.Code == 1 || (!reference && p.Code == 0)) pts.push_back({i, p.X, p.Y, p.Z});
    }
    ASSERT_GT(pts.size(), 50u);
    ExpectSameMesh(pts, reference ? "reference horizon" : "terrain");
  }
}

}  // namespace
}  // namespace zelmaro::testing
