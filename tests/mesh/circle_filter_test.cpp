// The double-precision filters of the circle tests against the ext
// arithmetic they stand in for: wherever a filter decides, its answer must
// be the ext one, on inputs made to sit on the edge of the decision.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "mesh/circle_filter.h"
#include "mesh/delaunay.h"

namespace Delaunay::circle {
namespace {

// As the point intake stores a coordinate; beyond its range as it is.
double Micro(double v) { return std::fabs(v) < 1e12 ? RoundToMicro(v) : v; }

// Decisions of one family of cases: how many the filter left to ext.
struct Tally {
  int64_t decided = 0, near = 0, wrong = 0;
  void Add(Side s, bool ext) {
    if (s == Side::kNear) {
      ++near;
      return;
    }
    ++decided;
    if ((s == Side::kIn) != ext) ++wrong;
  }
};

// Points p and centres c of one scale; rsqr is DistanceSqr(p, c) moved by up
// to 12 ulps either way, so that the test is decided in the last bits, plus
// radii a little and far off, which the double distance must decide alone.
Tally DistanceCases(std::mt19937_64& rng, double base, double span, bool micro) {
  std::uniform_real_distribution<double> u(-1, 1);
  Tally t;
  for (int trial = 0; trial < 20000; ++trial) {
    double xp = base + span * u(rng), yp = base * 0.6 + span * u(rng);
    if (micro) xp = Micro(xp), yp = Micro(yp);
    const double xc = base + span * u(rng), yc = base * 0.6 + span * u(rng);
    const double d = DistanceSqr(xp, yp, xc, yc);
    for (int k = -12; k <= 12; ++k) {
      double rsqr = d;
      for (int s = 0; s < std::abs(k); ++s) rsqr = std::nextafter(rsqr, k < 0 ? 0.0 : INFINITY);
      t.Add(DistanceTest(xc, yc, rsqr).Decide(xp, yp), d <= rsqr);
    }
    for (double f : {1 - 1e-13, 1 + 1e-13, 0.5, 2.0}) {
      const Side s = DistanceTest(xc, yc, d * f).Decide(xp, yp);
      EXPECT_TRUE(d < 1e-290 || s != Side::kNear) << "factor " << f << " distance " << d;
      t.Add(s, d <= d * f);
    }
  }
  return t;
}

TEST(CircleFilter, DistanceTestDecidesAsTheExtTestAtEveryScale) {
  std::mt19937_64 rng(5);
  struct Family {
    const char* what;
    double base, span;
    bool micro, decides;
  } families[] = {
      {"survey coordinates, micrometres", 5656820.914, 40, true, true},
      {"survey coordinates, a huge circle", 5656820.914, 4e5, true, true},
      {"survey coordinates, a tiny circle", 5656820.914, 3e-6, false, true},
      {"around the origin", 0, 10, false, true},
      {"large coordinates", 3e12, 1e9, false, true},
      // Here every case is left to ext.
      {"squares below the normal range", 0, 1e-158, false, false},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.what);
    const Tally t = DistanceCases(rng, f.base, f.span, f.micro);
    EXPECT_EQ(t.wrong, 0);
    if (f.decides) {
      EXPECT_GT(t.decided, 0);
    }
    // Within 12 ulps of the edge some cases must be left to ext, or the
    // cases do not reach the edge.
    EXPECT_GT(t.near, 0);
    std::printf("  %-36s decided %lld, left to ext %lld\n", f.what,
                static_cast<long long>(t.decided), static_cast<long long>(t.near));
  }
}

TEST(CircleFilter, DistanceTestWithoutANumberTakesTheExtTest) {
  const DistanceTest nan_radius(0, 0, NAN);
  EXPECT_EQ(nan_radius.Decide(1, 1), Side::kNear);
  EXPECT_FALSE(nan_radius(1, 1));
  const DistanceTest nan_centre(NAN, 0, 4);
  EXPECT_EQ(nan_centre.Decide(1, 1), Side::kNear);
  EXPECT_FALSE(nan_centre(1, 1));
  // On the circle and on the centre.
  const DistanceTest unit(0, 0, 1);
  EXPECT_TRUE(unit(1, 0));
  EXPECT_TRUE(unit(0, 0));
  EXPECT_FALSE(unit(std::nextafter(1.0, 2.0), 0));
}

struct Corners {
  double x[3], y[3];
};

// Near-degenerate triangles, each family on an edge of the double circle.
Corners SurveyTriangle(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1, 1), e(-2, 2);
  const double size = std::pow(10.0, e(rng));
  Corners c;
  for (int k = 0; k < 3; ++k) {
    c.x[k] = Micro(5656820.914 + size * u(rng));
    c.y[k] = Micro(3486946.169 + size * u(rng));
  }
  return c;
}

