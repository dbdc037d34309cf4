#include "mesh/outline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "mesh/hull.h"
#include "mesh/mesh_validity.h"

namespace Delaunay {
namespace {

using zelmaro::testing::ExpectValidMesh;

struct Pt {
  double x, y;
};

std::unique_ptr<TDelaunay> Meshed(const std::vector<Pt>& pts) {
  auto mesh = std::make_unique<TDelaunay>();
  int32_t id = 0;
  for (const Pt& p : pts) {
    ++id;
    mesh->AddPoint(id, p.x, p.y, 100 + 0.01 * id);
  }
  mesh->Mesh();
  return mesh;
}

// Between two added triangles the edge is locally Delaunay: the gap is
// triangulated Delaunay wherever the mesh's boundary does not forbid it.
void ExpectAddedLocallyDelaunay(const TDelaunay& mesh, int32_t first) {
  std::map<std::pair<int32_t, int32_t>, int32_t> opposite;  // directed edge -> third corner
  for (int32_t t = first; t <= mesh.HowMany; ++t) {
    const int32_t c[3] = {mesh.Triangle[t].vv0, mesh.Triangle[t].vv1, mesh.Triangle[t].vv2};
    for (int k = 0; k < 3; ++k) opposite[{c[k], c[(k + 1) % 3]}] = c[(k + 2) % 3];
  }
  for (const auto& [edge, d] : opposite) {
    const auto other = opposite.find({edge.second, edge.first});
    if (other == opposite.end()) continue;
    // Clockwise (a, b, c): the in-circle determinant is negative inside.
    const dVertex &a = mesh.Vertex[edge.first], &b = mesh.Vertex[edge.second],
                  &c = mesh.Vertex[d], &p = mesh.Vertex[other->second];
    using ld = long double;
    const ld ax = ld(a.x) - p.x, ay = ld(a.y) - p.y, bx = ld(b.x) - p.x, by = ld(b.y) - p.y,
             cx = ld(c.x) - p.x, cy = ld(c.y) - p.y;
    const ld det = (ax * ax + ay * ay) * (bx * cy - cx * by) +
                   (bx * bx + by * by) * (cx * ay - ax * cy) +
                   (cx * cx + cy * cy) * (ax * by - bx * ay);
    const ld scale = (ax * ax + ay * ay + bx * bx + by * by + cx * cx + cy * cy) *
                     (std::fabs(ax) + std::fabs(bx) + std::fabs(cx)) *
                     (std::fabs(ay) + std::fabs(by) + std::fabs(cy));
    EXPECT_GE(det, -scale * 1e-9L) << "edge " << edge.first << "-" << edge.second;
  }
}

// Completes the mesh and checks everything the completion promises.
void ExpectCompleted(TDelaunay& mesh, const std::string& what, int32_t* added_out = nullptr) {
  SCOPED_TRACE(what);
  const OutlineCoverage before = MeasureOutline(mesh);
  std::vector<int32_t> described;
  for (int32_t t = 1; t <= mesh.HowMany; ++t)
    described.insert(described.end(),
                     {mesh.Triangle[t].vv0, mesh.Triangle[t].vv1, mesh.Triangle[t].vv2});
  const int32_t howMany = mesh.HowMany;

  const int32_t added = CompleteOutline(mesh);
  if (added_out) *added_out = added;
  EXPECT_EQ(added, before.missingTriangles);
  ASSERT_EQ(mesh.HowMany, howMany + added);
  for (int32_t t = 1; t <= howMany; ++t) {
    const size_t k = 3 * size_t(t - 1);
    ASSERT_EQ(mesh.Triangle[t].vv0, described[k]) << "triangle " << t;
    ASSERT_EQ(mesh.Triangle[t].vv1, described[k + 1]) << "triangle " << t;
    ASSERT_EQ(mesh.Triangle[t].vv2, described[k + 2]) << "triangle " << t;
  }
  ExpectValidMesh(mesh);
  ExpectAddedLocallyDelaunay(mesh, howMany + 1);
  const OutlineCoverage after = MeasureOutline(mesh);
  EXPECT_EQ(after.missingTriangles, 0);
  EXPECT_NEAR(after.meshArea, after.hullArea, after.hullArea * 1e-12);
  EXPECT_EQ(after.hullArea, before.hullArea);
  // A second call finds nothing to do.
  EXPECT_EQ(CompleteOutline(mesh), 0);
}

TEST(CompleteOutline, RandomSetsAtSurveyOffsetsCoverTheirHull) {
  int32_t total = 0;
  for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u}) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0, 1000);
    std::vector<Pt> pts;
    for (int i = 0; i < 3000; ++i) pts.push_back({5612345 + u(rng), 3486990 + u(rng) * 0.4});
    auto mesh = Meshed(pts);
    int32_t added = 0;
    ExpectCompleted(*mesh, "seed " + std::to_string(seed), &added);
    total += added;
  }
  EXPECT_GT(total, 0);  // the small enclosing triangle does leave some out
}

