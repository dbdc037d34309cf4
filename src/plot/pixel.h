#pragma once
// The pixel of a plan coordinate: (a - offset) / mf evaluated with a 64-bit
// significand, then truncated or rounded (halves to even). A redraw converts
// every point and every mesh corner this way, hundreds of thousands of them,
// and the extended division and rounding are slow; so the quotient is taken
// in double first and the extended one only where the two might differ.
//
// Why the double quotient decides: with D = a - offset exactly and Q = D / mf,
// the double subtraction and division each round by at most 2^-53 of their
// size, so q = Q (1 + d1)(1 + d2) with |d| <= 2^-53; the extended ones give
// Q (1 + e1)(1 + e2) with |e| <= 2^-64. The two quotients are thus less than
// 2^-51 |q| apart. Where no integer (for truncation) or half (for rounding)
// lies within 2^-50 |q| of q, both sit on the same side of every such edge,
// and give the same pixel. The distance is measured on q - trunc(q), which is
// exact: trunc(q) and q have the same sign and differ by less than one, and
// |q| < 2^30.
#include <cmath>
#include <cstdint>

namespace zelmaro {

// Pixel coordinates farther than this from the image's corner are never
// visible; an element reaching beyond is left out rather than wrapped.
constexpr int32_t kMaxPlotCoordinate = 1 << 30;

// A rounded pixel coordinate that some image can show.
inline bool InPlot(long double v) {
  return std::isfinite(v) && std::fabs(v) <= kMaxPlotCoordinate;
}

namespace pixel_detail {

using ext = long double;

constexpr double kFast = 1e9;  // below kMaxPlotCoordinate, so the result fits
constexpr double kSlack = 0x1p-50;

}  // namespace pixel_detail

// False when the pixel lies beyond any image.
inline bool TruncPixel(double a, double offset, double mf, int32_t& out) {
  using namespace pixel_detail;
  const double q = (a - offset) / mf;
  if (std::fabs(q) < kFast) {  // also false for NaN
    const auto t = static_cast<int64_t>(q);
    const double f = std::fabs(q - static_cast<double>(t));
    const double tol = std::fabs(q) * kSlack;
    if (f > tol && 1 - f > tol) {
      out = static_cast<int32_t>(t);
      return true;
    }
  }
  const ext e = std::trunc((ext(a) - offset) / mf);
  if (!InPlot(e)) return false;
  out = static_cast<int32_t>(e);
  return true;
}

inline bool RoundPixel(double a, double offset, double mf, int32_t& out) {
  using namespace pixel_detail;
  const double q = (a - offset) / mf;
  if (std::fabs(q) < kFast) {
    const auto t = static_cast<int64_t>(q);
    const double f = q - static_cast<double>(t);
    const double tol = std::fabs(q) * kSlack;
    if (std::fabs(std::fabs(f) - 0.5) > tol) {
      out = static_cast<int32_t>(std::fabs(f) < 0.5 ? t : f > 0 ? t + 1 : t - 1);
      return true;
    }
  }
  const ext e = std::nearbyint((ext(a) - offset) / mf);
  if (!InPlot(e)) return false;
  out = static_cast<int32_t>(e);
  return true;
}

}  // namespace zelmaro
