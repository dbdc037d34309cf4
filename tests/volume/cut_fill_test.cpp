// Cut and fill in closed form against shapes whose figures are known, and
// against a dense sampling of the two surfaces that shares no code with it.
#include "mesh/zero_lines.h"
#include "volume/cut_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <random>

#include "mesh/hull.h"
#include "text/format.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

using Height = std::function<double(double x, double y)>;

// A point table and meshes built from chosen slots of it, so that the two
// horizons of a test can be any two point sets.
struct Survey {
  PointTable P{TPunkt{}};
  int Add(double x, double y, double z) {
    P.push_back({static_cast<int32_t>(P.size()), x, y, z, 1});
    return static_cast<int>(P.size()) - 1;
  }
  std::unique_ptr<Delaunay::TDelaunay> Mesh(int first, int last) const {
    auto m = std::make_unique<Delaunay::TDelaunay>();
    for (int i = first; i <= last; ++i) m->AddPoint(i, P[i].X, P[i].Y, P[i].Z);
    m->Mesh();
    return m;
  }
  // The outline of [x0, x0 + w] x [y0, y0 + h] every `step` metres, and n
  // random points inside it. Returns the first slot.
  int Rectangle(double x0, double y0, double w, double h, double step, int n, unsigned seed,
                const Height& z) {
    const int first = static_cast<int>(P.size());
    for (double s = 0; s < w; s += step) Add(x0 + s, y0, z(s, 0)), Add(x0 + w - s, y0 + h, z(w - s, h));
    for (double s = 0; s < h; s += step) Add(x0 + w, y0 + s, z(w, s)), Add(x0, y0 + h - s, z(0, h - s));
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.05, 0.95);
    for (int i = 0; i < n; ++i) {
      const double x = u(rng) * w, y = u(rng) * h;
      Add(x0 + x, y0 + y, z(x, y));
    }
    return first;
  }
};

double Area(const Delaunay::TDelaunay& m) {
  return Delaunay::MeshArea(m, m.HowMany);
}

TEST(CutFillHorizon, TiltedPlanePyramidAndWhollyAboveOrBelow) {
  // z = 280 + x (northing) over 10 x 10 m at survey offsets; H0 = 284.
  Survey s;
  const double X0 = 5656000, Y0 = 3486000;
  for (int i = 0; i <= 10; ++i)
    for (int j = 0; j <= 10; ++j) s.Add(X0 + i, Y0 + j, 280 + i);
  auto plane = s.Mesh(1, High(s.P));
  ASSERT_NEAR(Area(*plane), 100, 1e-6);
  HorizonCutFill h = CutAndFill(s.P, *plane, 284);
  EXPECT_NEAR(h.above, 10 * 6 * 6 / 2.0, 1e-9);
  EXPECT_NEAR(h.below, 10 * 4 * 4 / 2.0, 1e-9);
  EXPECT_NEAR(h.areaAbove, 60, 1e-9);
  EXPECT_NEAR(h.areaBelow, 40, 1e-9);
  EXPECT_NEAR(h.hullArea, 100, 1e-6);

  h = CutAndFill(s.P, *plane, 279);  // wholly above
  EXPECT_NEAR(h.above, 100 * 6, 1e-9);
  EXPECT_EQ(h.below, 0);
  EXPECT_EQ(h.areaBelow, 0);
  h = CutAndFill(s.P, *plane, 291);  // wholly below
  EXPECT_NEAR(h.below, 100 * 6, 1e-9);
  EXPECT_EQ(h.above, 0);
  EXPECT_EQ(h.areaAbove, 0);
  EXPECT_NEAR(h.areaBelow, 100, 1e-9);

  // A pyramid of height 6 on a 20 x 20 base: 800 m³. Cut at half its height
  // the top is a pyramid of an eighth of it over a quarter of the base.
  Survey p;
  for (double x : {-10.0, 10.0})
    for (double y : {-10.0, 10.0}) p.Add(x, y, 0);
  p.Add(0, 0, 6);
  auto pyramid = p.Mesh(1, 5);
  ASSERT_EQ(pyramid->HowMany, 4);
  h = CutAndFill(p.P, *pyramid, 3);
  EXPECT_NEAR(h.above, 100, 1e-9);
  EXPECT_NEAR(h.areaAbove, 100, 1e-9);
  EXPECT_NEAR(h.below, 500, 1e-9);  // above - below = 800 - 3 * 400
  EXPECT_NEAR(h.areaBelow, 300, 1e-9);
  // The base on the plane is not below it.
  h = CutAndFill(p.P, *pyramid, 0);
  EXPECT_NEAR(h.above, 800, 1e-9);
  EXPECT_EQ(h.below, 0);
  EXPECT_EQ(h.areaBelow, 0);
  EXPECT_NEAR(h.areaAbove, 400, 1e-9);
}