TEST(CompleteOutline, SurveyGridsWithCocircularSquares) {
  for (double angle : {0.0, 0.3, 1.1}) {
    std::vector<Pt> pts;
    const double c = std::cos(angle), s = std::sin(angle);
    for (int a = 0; a <= 60; ++a)
      for (int b = 0; b <= 40; ++b) pts.push_back({1000 + 5 * (a * c - b * s), 2000 + 5 * (a * s + b * c)});
    auto mesh = Meshed(pts);
    ExpectCompleted(*mesh, "grid at angle " + std::to_string(angle));
  }
  // The frame of the plane survey with random points inside.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> ux(1, 299), uy(1, 199);
  std::vector<Pt> pts;
  for (int x = 0; x <= 300; x += 5) pts.push_back({double(x), 0}), pts.push_back({double(x), 200});
  for (int y = 5; y < 200; y += 5) pts.push_back({0, double(y)}), pts.push_back({300, double(y)});
  for (int i = 0; i < 2000; ++i) pts.push_back({ux(rng), uy(rng)});
  auto mesh = Meshed(pts);
  ExpectCompleted(*mesh, "frame and random inside");
}

TEST(CompleteOutline, NearlyCollinearSets) {
  // Their circumcircle reaches a corner of the enclosing triangle, so the
  // triangulation has none.
  auto three = Meshed({{0, 0}, {10, 0.1}, {20, 0}});
  ASSERT_EQ(three->HowMany, 0);
  ExpectCompleted(*three, "three points");
  EXPECT_EQ(three->HowMany, 1);

  std::mt19937 rng(3);
  std::uniform_real_distribution<double> jitter(-0.05, 0.05);
  std::vector<Pt> line, bow, steps;
  for (int i = 0; i < 400; ++i) {
    line.push_back({5612000 + 2.5 * i, 3486000 + 1.25 * i + jitter(rng)});
    bow.push_back({100.0 + i, 0.0002 * (i - 200) * (i - 200)});
    steps.push_back({double(i), i % 2 * 0.02});
  }
  for (auto [pts, what] : {std::pair{&line, "jittered line"}, std::pair{&bow, "flat bow"},
                           std::pair{&steps, "zigzag"}}) {
    auto mesh = Meshed(*pts);
    ExpectCompleted(*mesh, what);
  }
}