// The third corner on the line of the first two or a little off it: the
// slopes agree to a few ulps or exactly, the circle is huge or has none.
Corners NearlyCollinear(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1, 1), e(-6, -1);
  const double ax = 5656820.914 + 50 * u(rng), ay = 3486946.169 + 50 * u(rng);
  const double bx = ax + 30 * u(rng), by = ay + 30 * u(rng);
  const double t = 2 * u(rng), off = std::pow(10.0, e(rng)) * (rng() % 4 == 0 ? 0 : 1);
  const double len = std::hypot(bx - ax, by - ay);
  Corners c{{Micro(ax), Micro(bx), Micro(ax + t * (bx - ax) - off * (by - ay) / len)},
            {Micro(ay), Micro(by), Micro(ay + t * (by - ay) + off * (bx - ax) / len)}};
  if (rng() % 2) std::swap(c.x[0], c.x[2]), std::swap(c.y[0], c.y[2]);
  return c;
}

// Corners of a survey grid: three of a cell (their circle holds the fourth
// on its edge), three on a row, a column or a diagonal.
Corners GridCorners(std::mt19937_64& rng) {
  const double step = (rng() % 3 == 0) ? 0.7 : 1.0;
  const double x0 = 5656820.914 + double(rng() % 100) * step, y0 = 3486946.169 + double(rng() % 100) * step;
  static const int shapes[][6] = {{0, 0, 1, 0, 0, 1}, {1, 0, 0, 1, 1, 1}, {0, 0, 1, 1, 0, 1},
                                  {0, 0, 1, 1, 2, 2}, {0, 0, 0, 1, 0, 3}, {0, 0, 1, 2, 2, 4},
                                  {1, 0, 0, 0, 1, 1}, {0, 1, 1, 0, 0, 0}, {0, 0, 2, 1, 1, 3}};
  const int* s = shapes[rng() % 9];
  Corners c;
  for (int k = 0; k < 3; ++k) {
    c.x[k] = Micro(x0 + s[2 * k] * step);
    c.y[k] = Micro(y0 + s[2 * k + 1] * step);
  }
  return c;
}

// Two corners whose y differ by about the coincidence threshold, a few
// micrometres at most; the third anywhere near.
Corners NearlyEqualY(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  const double y = Micro(3486946.169 + 100 * u(rng));
  const double dy = double(int(rng() % 5) - 2) * 1e-6;
  Corners c{{Micro(5656820.914 + 40 * u(rng)), Micro(5656820.914 + 40 * u(rng)),
             Micro(5656820.914 + 40 * u(rng))},
            {y, Micro(y + dy), Micro(y + 20 * u(rng))}};
  const int k = int(rng() % 3);  // the near pair first and second, second and third, ...
  std::swap(c.x[k], c.x[2]);
  std::swap(c.y[k], c.y[2]);
  return c;
}

// Micrometre triangles at survey coordinates, whose circles are about as
// small as the error of a double centre there.
Corners TinyTriangle(std::mt19937_64& rng) {
  const double x0 = Micro(5656820.914), y0 = Micro(3486946.169);
  Corners c;
  for (int k = 0; k < 3; ++k) {
    c.x[k] = Micro(x0 + double(rng() % 7) * 1e-6);
    c.y[k] = Micro(y0 + double(rng() % 7) * 1e-6);
  }
  return c;
}

Corners UnitScale(std::mt19937_64& rng) {
  std::uniform_real_distribution<double> u(-1, 1);
  return Corners{{u(rng), u(rng), u(rng)}, {u(rng), u(rng), u(rng)}};
}

struct CircleTally {
  int64_t triangles = 0, usable = 0, centre_beyond_bound = 0, lookup_misses = 0;
  double worst = 0;  // the largest share of its bound that a centre's error took
  int64_t end_to_end_wrong = 0, end_to_end_exact = 0;
  Tally first, later, passed;
};