TEST(CutFillHorizon, CornerOnThePlaneAndTriangleFlatOnIt) {
  Survey s;
  s.Add(0, 0, 1), s.Add(10, 5, 2), s.Add(20, 0, 3);  // 50 m²
  auto m = s.Mesh(1, 3);
  // Heights -1, 0, 1: the zero line runs from the middle corner and halves it.
  HorizonCutFill h = CutAndFill(s.P, *m, 2);
  EXPECT_NEAR(h.areaAbove, 25, 1e-12);
  EXPECT_NEAR(h.areaBelow, 25, 1e-12);
  EXPECT_NEAR(h.above, 25.0 / 3, 1e-12);
  EXPECT_NEAR(h.below, 25.0 / 3, 1e-12);
  // A corner touching from above or from below.
  h = CutAndFill(s.P, *m, 1);
  EXPECT_NEAR(h.above, 50, 1e-12);
  EXPECT_EQ(h.areaBelow, 0);
  h = CutAndFill(s.P, *m, 3);
  EXPECT_NEAR(h.below, 50, 1e-12);
  EXPECT_EQ(h.areaAbove, 0);

  Survey flat;
  flat.Add(0, 0, 5), flat.Add(10, 5, 5), flat.Add(20, 0, 5);
  h = CutAndFill(flat.P, *flat.Mesh(1, 3), 5);
  EXPECT_EQ(h.above + h.below + h.areaAbove + h.areaBelow, 0);
  EXPECT_NEAR(h.area, 50, 1e-9);
}

TEST(CutFillBetween, CrossingPlanesIdenticalHorizonsAndPartialCover) {
  // Reference z = 10 + x / 2, terrain z = 10 + y / 2 over 10 x 10 m, each
  // from its own random points: d = (y - x) / 2 is positive above the
  // diagonal, and each half holds 1000 / 12 m³.
  Survey s;
  const int r0 = s.Rectangle(0, 0, 10, 10, 2.5, 40, 1, [](double x, double) { return 10 + x / 2; });
  const int t0 = s.Rectangle(0, 0, 10, 10, 2, 60, 2, [](double, double y) { return 10 + y / 2; });
  auto ref = s.Mesh(r0, t0 - 1);
  auto ter = s.Mesh(t0, High(s.P));
  BetweenCutFill b = CutFillBetween(s.P, *ref, *ter);
  EXPECT_NEAR(b.fill, 1000.0 / 12, 1e-9);
  EXPECT_NEAR(b.cut, 1000.0 / 12, 1e-9);
  EXPECT_NEAR(b.areaFill, 50, 1e-9);
  EXPECT_NEAR(b.areaCut, 50, 1e-9);
  EXPECT_NEAR(b.commonArea, 100, 1e-9);
  EXPECT_EQ(b.onlyReference, 0);
  EXPECT_EQ(b.onlyTerrain, 0);

  // One horizon against itself, and one plane triangulated from two point
  // sets: equal everywhere, so neither fill nor cut.
  b = CutFillBetween(s.P, *ter, *ter);
  EXPECT_EQ(b.fill + b.cut + b.areaFill + b.areaCut, 0);
  EXPECT_NEAR(b.commonArea, 100, 1e-9);
  Survey q;
  const Height tilted = [](double x, double y) { return 281.25 + 0.3 * x - 0.2 * y; };
  const int q0 = q.Rectangle(5656000, 3486000, 10, 10, 2.5, 30, 3, tilted);
  const int q1 = q.Rectangle(5656000, 3486000, 10, 10, 5, 50, 4, tilted);
  b = CutFillBetween(q.P, *q.Mesh(q0, q1 - 1), *q.Mesh(q1, High(q.P)));
  EXPECT_EQ(b.fill + b.cut + b.areaFill + b.areaCut, 0);
  EXPECT_NEAR(b.commonArea, 100, 1e-6);

  // A reference horizon under the left half of the terrain only.
  Survey h;
  const int h0 = h.Rectangle(0, 0, 5, 10, 2.5, 10, 5, [](double, double) { return 1; });
  const int h1 = h.Rectangle(0, 0, 10, 10, 2, 30, 6, [](double, double) { return 2; });
  b = CutFillBetween(h.P, *h.Mesh(h0, h1 - 1), *h.Mesh(h1, High(h.P)));
  EXPECT_NEAR(b.fill, 50, 1e-9);
  EXPECT_EQ(b.cut, 0);
  EXPECT_NEAR(b.commonArea, 50, 1e-9);
  EXPECT_NEAR(b.onlyTerrain, 50, 1e-9);
  EXPECT_EQ(b.onlyReference, 0);

  // No reference triangles at all.
  const Delaunay::TDelaunay none;
  b = CutFillBetween(h.P, none, *h.Mesh(h1, High(h.P)));
  EXPECT_EQ(b.commonArea, 0);
  EXPECT_NEAR(b.onlyTerrain, 100, 1e-9);
}

