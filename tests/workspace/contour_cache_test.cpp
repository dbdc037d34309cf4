#include "workspace/contour_cache.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "plot/recording_canvas.h"
#include "volume/horizon.h"
#include "volume/volume_support.h"

namespace zelmaro {
namespace {

using testing::FakeHost;
using testing::RecordingTarget;

PointTable Hills(uint32_t seed, double lift) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  PointTable P;
  ResetToSlotZero(P);
  for (int i = 1; i <= 500; ++i) {
    const double x = 100 * u(rng), y = 100 * u(rng);
    const double z = 200 + lift + 6 * std::sin(x / 15) * std::cos(y / 20) + 0.02 * x;
    P.push_back({i, x, y, z, static_cast<int8_t>(i % 4 == 0 ? 1 : 0)});
  }
  return P;
}

void ExpectSameContours(const Delaunay::TContourSetup& a, const Delaunay::TContourSetup& b) {
  EXPECT_EQ(a.NoLevels, b.NoLevels);
  EXPECT_EQ(a.Step, b.Step);
  EXPECT_EQ(a.Levels, b.Levels);
  ASSERT_EQ(a.Points.size(), b.Points.size());
  for (size_t i = 0; i < a.Points.size(); ++i) {
    EXPECT_EQ(a.Points[i].X, b.Points[i].X) << i;
    EXPECT_EQ(a.Points[i].Y, b.Points[i].Y) << i;
    EXPECT_EQ(a.Points[i].ln, b.Points[i].ln) << i;
  }
  ASSERT_EQ(a.Contours.size(), b.Contours.size());
  for (size_t l = 0; l < a.Contours.size(); ++l) {
    ASSERT_EQ(a.Contours[l].size(), b.Contours[l].size()) << "level " << l;
    for (size_t k = 0; k < a.Contours[l].size(); ++k) {
      EXPECT_EQ(a.Contours[l][k].sp, b.Contours[l][k].sp);
      EXPECT_EQ(a.Contours[l][k].ep, b.Contours[l][k].ep);
      EXPECT_EQ(a.Contours[l][k].AE, b.Contours[l][k].AE);
    }
  }
}

// A redraw through the cache against one that computes everything afresh,
// on meshes made by the mesh cache and on meshes made directly.
struct Plots {
  MeshCache meshes;
  ContourCache cache{meshes};
  Workspace kept, fresh;
  TPlotSettings s;
  int redraws = 0;

  Plots() {
    s.Mesh0 = s.Mesh1 = s.Isoline = true;
    kept.view = fresh.view = {0.25, 110, -5, 0, 0};
    kept.mesh_source = &meshes;
  }
  void Survey(const PointTable& P) {
    kept.P = fresh.P = P;
    FakeHost host;
    for (const Horizon* h : {&kReferenceHorizon, &kTerrain}) {
      ProvideHorizonMesh(kept, *h, host);
      ProvideHorizonMesh(fresh, *h, host);
    }
  }
  void Draw(const std::string& interval) {
    SCOPED_TRACE("redraw " + std::to_string(++redraws) + " at " + interval);
    s.HLIntervall = interval;
    RecordingTarget a, b;
    uint8_t display = 0;
    double plot_mf = 0;
    ZeigPPunkte(kept, kept.view, display, plot_mf, s, a, &cache);
    ZeigPPunkte(fresh, fresh.view, display, plot_mf, s, b);
    EXPECT_EQ(a.screen.log, b.screen.log);
    EXPECT_FALSE(a.screen.Lines("LineTo").empty());
    ExpectSameContours(kept.Mesh0->Contour, fresh.Mesh0->Contour);
    ExpectSameContours(kept.Mesh1->Contour, fresh.Mesh1->Contour);
  }
};

TEST(ContourCache, KeptContoursEqualFreshOnesAcrossIntervalsAndMeshes) {
  Plots p;
  p.Survey(Hills(1, 0));
  p.Draw("1");
  EXPECT_EQ(p.cache.Computations(), 2);
  p.Draw("1");
  p.kept.view.YOffset = p.fresh.view.YOffset = 10;  // a pan
  p.Draw("1");
  EXPECT_EQ(p.cache.Computations(), 2);

  p.Draw("0.5");
  p.Draw("1");
  EXPECT_EQ(p.cache.Computations(), 6);
  p.Draw("abc");  // no number means interval 1: the kept lines
  p.Draw("1.0");
  EXPECT_EQ(p.cache.Computations(), 6);

  // A refused interval is refused at every redraw and leaves nothing kept.
  RecordingTarget target;
  uint8_t display = 0;
  double plot_mf = 0;
  p.s.HLIntervall = "-1";
  EXPECT_THROW(ZeigPPunkte(p.kept, p.kept.view, display, plot_mf, p.s, target, &p.cache), ERangeError);
  EXPECT_THROW(ZeigPPunkte(p.kept, p.kept.view, display, plot_mf, p.s, target, &p.cache), ERangeError);
  p.Draw("1");

  // New meshes (the points moved up), then the same points again: both
  // times the mesh cache's meshes are new or reused, and the lines follow.
  const int before = p.cache.Computations();
  p.Survey(Hills(1, 0.3));
  p.Draw("1");
  EXPECT_EQ(p.cache.Computations(), before + 2);
  p.Survey(Hills(1, 0.3));  // reused meshes keep their lines
  p.Draw("1");
  EXPECT_EQ(p.cache.Computations(), before + 2);
}

TEST(ContourCache, MeshesItDoesNotKnowAreComputedEachTime) {
  MeshCache meshes;
  ContourCache cache(meshes);
  Workspace ws;
  ws.P = Hills(2, 0);
  FakeHost host;
  ProvideHorizonMesh(ws, kTerrain, host);
  cache.Contours(*ws.Mesh1, 1.0);
  cache.Contours(*ws.Mesh1, 1.0);
  EXPECT_EQ(cache.Computations(), 2);
  EXPECT_GT(ws.Mesh1->Contour.NoLevels, 0);
}

}  // namespace
}  // namespace zelmaro