double Ulps(double v, int k) {
  for (int s = 0; s < std::abs(k); ++s) v = std::nextafter(v, k < 0 ? -INFINITY : INFINITY);
  return v;
}

// Points on the edge of the circle (xc, yc, r): on it, within ulps and
// small fractions of it, rounded to micrometres or not, the corners and the
// points of the grid cell around them.
std::vector<std::pair<double, double>> EdgePoints(const Corners& c, double xc, double yc, double r,
                                                  std::mt19937_64& rng) {
  std::uniform_real_distribution<double> angle(0, 6.283185307179586);
  std::vector<std::pair<double, double>> pts;
  for (int k = 0; k < 3; ++k) {
    pts.push_back({c.x[k], c.y[k]});
    for (double dx : {-1.0, 0.0, 1.0, -0.7, 0.7})
      for (double dy : {-1.0, 0.0, 1.0, -0.7, 0.7}) pts.push_back({Micro(c.x[k] + dx), Micro(c.y[k] + dy)});
  }
  for (int a = 0; a < 6; ++a) {
    const double th = angle(rng), px = xc + r * std::cos(th), py = yc + r * std::sin(th);
    pts.push_back({Micro(px), Micro(py)});
    for (int k = -3; k <= 3; ++k) pts.push_back({Ulps(px, k), py});
    for (double f : {1e-6, 1e-9, 1e-12, 1e-14})
      for (double sgn : {-1.0, 1.0})
        pts.push_back({xc + r * (1 + sgn * f) * std::cos(th), yc + r * (1 + sgn * f) * std::sin(th)});
  }
  return pts;
}

// x values around the circle's right edge, for Passed.
std::vector<double> EdgeXs(double xc, double r) {
  std::vector<double> xs;
  const double edge = static_cast<double>(ext(xc) + r);
  for (int k = -4; k <= 4; ++k) xs.push_back(Ulps(edge, k));
  for (double f : {1e-6, 1e-9, 1e-12, 1e-14}) {
    xs.push_back(xc + r * (1 + f));
    xs.push_back(xc + r * (1 - f));
  }
  xs.push_back(Micro(edge));
  xs.push_back(xc);
  return xs;
}

void CheckTriangle(const Corners& c, std::mt19937_64& rng, CircleTally& t) {
  const double x1 = c.x[0], y1 = c.y[0], x2 = c.x[1], y2 = c.y[1], x3 = c.x[2], y3 = c.y[2];
  if (Coincident(y1, y2, y3)) return;
  ++t.triangles;
  double xc, yc, r, rsqr;
  Compute(x1, y1, x2, y2, x3, y3, xc, yc, r, rsqr);
  const double cached = CachedRSqr(r);
  const ApproxCircle a = Approximate(x1, y1, x2, y2, x3, y3);
  const ApproxTest at(a);
  const std::vector<std::pair<double, double>> pts = EdgePoints(c, xc, yc, r, rng);
  const std::vector<double> xs = EdgeXs(xc, r);
  if (a.usable) {
    ++t.usable;
    // The bounds themselves, measured in ext: differences of doubles.
    const ext ex = std::fabs(ext(a.xc) - xc), ey = std::fabs(ext(a.yc) - yc);
    const ext dist = std::sqrt(ex * ex + ey * ey);
    if (ex > a.exc || dist > a.ec) ++t.centre_beyond_bound;
    t.worst = std::max(t.worst, static_cast<double>(dist / a.ec));
    for (const auto& [px, py] : pts) {
      const double d = DistanceSqr(px, py, xc, yc);
      t.first.Add(at.Inside(px, py), d <= rsqr);
      t.later.Add(at.Inside(px, py), d <= cached);
      if (d <= cached && DistanceSqr(px, py, a.xc, a.yc) > at.look_rsqr()) ++t.lookup_misses;
    }
    for (double x : xs) t.passed.Add(at.Passed(x), Passed(xc, r, x));
    // The look-up's early stop: beyond xc + 2 look_r the circle is passed.
    const double stop = a.xc + 2 * at.look_r();
    for (int k = 1; k <= 3; ++k)
      if (!Passed(xc, r, Ulps(stop, k))) ++t.lookup_misses;
  }
  // The whole test, as the triangulation asks it: first, later, Passed.
  CircleTest ct(x1, y1, x2, y2, x3, y3, true);
  for (size_t k = 0; k < pts.size(); ++k) {
    const auto& [px, py] = pts[k];
    if (k == pts.size() / 2) ct.Later();
    const bool want = DistanceSqr(px, py, xc, yc) <= (k < pts.size() / 2 ? rsqr : cached);
    if (ct(px, py) != want) ++t.end_to_end_wrong;
  }
  for (double x : xs)
    if (ct.Passed(x) != Passed(xc, r, x)) ++t.end_to_end_wrong;
  if (ct.exact()) {
    ++t.end_to_end_exact;
    const double got[3] = {ct.xc(), ct.yc(), ct.r()}, want[3] = {xc, yc, r};
    if (std::memcmp(got, want, sizeof got) != 0) ++t.end_to_end_wrong;
  }
}