// The heights of a mesh at plan positions, found by testing the triangles
// near the point: no overlay, no clipping.
class Sampler {
 public:
  Sampler(const PointTable& P, const Delaunay::TDelaunay& m) : P_(P), m_(m) {
    for (int t = 1; t <= m.HowMany; ++t) {
      double lo[2] = {1e300, 1e300}, hi[2] = {-1e300, -1e300};
      for (const TPunkt* p : Corners(t)) {
        lo[0] = std::min(lo[0], p->X), hi[0] = std::max(hi[0], p->X);
        lo[1] = std::min(lo[1], p->Y), hi[1] = std::max(hi[1], p->Y);
      }
      boxes_.push_back({lo[0], hi[0], lo[1], hi[1], t});
    }
    std::sort(boxes_.begin(), boxes_.end(), [](const Box& a, const Box& b) { return a.x0 < b.x0; });
    for (const Box& b : boxes_) widest_ = std::max(widest_, b.x1 - b.x0);
  }

  bool At(double x, double y, double& z) const {
    auto it = std::lower_bound(boxes_.begin(), boxes_.end(), x - widest_,
                               [](const Box& b, double v) { return b.x0 < v; });
    for (; it != boxes_.end() && it->x0 <= x; ++it) {
      if (x > it->x1 || y < it->y0 || y > it->y1) continue;
      const auto c = Corners(it->t);
      const double d = (c[1]->X - c[0]->X) * (c[2]->Y - c[0]->Y) - (c[2]->X - c[0]->X) * (c[1]->Y - c[0]->Y);
      const double l1 = ((x - c[0]->X) * (c[2]->Y - c[0]->Y) - (c[2]->X - c[0]->X) * (y - c[0]->Y)) / d;
      const double l2 = ((c[1]->X - c[0]->X) * (y - c[0]->Y) - (x - c[0]->X) * (c[1]->Y - c[0]->Y)) / d;
      if (l1 < 0 || l2 < 0 || l1 + l2 > 1) continue;
      z = c[0]->Z + l1 * (c[1]->Z - c[0]->Z) + l2 * (c[2]->Z - c[0]->Z);
      return true;
    }
    return false;
  }

 private:
  struct Box {
    double x0, x1, y0, y1;
    int t;
  };
  std::array<const TPunkt*, 3> Corners(int t) const {
    const Delaunay::dTriangle& tr = m_.Triangle[t];
    return {&P_[m_.Vertex[tr.vv0].ID], &P_[m_.Vertex[tr.vv1].ID], &P_[m_.Vertex[tr.vv2].ID]};
  }
  const PointTable& P_;
  const Delaunay::TDelaunay& m_;
  std::vector<Box> boxes_;
  double widest_ = 0;
};

