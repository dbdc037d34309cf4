#pragma once
// The circumcircle arithmetic of the triangulation, shared by InCircle and by
// the fast triangulation, which computes every circle when its triangle is
// made. Both must give the same bits: the fast path decides with circles
// computed early what the scan decides with circles computed on first use.
#include <cmath>

namespace Delaunay::circle {

// Expressions are evaluated with a 64-bit significand and rounded to double
// where they are stored.
using ext = long double;

constexpr double eps = 0.000001;

// Corners whose y values all agree within eps have no circle of their own:
// InCircle reports them and answers "outside".
inline bool Coincident(double y1, double y2, double y3) {
  return std::fabs(ext(y1) - y2) < eps && std::fabs(ext(y2) - y3) < eps;
}

// The circle through three corners that are not Coincident. rsqr is the
// squared distance of corner 2 from the centre, the radius used on the call
// that computes the circle; later calls use r * r.
inline void Compute(double x1, double y1, double x2, double y2, double x3, double y3,
                    double& xc, double& yc, double& r, double& rsqr) {
  double m1, m2, mx1, mx2, my1, my2;
  if (std::fabs(ext(y2) - y1) < eps) {
    m2 = static_cast<double>(-(ext(x3) - x2) / (ext(y3) - y2));
    mx2 = static_cast<double>((ext(x2) + x3) / 2);
    my2 = static_cast<double>((ext(y2) + y3) / 2);
    xc = static_cast<double>((ext(x2) + x1) / 2);
    yc = static_cast<double>(ext(m2) * (ext(xc) - mx2) + my2);
  } else if (std::fabs(ext(y3) - y2) < eps) {
    m1 = static_cast<double>(-(ext(x2) - x1) / (ext(y2) - y1));
    mx1 = static_cast<double>((ext(x1) + x2) / 2);
    my1 = static_cast<double>((ext(y1) + y2) / 2);
    xc = static_cast<double>((ext(x3) + x2) / 2);
    yc = static_cast<double>(ext(m1) * (ext(xc) - mx1) + my1);
  } else {
    m1 = static_cast<double>(-(ext(x2) - x1) / (ext(y2) - y1));
    m2 = static_cast<double>(-(ext(x3) - x2) / (ext(y3) - y2));
    mx1 = static_cast<double>((ext(x1) + x2) / 2);
    mx2 = static_cast<double>((ext(x2) + x3) / 2);
    my1 = static_cast<double>((ext(y1) + y2) / 2);
    my2 = static_cast<double>((ext(y2) + y3) / 2);
    if (ext(m1) - m2 != 0) {
      xc = static_cast<double>((ext(m1) * mx1 - ext(m2) * mx2 + my2 - my1) / (ext(m1) - m2));
      yc = static_cast<double>(ext(m1) * (ext(xc) - mx1) + my1);
    } else {
      // Corners on one line: the centroid stands in for the centre.
      xc = static_cast<double>((ext(x1) + x2 + x3) / 3);
      yc = static_cast<double>((ext(y1) + y2 + y3) / 3);
    }
  }
  const double dx = static_cast<double>(ext(x2) - xc);
  const double dy = static_cast<double>(ext(y2) - yc);
  rsqr = static_cast<double>(ext(dx) * dx + ext(dy) * dy);
  r = static_cast<double>(std::sqrt(ext(rsqr)));
}

// Squared distance of a point from a centre.
inline double DistanceSqr(double xp, double yp, double xc, double yc) {
  const double dx = static_cast<double>(ext(xp) - xc);
  const double dy = static_cast<double>(ext(yp) - yc);
  return static_cast<double>(ext(dx) * dx + ext(dy) * dy);
}

// The radius squared as a cached circle gives it.
inline double CachedRSqr(double r) { return static_cast<double>(ext(r) * r); }

// True when a point at x lies beyond the circle on the larger-x side, so that
// the triangle is complete.
inline bool Passed(double xc, double r, double x) { return ext(xc) + r < x; }

}  // namespace Delaunay::circle
