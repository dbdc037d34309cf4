#pragma once
// The prism over one triangle cut by a plane: what lies above and below it.
// Shared by the cut and fill of a horizon against H0 and of the two horizons
// against each other (the overlay).
#include <cmath>

#include "text/errors.h"

namespace zelmaro::prism_split {

using ext = long double;

struct Sums {
  ext above = 0, below = 0, areaAbove = 0, areaBelow = 0;
};

// The prism over a triangle of plan area A whose top stands h0, h1, h2 above
// the plane at its corners, cut by the plane. Ma is its signed volume,
// A * (h0 + h1 + h2) / 3, passed in so that above - below adds up to exactly
// the caller's net volume. Where the plane crosses, the corner alone on its
// side spans the similar sub-triangle with the two edge crossings; its
// share of the area is ta * tb and its prism is a pyramid of height h.
inline void AddSplit(Sums& s, ext A, ext Ma, ext h0, ext h1, ext h2) {
  const int pos = (h0 > 0) + (h1 > 0) + (h2 > 0);
  const int neg = (h0 < 0) + (h1 < 0) + (h2 < 0);
  if (neg == 0) {
    s.above += Ma;
    if (pos > 0) s.areaAbove += A;
    return;
  }
  if (pos == 0) {
    s.below -= Ma;
    s.areaBelow += A;
    return;
  }
  // One corner is alone on its side: pos == 1 or neg == 1 (both with a
  // corner on the plane).
  const bool lone_above = pos == 1;
  ext a = h0, b = h1, c = h2;
  if (lone_above ? h1 > 0 : h1 < 0) std::swap(a, b);
  else if (lone_above ? h2 > 0 : h2 < 0) std::swap(a, c);
  if (!lone_above) a = -a, b = -b, c = -c;
  const ext share = a / (a - b) * (a / (a - c));  // a > 0 >= b, c
  const ext part_area = A * share;
  const ext part = part_area * a / 3;
  if (lone_above) {
    s.above += part;
    s.below += part - Ma;
    s.areaAbove += part_area;
    s.areaBelow += A - part_area;
  } else {
    s.below += part;
    s.above += part + Ma;
    s.areaBelow += part_area;
    s.areaAbove += A - part_area;
  }
}

// Volumes and areas are magnitudes; what rounding leaves below zero is zero.
inline double Finite(ext v) {
  const double d = static_cast<double>(v);
  if (!std::isfinite(d)) throw EOverflow();
  return d > 0 ? d : 0.0;
}

}  // namespace zelmaro::prism_split