struct Sampled {
  double above[2] = {}, below[2] = {}, areaAbove[2] = {}, areaBelow[2] = {};
  double fill = 0, cut = 0, areaFill = 0, areaCut = 0, common = 0, onlyRef = 0, onlyTer = 0;
  double difference = 0;  // integral of terrain - reference over the common area
};

// One random position in each cell of an n x n grid over the bounds.
Sampled Sample(const Workspace& ws, double H0, int n) {
  const Sampler ref(ws.P, *ws.Mesh0), ter(ws.P, *ws.Mesh1);
  const TableBounds& b = ws.bounds;
  const double cw = (b.MaxX - b.MinX) / n, ch = (b.MaxY - b.MinY) / n, dA = cw * ch;
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(0, 1);
  Sampled s;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const double x = b.MinX + (i + u(rng)) * cw, y = b.MinY + (j + u(rng)) * ch;
      double z[2] = {0, 0};
      const bool in[2] = {ref.At(x, y, z[0]), ter.At(x, y, z[1])};
      for (int k = 0; k < 2; ++k) {
        if (!in[k]) continue;
        const double h = z[k] - H0;
        if (h == 0) continue;
        (h > 0 ? s.above[k] : s.below[k]) += std::fabs(h) * dA;
        (h > 0 ? s.areaAbove[k] : s.areaBelow[k]) += dA;
      }
      if (in[0] && in[1]) {
        const double d = z[1] - z[0];
        s.common += dA;
        s.difference += d * dA;
        // Where both meshes share a triangle they are equal: neither.
        if (d == 0) continue;
        (d > 0 ? s.fill : s.cut) += std::fabs(d) * dA;
        (d > 0 ? s.areaFill : s.areaCut) += dA;
      } else if (in[0]) {
        s.onlyRef += dA;
      } else if (in[1]) {
        s.onlyTer += dA;
      }
    }
  return s;
}

// Runs the program on the points and checks its cut and fill against the
// sampling and against the run's own net volumes.
void CheckAgainstSampling(const std::string& points, double H0, bool same_cover) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "punkte.asc";
  WriteBytes(host.point_file, points);
  host.field.SetValue(H0);
  Workspace ws;
  ToolButton1Click(ws, host);
  const CutFill& c = ws.cutFill;
  ASSERT_TRUE(c.valid);
  ASSERT_GT(ws.Mesh0->HowMany, 10);

  // The net volumes are those of the protocol, split.
  EXPECT_NEAR(c.reference.above - c.reference.below, ws.m0,
              1e-12 * (c.reference.above + c.reference.below));
  EXPECT_NEAR(c.terrain.above - c.terrain.below, ws.m1,
              1e-12 * (c.terrain.above + c.terrain.below));
  const BetweenCutFill& b = c.between;
  // The run's two threads, one and three give the same figures to the bit.
  for (int threads : {1, 3}) {
    const BetweenCutFill o = CutFillBetween(ws.P, *ws.Mesh0, *ws.Mesh1, threads);
    for (auto figure : {&BetweenCutFill::fill, &BetweenCutFill::cut, &BetweenCutFill::areaFill,
                        &BetweenCutFill::areaCut, &BetweenCutFill::commonArea,
                        &BetweenCutFill::onlyReference, &BetweenCutFill::onlyTerrain})
      EXPECT_EQ(o.*figure, b.*figure) << threads;
  }
  if (same_cover) {
    ASSERT_EQ(b.onlyReference + b.onlyTerrain, 0);
    EXPECT_NEAR(b.fill - b.cut, ws.m1 - ws.m0, 1e-9 * (b.fill + b.cut));
  }

  const Sampled s = Sample(ws, H0, 600);
  auto near = [](double got, double want, double scale) {
    return std::fabs(got - want) <= 1e-3 * scale;
  };
  const HorizonCutFill* h[2] = {&c.reference, &c.terrain};
  for (int k = 0; k < 2; ++k) {
    const double v = h[k]->above + h[k]->below, a = h[k]->area;
    EXPECT_PRED3(near, h[k]->above, s.above[k], v) << k;
    EXPECT_PRED3(near, h[k]->below, s.below[k], v) << k;
    EXPECT_PRED3(near, h[k]->areaAbove, s.areaAbove[k], a) << k;
    EXPECT_PRED3(near, h[k]->areaBelow, s.areaBelow[k], a) << k;
  }
  const double v = b.fill + b.cut, a = c.terrain.area;
  EXPECT_PRED3(near, b.fill, s.fill, v);
  EXPECT_PRED3(near, b.cut, s.cut, v);
  EXPECT_PRED3(near, b.fill - b.cut, s.difference, v);
  EXPECT_PRED3(near, b.areaFill, s.areaFill, a);
  EXPECT_PRED3(near, b.areaCut, s.areaCut, a);
  EXPECT_PRED3(near, b.commonArea, s.common, a);
  EXPECT_PRED3(near, b.onlyReference, s.onlyRef, a);
  EXPECT_PRED3(near, b.onlyTerrain, s.onlyTer, a);
}

