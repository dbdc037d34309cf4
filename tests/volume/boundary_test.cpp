// The boundary: prisms cut exactly to a polygon with holes, the uncovered
// part reported, bad polygons refused.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "text/cp1252.h"
#include "text/errors.h"
#include "text/format.h"
#include "volume/boundary.h"
#include "volume/cut_fill.h"
#include "volume/horizon.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

constexpr double a = 250, b = 0.0625, c = -0.03125;  // z = a + b E + c N
double Plane(double E, double N) { return a + b * E + c * N; }

// A jittered grid over [0, 100]^2, every point on the plane, code 1 and 0
// mixed so that both horizons cover the square.
std::string PlaneFile() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> jitter(-1.5, 1.5);
  std::string text;
  int nr = 1;
  for (int i = 0; i <= 100; i += 4)
    for (int j = 0; j <= 100; j += 4) {
      const double N = i == 0 || i == 100 ? i : std::round((i + jitter(rng)) * 1000) / 1000;
      const double E = j == 0 || j == 100 ? j : std::round((j + jitter(rng)) * 1000) / 1000;
      text += Format("%d %d %.3f %.3f %.17g\r\n", nr, nr % 3 == 0 ? 0 : 1, E, N, Plane(E, N));
      ++nr;
    }
  return text;
}

// Area and centroid of rings (E, N), holes subtracted whatever their turn.
struct Figures {
  double A = 0, E = 0, N = 0;
};
Figures Of(const std::vector<std::vector<PlanPoint>>& rings) {
  long double A = 0, SE = 0, SN = 0;
  for (size_t k = 0; k < rings.size(); ++k) {
    long double a2 = 0, se = 0, sn = 0;
    const auto& r = rings[k];
    for (size_t i = 0; i < r.size(); ++i) {
      const PlanPoint &p = r[i], &q = r[(i + 1) % r.size()];
      const long double x = (long double)p.E * q.N - (long double)q.E * p.N;
      a2 += x, se += (p.E + q.E) * x, sn += (p.N + q.N) * x;
    }
    const long double s = (a2 > 0) == (k == 0) ? 1 : -1;
    A += s * a2 / 2, SE += s * se / 6, SN += s * sn / 6;
  }
  return {double(A), double(SE / A), double(SN / A)};
}

std::string Text(const std::vector<std::vector<PlanPoint>>& rings) {
  std::string t;
  for (size_t k = 0; k < rings.size(); ++k) {
    if (k) t += "#hole\n";
    for (const PlanPoint& p : rings[k]) t += Format("%.17g %.17g\n", p.E, p.N);
  }
  return t;
}

struct BoundedRun {
  ScratchDir dir;
  FakeHost host;
  Workspace ws;
  explicit BoundedRun(const std::string& boundary_text, double H0 = 250) {
    host.point_file = dir / "plane.asc";
    WriteBytes(host.point_file, PlaneFile());
    ws.boundary = std::make_shared<const BoundaryClip>(ParseBoundaryText(boundary_text));
    host.field.SetValue(H0);
    ToolButton1Click(ws, host);
  }
};

