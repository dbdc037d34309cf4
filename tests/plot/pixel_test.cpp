// The double shortcut of the pixel conversion against the extended
// quotient it stands for, where the two are most likely to part: quotients
// at and next to whole and half pixels, survey coordinates, the image's far
// edge and beyond.
#include "plot/pixel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

using ext = long double;

bool Reference(ext q, bool round, int32_t& out) {
  const ext r = round ? std::nearbyint(q) : std::trunc(q);
  if (!std::isfinite(r) || std::fabs(r) > zelmaro::kMaxPlotCoordinate) return false;
  out = static_cast<int32_t>(r);
  return true;
}

// Counts the cases checked, so that a test cannot pass by checking none.
int Check(double a, double offset, double mf) {
  for (const bool round : {false, true}) {
    int32_t want = 7, got = 7;
    const bool want_ok = Reference((ext(a) - offset) / mf, round, want);
    const bool got_ok = round ? zelmaro::RoundPixel(a, offset, mf, got)
                              : zelmaro::TruncPixel(a, offset, mf, got);
    EXPECT_EQ(got_ok, want_ok) << a << " " << offset << " " << mf << " round " << round;
    if (want_ok && got_ok) {
      EXPECT_EQ(got, want) << a << " " << offset << " " << mf << " round " << round;
    }
  }
  return 1;
}

// The value and its neighbours a few steps of the last bit away.
std::vector<double> Around(double v) {
  std::vector<double> out{v};
  double up = v, down = v;
  for (int i = 0; i < 4; ++i) {
    up = std::nextafter(up, INFINITY);
    down = std::nextafter(down, -INFINITY);
    out.push_back(up);
    out.push_back(down);
  }
  return out;
}

TEST(PixelConversion, EqualsTheExtendedQuotientAtWholeAndHalfPixels) {
  int checked = 0;
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> offset_of(-1e7, 1e7);
  std::uniform_int_distribution<int> pixel_of(-3000, 3000);
  const double scales[] = {1, 0.1, 0.25, 1.0 / 3, 0.45, 1.1180339887, 7.3e-4, 123.456};
  for (const double mf : scales)
    for (int k = 0; k < 300; ++k) {
      const double offset = k % 3 == 0 ? std::nearbyint(offset_of(rng)) : offset_of(rng);
      const double pixel = pixel_of(rng) + (k % 2 ? 0.5 : 0.0);
      // The coordinate whose quotient is nearest that pixel or half, and its
      // neighbours: where truncating and rounding are decided by the last bit.
      for (const double a : Around(offset + pixel * mf)) checked += Check(a, offset, mf);
      // With a small offset the difference keeps every bit of the product,
      // and the quotient falls within the last bits of the pixel or half.
      const double near = k % 5;
      for (const double a : Around(near + pixel * mf)) checked += Check(a, near, mf);
    }
  EXPECT_GT(checked, 10000);
}

TEST(PixelConversion, EqualsTheExtendedQuotientOnSurveysAndAtTheLimits) {
  int checked = 0;
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> metres(0, 2000);
  for (int k = 0; k < 20000; ++k) {
    // Survey coordinates to the millimetre, an offset from the fit of a view.
    const double a = std::nearbyint((5600000 + metres(rng)) * 1000) / 1000;
    checked += Check(a, 5599990.123456789, 0.4471);
    checked += Check(a, 5600000, 1.0 / 64);
  }
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const double a : {0.0, -0.0, 1e-300, -1e-300, 0.5, -0.5, 1.5, -2.5, 1e9, -1e9, 1073741824.0,
                         1073741825.0, -1073741825.0, 1073741824.4, 1073741824.6, 1e300, inf, -inf,
                         nan})
    for (const double mf : {1.0, 0.5, -1.0, 1e-300, 1e300, inf})
      for (const double offset : {0.0, -0.25, 1e308, -1e308}) checked += Check(a, offset, mf);
  EXPECT_GT(checked, 40000);
}

}  // namespace