// Small sets on a coarse lattice are full of collinear and cocircular
// points, and micro-stepped lines make the triangulation report coincident
// corners: whatever the mesh, the completion either closes the hull properly
// or adds nothing. (Near the origin: at survey offsets a double cannot hold a
// micrometre exactly, and the checks below would judge the rounding.)
TEST(CompleteOutline, DegenerateSmallSetsNeverBreakTheMesh) {
  std::mt19937 rng(99);
  int completed = 0;
  for (int round = 0; round < 3000; ++round) {
    std::uniform_int_distribution<int> count(3, 14), lattice(0, round % 3 == 0 ? 3 : 6);
    std::vector<Pt> pts;
    const int n = count(rng);
    for (int i = 0; i < n; ++i) {
      const double x = lattice(rng), y = lattice(rng);
      if (round % 5 == 4)
        pts.push_back({1000 + x * 1e-5 + i * 0.02, 2000 + y * 1e-6});
      else
        pts.push_back({x * 2.5, y * 2.5});
    }
    auto mesh = Meshed(pts);
    const OutlineCoverage before = MeasureOutline(*mesh);
    const int32_t howMany = mesh->HowMany;
    const int32_t added = CompleteOutline(*mesh);
    ASSERT_EQ(mesh->HowMany, howMany + added);
    if (added == 0) continue;
    ++completed;
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(added, before.missingTriangles);
    ExpectValidMesh(*mesh);
    // Slivers of 1e-7 m²: their doubles carry rounding of some 1e-14 m².
    EXPECT_NEAR(MeshArea(*mesh, mesh->HowMany), before.hullArea,
                std::max(before.hullArea * 1e-12, 1e-12));
  }
  EXPECT_GT(completed, 300);
}

TEST(CompleteOutline, NothingToAddOrNothingToCover) {
  auto square = Meshed({{0, 0}, {10, 0}, {0, 10}, {10, 10}});
  ASSERT_EQ(square->HowMany, 2);
  EXPECT_EQ(CompleteOutline(*square), 0);
  EXPECT_EQ(square->HowMany, 2);

  auto collinear = Meshed({{0, 0}, {1, 1}, {2, 2}, {3, 3}});
  EXPECT_EQ(CompleteOutline(*collinear), 0);
  EXPECT_EQ(collinear->HowMany, 0);
  EXPECT_EQ(MeasureOutline(*collinear).missingTriangles, 0);

  auto two = Meshed({{0, 0}, {5, 1}});
  EXPECT_EQ(CompleteOutline(*two), 0);
}

TEST(CompleteOutline, MeshThatOverlapsItselfGetsNothing) {
  auto mesh = Meshed({{0, 0}, {10, 0.1}, {20, 0}, {10, -30}});
  const int32_t howMany = mesh->HowMany;
  // The same triangle twice: its edges lie twice on one side.
  mesh->Triangle[howMany + 1] = mesh->Triangle[1];
  mesh->HowMany = howMany + 1;
  EXPECT_EQ(CompleteOutline(*mesh), 0);
  EXPECT_EQ(mesh->HowMany, howMany + 1);
}

TEST(OutlineCoverage, CountsBoundaryPointsAndWordsTheLoss) {
  // Corners and edge midpoints of a square, and its centre.
  auto mesh = Meshed({{0, 0}, {5, 0}, {10, 0}, {0, 5}, {5, 5}, {10, 5}, {0, 10}, {5, 10}, {10, 10}});
  EXPECT_EQ(HullBoundaryPoints(*mesh), 8);
  EXPECT_EQ(MeasureOutline(*mesh).missingTriangles, 2 * 9 - 8 - 2 - mesh->HowMany);

  OutlineCoverage c{60496.83, 60356.28, 2};
  EXPECT_EQ(OutlineLossText("Bezugshorizont", c),
            "Bezugshorizont: 2 Randdreiecke fehlen, 140.55 m² der konvexen Hülle nicht erfasst");
  c.missingTriangles = 1;
  EXPECT_EQ(OutlineLossText("Gelände", c),
            "Gelände: 1 Randdreieck fehlt, 140.55 m² der konvexen Hülle nicht erfasst");
  // Below both thresholds, or nothing missing: no word.
  EXPECT_EQ(OutlineLossText("Gelände", {1000, 1000 - 0.009, 1}), "");
  EXPECT_EQ(OutlineLossText("Gelände", {1e6, 1e6 - 5, 0}), "");
  EXPECT_NE(OutlineLossText("Gelände", {10, 10 - 0.02, 1}), "");
  EXPECT_NE(OutlineLossText("Gelände", {1e6, 1e6 - 0.5, 3}), "");  // 0.00005 %, but 0.5 m²
}

}  // namespace
}  // namespace Delaunay
