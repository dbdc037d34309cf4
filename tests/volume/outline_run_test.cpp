// Runs with and without the triangles that close each mesh's gap to the
// convex hull of its points.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "mesh/hull.h"
#include "text/format.h"
#include "volume/horizon.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

double Plane(double x, double y) { return 280 + 0.03 * x + 0.015 * y; }

// A tilted plane over 300 × 200 m: the frame every 5 m and random points
// inside, every fourth point a reference point; heights to full precision.
std::string PlaneSurvey(unsigned seed) {
  std::vector<std::pair<double, double>> xy;
  for (int x = 0; x <= 300; x += 5) xy.push_back({double(x), 0}), xy.push_back({double(x), 200});
  for (int y = 5; y < 200; y += 5) xy.push_back({0, double(y)}), xy.push_back({300, double(y)});
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> ux(0.5, 299.5), uy(0.5, 199.5);
  for (int i = 0; i < 2000; ++i)
    xy.push_back({std::round(ux(rng) * 1000) / 1000, std::round(uy(rng) * 1000) / 1000});
  std::string text;
  for (size_t i = 0; i < xy.size(); ++i) {
    const auto [x, y] = xy[i];
    text += Format("%zu %d %.3f %.3f %.17g\r\n", i + 1, i % 4 == 3 ? 1 : 0, y, x, Plane(x, y));
  }
  return text;
}

// The plane's integral, less H0, over the hull of the mesh's points: a fan
// over the hull's corners, exact for a linear height.
double IntegralOverHull(const Delaunay::TDelaunay& m, double H0) {
  const std::vector<int32_t> hull = Delaunay::ConvexHull(m);
  double sum = 0;
  for (size_t i = 1; i + 1 < hull.size(); ++i) {
    const Delaunay::dVertex &a = m.Vertex[hull[0]], &b = m.Vertex[hull[i]], &c = m.Vertex[hull[i + 1]];
    const double area = std::fabs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)) / 2;
    sum += area * (Plane((a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3) - H0);
  }
  return sum;
}

struct PlaneRun {
  ScratchDir dir;
  FakeHost host;
  Workspace ws;
  PlaneRun(unsigned seed, bool complete) {
    host.point_file = dir / "ebene.asc";
    WriteBytes(host.point_file, PlaneSurvey(seed));
    ws.complete_outline = complete;
    host.field.SetValue(285);
    ToolButton1Click(ws, host);
  }
};

TEST(OutlineRun, CompletedPlaneHasThePlanesVolumeOverTheHull) {
  int32_t lost = 0;
  for (unsigned seed : {1u, 2u, 3u, 4u}) {
    SCOPED_TRACE(seed);
    PlaneRun plain(seed, false), full(seed, true);
    for (const Horizon* h : {&kReferenceHorizon, &kTerrain}) {
      const Workspace::OutlineResult& before = plain.ws.*h->outline;
      const Workspace::OutlineResult& after = full.ws.*h->outline;
      const Delaunay::TDelaunay& mesh = *(full.ws.*h->mesh);
      EXPECT_EQ(before.added, 0);
      EXPECT_EQ(after.added, before.coverage.missingTriangles);
      EXPECT_EQ(after.coverage.missingTriangles, 0);
      EXPECT_EQ(after.coverage.hullArea, before.coverage.hullArea);
      EXPECT_NEAR(after.coverage.meshArea, after.coverage.hullArea, 1e-12 * after.coverage.hullArea);
      EXPECT_NEAR(full.ws.*h->area_sum, after.coverage.hullArea, 1e-9 * after.coverage.hullArea);
      const double volume = h == &kReferenceHorizon ? full.ws.m0 : full.ws.m1;
      EXPECT_NEAR(volume, IntegralOverHull(mesh, 285), 1e-6);
      if (before.coverage.missingTriangles > 0) {
        EXPECT_LT(before.coverage.meshArea, before.coverage.hullArea);
      }
      lost += before.coverage.missingTriangles;
    }
  }
  EXPECT_GT(lost, 0);  // else the sets test nothing
}

TEST(OutlineRun, AddedTrianglesFollowTheDescribedOnesInTheProtocol) {
  PlaneRun plain(2, false), full(2, true);
  const int32_t described0 = plain.ws.Mesh0->HowMany, described1 = plain.ws.Mesh1->HowMany;
  const int32_t added = full.ws.outline0.added + full.ws.outline1.added;
  ASSERT_GT(added, 0);
  ASSERT_EQ(full.host.pane.size(), plain.host.pane.size() + size_t(added));
  // Heads and the reference table's described lines, unchanged.
  for (int32_t i = 0; i < 6 + described0; ++i) ASSERT_EQ(full.host.pane[size_t(i)], plain.host.pane[size_t(i)]);
  // The lines behind them go on counting, in the same format.
  for (int32_t t = described0 + 1; t <= full.ws.Mesh0->HowMany; ++t) {
    const std::string& line = full.host.pane[size_t(5 + t)];
    EXPECT_EQ(line.size(), 59u);
    EXPECT_EQ(line.substr(0, 4), Format("%4d", t));
  }
  const size_t terrain_head = size_t(6 + full.ws.Mesh0->HowMany + 3);
  EXPECT_EQ(full.host.pane[terrain_head], "Gelände");
  for (int32_t i = 0; i < 3 + described1; ++i)
    ASSERT_EQ(full.host.pane[terrain_head + size_t(i)],
              plain.host.pane[size_t(6 + described0 + 3) + size_t(i)]);
  // Sums of the whole meshes.
  EXPECT_EQ(full.host.fields[ResultField::EditA0], Format("%10.2f", full.ws.sumA0));
  EXPECT_GT(full.ws.sumA0 + full.ws.SumA1, plain.ws.sumA0 + plain.ws.SumA1);
}

}  // namespace
}  // namespace zelmaro::testing