TEST(CutFillProperty, RandomTerrainsAgreeWithDenseSampling) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> xy(0, 100), z(0, 10);
    std::uniform_int_distribution<int> code(0, 2);
    std::string text;
    for (int i = 1; i <= 300; ++i)
      text += Format("%d %d %.3f %.3f %.3f\r\n", i, code(rng) == 0 ? 1 : 0, xy(rng), xy(rng), z(rng));
    CheckAgainstSampling(text, 5, false);
  }
}

TEST(CutFillProperty, StockpileOnASlopeAgreesAndKeepsTheDifferenceVolume) {
  // The base's corners and a coarse grid on a sloping ground are the
  // reference horizon; the heap over it is surveyed at random points. Both
  // share the outline, so fill - cut is the run's difference volume.
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> u(5, 75);
  auto ground = [](double x, double y) { return 280 + 0.02 * x + 0.01 * y; };
  std::string text;
  int nr = 1000;
  auto line = [&](int code, double x, double y, double z) {
    text += Format("%d %d %.3f %.3f %.3f\r\n", ++nr, code, 3486000 + y, 5656000 + x, z);
  };
  for (int i = 0; i < 400; ++i) {
    const double x = u(rng), y = u(rng);
    const double r2 = (x - 40) * (x - 40) + (y - 40) * (y - 40);
    line(0, x, y, ground(x, y) + std::max(0.0, 6 - r2 / 200) - 0.5 * (i % 5 == 0));
  }
  for (double x = 0; x <= 80; x += 20)
    for (double y = 0; y <= 80; y += 20) line(1, x, y, ground(x, y));
  CheckAgainstSampling(text, 281, true);
}

TEST(ZeroLines, PyramidAtHalfHeightAndAtItsBase) {
  Survey p;
  for (double x : {-10.0, 10.0})
    for (double y : {-10.0, 10.0}) p.Add(x, y, 0);
  p.Add(0, 0, 6);
  auto m = p.Mesh(1, 5);
  auto length = [](const std::vector<ZeroSegment>& segments) {
    double sum = 0;
    for (const ZeroSegment& s : segments) sum += std::hypot(s.x2 - s.x1, s.y2 - s.y1);
    return sum;
  };
  std::vector<ZeroSegment> z = ZeroLines(*m, 3);
  ASSERT_EQ(z.size(), 4u);
  EXPECT_NEAR(length(z), 40, 1e-12);  // the square of half the base
  for (const ZeroSegment& s : z) {
    EXPECT_NEAR(std::max(std::fabs(s.x1), std::fabs(s.y1)), 5, 1e-12);
    EXPECT_NEAR(std::max(std::fabs(s.x2), std::fabs(s.y2)), 5, 1e-12);
  }
  EXPECT_NEAR(length(ZeroLines(*m, 0)), 80, 1e-12);  // base edges on the plane
  EXPECT_TRUE(ZeroLines(*m, 6).empty());             // the apex only touches
  EXPECT_TRUE(ZeroLines(*m, 7).empty());
}

}  // namespace
}  // namespace zelmaro::testing
