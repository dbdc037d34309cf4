// The double-precision filters of the circle tests against the ext
// arithmetic they stand in for: wherever a filter decides, its answer must
// be the ext one, on inputs made to sit on the edge of the decision.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "mesh/circumcircle.h"

namespace Delaunay::circle {
namespace {

double Micro(double v) { return std::nearbyint(v * 1e6) / 1e6; }

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

}  // namespace
}  // namespace Delaunay::circle