TEST(BoundaryRun, TiltedPlaneVolumeIsAreaTimesCentroidHeightForAnyPolygon) {
  const std::vector<std::vector<std::vector<PlanPoint>>> polygons = {
      // convex
      {{{20, 10}, {80, 15}, {90, 60}, {50, 90}, {10, 55}}},
      // concave, clockwise, corners off the grid
      {{{10.3, 10}, {10.3, 90}, {40, 90}, {40, 40.7}, {60.2, 40.7}, {60.2, 90}, {90, 90}, {90, 10}}},
      // with two holes, one turning each way
      {{{5, 5}, {95, 5}, {95, 95}, {5, 95}},
       {{20, 20}, {40, 20}, {30, 35}},
       {{60, 60}, {60, 80}, {80, 80}, {80, 60}}},
  };
  const double H0 = 250;
  for (size_t k = 0; k < polygons.size(); ++k) {
    BoundedRun r(Text(polygons[k]), H0);
    const Figures f = Of(polygons[k]);
    const double expected = f.A * (Plane(f.E, f.N) - H0);
    EXPECT_NEAR(r.ws.boundary->Area(), f.A, 1e-12 * f.A) << k;
    for (double area : {r.ws.sumA0, r.ws.SumA1}) EXPECT_NEAR(area, f.A, 1e-9 * f.A) << k;
    for (double volume : {r.ws.m0, r.ws.m1})
      EXPECT_NEAR(volume, expected, 1e-9 * std::fabs(expected)) << k;
    EXPECT_EQ(UncoveredArea(r.ws, kReferenceHorizon), 0) << k;
    EXPECT_EQ(UncoveredArea(r.ws, kTerrain), 0) << k;
    // Lines only for triangles with a part inside; the block after the
    // difference line; the file holds what the pane shows.
    const auto& pane = r.host.pane;
    int lines = 0;
    for (const std::string& line : pane)
      if (line.size() == 59 && std::isdigit(static_cast<unsigned char>(line[3]))) ++lines;
    EXPECT_LT(lines, r.ws.Mesh0->HowMany + r.ws.Mesh1->HowMany);
    size_t diff = 0;
    while (diff < pane.size() && pane[diff].rfind("Differenz", 0) != 0) ++diff;
    ASSERT_LT(diff + 2, pane.size());
    EXPECT_EQ(pane[diff + 1], "");
    EXPECT_EQ(pane[diff + 2].rfind("Begrenzung: ", 0), 0u) << pane[diff + 2];
    std::string all;
    for (const std::string& line : pane) all += line + "\r\n";
    EXPECT_EQ(Utf8ToCp1252(all), ReadBytes(ProtocolFileName(r.host.point_file)));
  }

  // A boundary around the whole survey: the cut prisms give the cut and fill
  // of the uncut ones, split by H0 through the middle of the heights.
  BoundedRun around("-10 -10\n110 -10\n110 110\n-10 110\n", 251.5);
  EXPECT_NEAR(UncoveredArea(around.ws, kTerrain), 120.0 * 120 - 100 * 100, 1e-6);
  for (const auto* mesh : {around.ws.Mesh0.get(), around.ws.Mesh1.get()}) {
    const HorizonCutFill whole = CutAndFill(around.ws.P, *mesh, 251.5);
    const HorizonCutFill& cut = mesh == around.ws.Mesh0.get() ? around.ws.cutFill.reference
                                                               : around.ws.cutFill.terrain;
    ASSERT_GT(whole.above, 100);
    ASSERT_GT(whole.below, 100);
    EXPECT_NEAR(cut.above, whole.above, 1e-9 * whole.above);
    EXPECT_NEAR(cut.below, whole.below, 1e-9 * whole.below);
    EXPECT_NEAR(cut.areaAbove, whole.areaAbove, 1e-9 * whole.area);
    EXPECT_NEAR(cut.areaBelow, whole.areaBelow, 1e-9 * whole.area);
  }
  // Cut to the concave polygon: above - below is the run's volume.
  BoundedRun concave(Text(polygons[1]), 251.5);
  EXPECT_NEAR(concave.ws.cutFill.terrain.above - concave.ws.cutFill.terrain.below, concave.ws.m1,
              1e-9 * concave.ws.SumA1);
  EXPECT_NEAR(concave.ws.cutFill.terrain.areaAbove + concave.ws.cutFill.terrain.areaBelow,
              concave.ws.SumA1, 1e-9 * concave.ws.SumA1);
  EXPECT_EQ(concave.ws.cutFill.terrain.area, concave.ws.SumA1);

  // Half the boundary beyond the survey: reported, not a silent zero.
  BoundedRun out("50 50\n150 50\n150 150\n50 150\n");
  EXPECT_NEAR(out.ws.sumA0, 2500, 1e-9 * 2500);
  EXPECT_NEAR(UncoveredArea(out.ws, kReferenceHorizon), 7500, 1e-6);
  EXPECT_NEAR(UncoveredArea(out.ws, kTerrain), 7500, 1e-6);
}

TEST(BoundaryRun, PointChainAndRefusedPolygons) {
  PointTable P(1);
  for (int i = 0; i < 4; ++i) {
    TPunkt p;
    p.NR = 10 + i;
    p.Y = i == 1 || i == 2 ? 10 : 0;  // easting
    p.X = i >= 2 ? 10 : 0;            // northing
    P.push_back(p);
  }
  const BoundaryClip chain(BoundaryFromPoints(P, ParsePointNumbers("10,11,12,13")));
  EXPECT_EQ(chain.Area(), 100);
  EXPECT_EQ(chain.CentroidE(), 5);
  auto refused = [](const std::string& text, const std::string& part) {
    try {
      BoundaryClip clip(ParseBoundaryText(text));
      ADD_FAILURE() << "accepted: " << text;
    } catch (const ELimitError& e) {
      EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
  };
  refused("", "keinen Eckpunkt");
  refused("0 0\n1 1\n", "weniger als drei");
  refused("0 0\n1 0\n2 0\n", "keine Fläche");
  refused("0 0\n10 10\n10 0\n0 20\n", "kreuzt sich selbst");
  refused("0 0\n10 0\nzehn 10\n", "Zeile 3");
  refused("0 0\n10 0\n10 10\n0 10\n\n20 20\n30 20\n30 30\n", "nicht innerhalb");
  refused("0 0\n10 0\n10 10\n0 10\n\n5 5\n15 5\n15 6\n", "kreuzt den Außenring");
  EXPECT_THROW(BoundaryFromPoints(P, {10, 11, 99}), ELimitError);
  EXPECT_THROW(ParsePointNumbers("10,x"), ELimitError);
}

}  // namespace
}  // namespace zelmaro::testing
