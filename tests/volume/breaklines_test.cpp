// Breaklines in a run: a ditch that the triangulation follows only with its
// bottom line forced in; crossings; the height bands of a horizon.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

#include "text/errors.h"
#include "text/format.h"
#include "volume/bands.h"
#include "volume/breaklines.h"
#include "volume/horizon.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

// z = 2 |E - 50| over [0, 100]^2: the bottom line E = 50 has points every
// 20 m, the flanks close beside it every 2 m, so that a plain triangulation
// bridges the ditch. Numbers: bottom 1 .. 6, the rest from 100.
std::string DitchFile() {
  std::string text;
  auto add = [&text](int nr, double E, double N) {
    text += Format("%d 1 %.3f %.3f %.3f\r\n", nr, E, N, 2 * std::fabs(E - 50));
  };
  for (int k = 0; k <= 5; ++k) add(1 + k, 50, 20.0 * k);
  int nr = 100;
  for (double E : {0.0, 49.0, 51.0, 100.0})
    for (int N = 0; N <= 100; N += 2) add(nr++, E, N);
  return text;
}

struct DitchRun {
  ScratchDir dir;
  FakeHost host;
  Workspace ws;
  explicit DitchRun(const std::string& breaklines) {
    host.point_file = dir / "graben.asc";
    WriteBytes(host.point_file, DitchFile());
    ws.complete_outline = true;
    if (!breaklines.empty())
      ws.breaklines = std::make_shared<const Breaklines>(ParseBreaklinesText(breaklines));
    host.field.SetValue(0);
    ToolButton1Click(ws, host);
  }
};

TEST(BreaklineRun, DitchVolumeIsExactOnlyWithItsBottomLine) {
  const double exact = 100 * 2 * 2 * 1250.0;  // 100 m long, two flanks of 2 * 50^2 / 2
  DitchRun plain("");
  EXPECT_NEAR(plain.ws.SumA1, 10000, 1e-6);
  EXPECT_GT(plain.ws.m1 - exact, 10) << "the plain mesh should bridge the ditch";

  DitchRun forced("# Grabensohle\n1 2 3 4 5 6\n");
  EXPECT_NEAR(forced.ws.SumA1, 10000, 1e-6);
  EXPECT_NEAR(forced.ws.m1, exact, 1e-9 * exact);
  EXPECT_NEAR(forced.ws.m0, exact, 1e-9 * exact);
  EXPECT_EQ(forced.ws.outline1.constraints.forced, 5);
  EXPECT_TRUE(forced.ws.outline1.constraints.failed.empty());
  // The protocol says so, after the difference line.
  bool said = false;
  for (const std::string& line : forced.host.pane)
    said = said || line == "Bruchkanten: 1 Linien, 5 Segmente, 0 Kreuzungen";
  EXPECT_TRUE(said);
}

TEST(BreaklineRun, CrossingsTakeTheFirstLinesHeightAndHorizonsTheirOwnLines) {
  // A 0..40 grid of code 1 and 0 points; line 1 from (0,0) to (40,40) runs
  // uphill, line 2 crosses it at (20,20) between grid points.
  PointTable P(1);
  auto add = [&P](int32_t nr, double E, double N, double Z, int8_t code) {
    TPunkt p;
    p.NR = nr, p.Y = E, p.X = N, p.Z = Z, p.Code = code;
    P.push_back(p);
  };
  add(1, 0, 0, 0, 1);
  add(2, 40, 40, 8, 1);
  add(3, 0, 40, 100, 1);
  add(4, 40, 0, 100, 1);
  add(5, 10, 30, 50, 0);  // terrain only
  add(6, 30, 10, 50, 9);  // of no horizon
  const size_t before = P.size();
  const PreparedBreaklines p = PrepareBreaklines(P, ParseBreaklinesText("1 2\n3 4\n5 4\n6 1\n"));
  // 3-4 crosses 1-2 at (20, 20); 5-4 also crosses 1-2; 6-1 crosses nothing.
  ASSERT_EQ(p.crossings.size(), 2u);
  const BreaklineCrossing& x = p.crossings[0];
  EXPECT_EQ(x.NR, 7);
  EXPECT_DOUBLE_EQ(x.Y, 20);
  EXPECT_DOUBLE_EQ(x.X, 20);
  EXPECT_DOUBLE_EQ(x.Z, 4);  // along line 1, not the 100 of line 2
  EXPECT_EQ(x.line1, 1);
  EXPECT_EQ(x.line2, 2);
  EXPECT_TRUE(x.added);
  EXPECT_EQ(P[before].Code, 1);      // all four ends reference points
  EXPECT_EQ(P[before + 1].Code, 0);  // point 5 is terrain only
  // 1-2 split twice, 3-4 once, 5-4 once, 6-1 whole.
  EXPECT_EQ(p.segments.size(), 3u + 2u + 2u + 1u);

  // Point 5 is no reference vertex: in the reference mesh only the lines
  // of reference points constrain.
  Delaunay::TDelaunay ref;
  OfferHorizonPoints(P, kReferenceHorizon, ref);
  ref.Mesh();
  for (const auto& [a, b] : MeshSegments(ref, p.segments)) {
    EXPECT_NE(ref.Vertex[a].ID, 5);
    EXPECT_NE(ref.Vertex[b].ID, 5);
  }
  EXPECT_THROW(PrepareBreaklines(P, ParseBreaklinesText("1 77\n")), ELimitError);
  EXPECT_THROW(ParseBreaklinesText("1\n"), ELimitError);
}