TEST(CircleFilter, DoubleCircleDecidesAsComputesCircleOnNearDegenerateTriangles) {
  std::mt19937_64 rng(17);
  struct Family {
    const char* what;
    Corners (*make)(std::mt19937_64&);
    double min_usable;  // share of the triangles the double circle serves
  } families[] = {
      {"survey triangles, 1 cm to 100 m", SurveyTriangle, 0.5},
      {"nearly collinear", NearlyCollinear, 0.3},
      {"survey grid corners", GridCorners, 0.5},
      {"nearly equal y", NearlyEqualY, 0.7},
      {"micrometre triangles", TinyTriangle, 0.0},
      {"unit scale", UnitScale, 0.99},
  };
  for (const Family& f : families) {
    SCOPED_TRACE(f.what);
    CircleTally t;
    for (int trial = 0; trial < 4000; ++trial) CheckTriangle(f.make(rng), rng, t);
    EXPECT_EQ(t.centre_beyond_bound, 0);
    EXPECT_EQ(t.lookup_misses, 0);
    EXPECT_EQ(t.first.wrong, 0);
    EXPECT_EQ(t.later.wrong, 0);
    EXPECT_EQ(t.passed.wrong, 0);
    EXPECT_EQ(t.end_to_end_wrong, 0);
    EXPECT_GE(double(t.usable), f.min_usable * double(t.triangles));
    if (t.usable > 0) {
      EXPECT_GT(t.first.decided, 0);
      EXPECT_GT(t.passed.decided, 0);
    }
    const auto share = [](int64_t a, int64_t b) { return b ? 100.0 * double(a) / double(b) : 0.0; };
    std::printf("  %-32s %5lld triangles, double circle for %5.1f %%; left to ext: first %4.1f %%, "
                "later %4.1f %%, passed %4.1f %%; Compute's circle needed for %5.1f %%; "
                "centre error at most %.3f of its bound\n",
                f.what, static_cast<long long>(t.triangles), share(t.usable, t.triangles),
                share(t.first.near, t.first.near + t.first.decided),
                share(t.later.near, t.later.near + t.later.decided),
                share(t.passed.near, t.passed.near + t.passed.decided),
                share(t.end_to_end_exact, t.triangles), t.worst);
  }
}

// CloseY against Compute's comparison where the double difference is about
// eps: both ways of a few ulps, at several magnitudes.
TEST(CircleFilter, NearlyEqualYAsComputeDecidesIt) {
  int64_t cases = 0;
  for (double base : {0.0, 1.0, -3.5, 3486946.169, 1e-3, 5e8})
    for (int k = -40; k <= 40; ++k) {
      const double b = base, a0 = base + eps;
      const double a = Ulps(a0, k);
      EXPECT_EQ(CloseY(a, b), std::fabs(ext(a) - b) < eps) << base << " " << k;
      EXPECT_EQ(CloseY(b, a), std::fabs(ext(b) - a) < eps) << base << " " << k;
      ++cases;
    }
  EXPECT_TRUE(CloseY(1, 1));
  EXPECT_FALSE(CloseY(NAN, 1));
  EXPECT_FALSE(CloseY(0, INFINITY));
  EXPECT_GT(cases, 400);
}

}  // namespace
}  // namespace Delaunay::circle
