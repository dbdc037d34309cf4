// Checks that hold whatever triangles the mesh forms: volumes of planes,
// the balance height as a weighted mean, and linearity in H0.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "text/cp1252.h"
#include "text/format.h"
#include "volume/balance.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

struct Corners {
  const TPunkt* p[3];
};

std::vector<Corners> TrianglesOf(const Workspace& ws, const Delaunay::TDelaunay& m) {
  std::vector<Corners> out;
  for (int t = 1; t <= m.HowMany; ++t) {
    const Delaunay::dTriangle& tr = m.Triangle[t];
    out.push_back({{&ws.P[static_cast<size_t>(m.Vertex[tr.vv0].ID)],
                    &ws.P[static_cast<size_t>(m.Vertex[tr.vv1].ID)],
                    &ws.P[static_cast<size_t>(m.Vertex[tr.vv2].ID)]}});
  }
  return out;
}

double Area(const Corners& c) {
  const double ax = c.p[1]->X - c.p[0]->X, ay = c.p[1]->Y - c.p[0]->Y;
  const double bx = c.p[2]->X - c.p[0]->X, by = c.p[2]->Y - c.p[0]->Y;
  return std::fabs(ax * by - ay * bx) / 2;
}

// Survey-like points: codes 1, 0 and 9 mixed, some repeated (dropped by
// the mesh), heights from the given function.
template <class Height>
std::string PointFile(unsigned seed, int n, Height height) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> xy(0, 200);
  std::uniform_int_distribution<int> code(0, 5);
  std::string text;
  double lx = 0, ly = 0;
  for (int i = 1; i <= n; ++i) {
    // Plan coordinates as written (mm); heights written to full precision.
    double x = std::round(xy(rng) * 1000) / 1000, y = std::round(xy(rng) * 1000) / 1000;
    if (i % 17 == 0) x = lx, y = ly;
    lx = x, ly = y;
    const int c = code(rng);
    const int cd = c <= 2 ? 1 : (c <= 4 ? 0 : 9);
    text += Format("%d %d %.3f %.3f %.17g\r\n", 5000 + i, cd, y, x, height(x, y, i));
  }
  return text;
}

struct Fixture {
  ScratchDir dir;
  FakeHost host;
  Workspace ws;
  explicit Fixture(const std::string& text) {
    host.point_file = dir / "punkte.asc";
    WriteBytes(host.point_file, text);
  }
  void RunAt(double h0) {
    host.field.SetValue(h0);
    ToolButton1Click(ws, host);
  }
};

TEST(VolumeAnalytic, TiltedPlaneVolumeIsAreaTimesCentroidHeight) {
  auto plane = [](double x, double y, int) { return 250 + 0.0625 * x - 0.03125 * y; };
  for (unsigned seed : {1u, 2u, 3u}) {
    Fixture f(PointFile(seed, 250, plane));
    f.RunAt(255.5);
    const double H0 = 255.5;
    for (int horizon = 0; horizon < 2; ++horizon) {
      const Delaunay::TDelaunay& m = horizon == 0 ? *f.ws.Mesh0 : *f.ws.Mesh1;
      ASSERT_GT(m.HowMany, 10);
      double area = 0, volume = 0;
      for (const Corners& c : TrianglesOf(f.ws, m)) {
        for (const TPunkt* p : c.p) {
          if (horizon == 0) EXPECT_EQ(p->Code, 1);
          else EXPECT_TRUE(p->Code == 0 || p->Code == 1);
        }
        const double a = Area(c);
        const double cx = (c.p[0]->X + c.p[1]->X + c.p[2]->X) / 3;
        const double cy = (c.p[0]->Y + c.p[1]->Y + c.p[2]->Y) / 3;
        area += a;
        volume += a * (plane(cx, cy, 0) - H0);
      }
      const double got_area = horizon == 0 ? f.ws.sumA0 : f.ws.SumA1;
      const double got_volume = horizon == 0 ? f.ws.m0 : f.ws.m1;
      EXPECT_NEAR(got_area, area, 1e-9 * area) << seed;
      EXPECT_NEAR(got_volume, volume, 1e-9 * area * 10) << seed;
    }
    // The pane's triangle lines count the triangles of both tables.
    int lines = 0;
    for (const std::string& line : f.host.pane)
      if (line.size() == 59 && line[3] != '-' && std::isdigit(static_cast<unsigned char>(line[3])))
        ++lines;
    EXPECT_EQ(lines, f.ws.Mesh0->HowMany + f.ws.Mesh1->HowMany);
    std::string pane;
    for (const std::string& line : f.host.pane) pane += line + "\r\n";
    EXPECT_EQ(Utf8ToCp1252(pane), ReadBytes(ProtocolFileName(f.host.point_file)));
  }
}

TEST(VolumeAnalytic, BalanceHeightIsTheAreaWeightedMeanHeight) {
  auto hilly = [](double x, double y, int i) {
    return 280 + 5 * std::sin(x / 30) * std::cos(y / 40) + (i % 7) * 0.25;
  };
  for (bool terrain : {false, true}) {
    Fixture f(PointFile(terrain ? 11 : 12, 200, hilly));
    f.ws.LiesPunkte(f.host.point_file);
    f.host.field.SetValue(f.ws.bounds.MinZ);
    auto click = [&] { ToolButton1Click(f.ws, f.host); };
    f.host.field.OnChangeValue = click;
    if (terrain)
      SpeedButton2Click(f.ws, f.host.field, click);
    else
      SpeedButton1Click(f.ws, f.host.field, click);

    double weighted = 0, area = 0;
    for (const Corners& c : TrianglesOf(f.ws, terrain ? *f.ws.Mesh1 : *f.ws.Mesh0)) {
      const double a = Area(c);
      weighted += a * (c.p[0]->Z + c.p[1]->Z + c.p[2]->Z) / 3;
      area += a;
    }
    // To the six decimals the field holds, and the protocol names them all.
    EXPECT_NEAR(f.host.field.Value(), weighted / area, 5e-7);
    EXPECT_LT(std::fabs(terrain ? f.ws.m1 : f.ws.m0), std::max(0.001, area * 5e-7));
    EXPECT_EQ(f.host.pane[2], "Höhenbezug" + HeightText(f.host.field.Value()) + " m");
  }
}

TEST(VolumeAnalytic, VolumeIsLinearInH0AndAreaDoesNotDependOnIt) {
  auto hilly = [](double x, double y, int i) { return 100 + x * y / 1000 + (i % 5); };
  Fixture f(PointFile(21, 200, hilly));
  f.RunAt(0);
  const double a0 = f.ws.sumA0, a1 = f.ws.SumA1, v0 = f.ws.m0, v1 = f.ws.m1;
  for (double h : {50.0, 123.25, -7.5}) {
    f.RunAt(h);
    EXPECT_EQ(f.ws.sumA0, a0);
    EXPECT_EQ(f.ws.SumA1, a1);
    EXPECT_NEAR(f.ws.m0, v0 - h * a0, 1e-9 * std::fabs(v0));
    EXPECT_NEAR(f.ws.m1, v1 - h * a1, 1e-9 * std::fabs(v1));
  }
}

}  // namespace
}  // namespace zelmaro::testing