TEST(HeightBands, BandsAddUpToTheHorizonsVolume) {
  ScratchDir dir;
  FakeHost host;
  Workspace ws;
  host.point_file = dir / "halde.asc";
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> xy(0, 100);
  std::string text;
  for (int i = 1; i <= 300; ++i) {
    const double E = std::round(xy(rng) * 1000) / 1000, N = std::round(xy(rng) * 1000) / 1000;
    const double z = 100 + 8 * std::sin(E / 17) * std::cos(N / 23) + 0.01 * E;
    text += Format("%d %d %.3f %.3f %.3f\r\n", i, i % 2, E, N, z);
  }
  WriteBytes(host.point_file, text);
  const double H0 = 101.25;
  host.field.SetValue(H0);
  ToolButton1Click(ws, host);
  for (double step : {0.5, 0.3, 7.0}) {
    const std::vector<BandRow> rows = HeightBands(ws.P, *ws.Mesh1, H0, step);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_NEAR(rows.back().cumulative, ws.m1, 1e-9 * std::fabs(ws.m1) + 1e-6) << step;
    EXPECT_NEAR(rows.front().area, ws.SumA1, 1e-9 * ws.SumA1);
    EXPECT_EQ(rows.back().area, 0);
    for (size_t k = 1; k < rows.size(); ++k) {
      EXPECT_NEAR(rows[k].height - rows[k - 1].height, step, 1e-9);
      EXPECT_LE(rows[k].area, rows[k - 1].area);
      // Material above H0, room below it.
      if (rows[k].height <= H0) EXPECT_LE(rows[k].volume, 0);
      else EXPECT_GE(rows[k].volume, 0);
    }
  }
  // A single triangle (0,0,0), (10,0,0), (0,10,3) banded at 1 m from 0: the
  // part above h is similar with share ((3 - h) / 3)^2 of its 50 m2.
  PointTable P(1);
  const double c[3][3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 3}};
  Delaunay::TDelaunay one;
  for (int i = 0; i < 3; ++i) {
    TPunkt p;
    p.NR = i + 1, p.Y = c[i][0], p.X = c[i][1], p.Z = c[i][2], p.Code = 1;
    P.push_back(p);
    one.AddPoint(i + 1, p.X, p.Y, p.Z);
  }
  one.Mesh();
  const std::vector<BandRow> rows = HeightBands(P, one, 0, 1);
  ASSERT_EQ(rows.size(), 4u);
  for (int k = 0; k <= 3; ++k) EXPECT_NEAR(rows[k].area, 50 * std::pow((3 - k) / 3.0, 2), 1e-12);
  EXPECT_NEAR(rows[3].cumulative, 50.0, 1e-12);  // 50 m2 * mean height 1
  EXPECT_THROW(HeightBands(P, one, 0, 0), ELimitError);
}

}  // namespace
}  // namespace zelmaro::testing
