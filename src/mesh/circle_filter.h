#pragma once
// The decisions of the triangulation's circle tests taken in plain double
// arithmetic where a bound proves that they equal those of the ext
// arithmetic in circumcircle.h, and in ext where it does not. An ext circle
// costs some five times a double one, and every triangle made needs one.
//
// Throughout, u = 2^-53 and ue = 2^-64: a double operation is off by at most
// u times its result, an ext one by ue, and an ext value rounded to double
// (as Compute stores it) by 1.001 u. Every constant below is at least 0.1 %
// above what its derivation needs, which covers the rounding of the bounds'
// own arithmetic (a few dozen operations of u each).
#include <cmath>

#include "mesh/circumcircle.h"

namespace Delaunay::circle {

enum class Side { kOut, kIn, kNear };

// The test DistanceSqr(xp, yp, xc, yc) <= rsqr, decided from the plain
// double distance where that surely gives the same answer, which is almost
// always; only points within a few ulps of the circle take the ext test.
//
// With X = xp - xc, Y = yp - yc exact:
//  - DistanceSqr rounds X to ext and then to double (relative error at most
//    u + ue + u ue), squares and adds in ext (ue each) and rounds to double
//    (u): D <= (X^2 + Y^2) (1 + 3.01 u).
//  - The double q = fl(fl(dx^2) + fl(dy^2)), dx = fl(X), has four roundings
//    of u: q >= (X^2 + Y^2) (1 - 4 u).
// So D <= q (1 + 7.02 u) and D >= q (1 - 7.03 u). A product or a sum that
// falls below the normal range is off by at most 2^-1075 instead; the
// absolute 1e-300 covers that. Then q <= rsqr (1 - 2e-15) - 1e-300
// (computed, so with two roundings more) gives D <= rsqr, and
// q > rsqr (1 + 2e-15) + 1e-300 gives D > rsqr: 2e-15 is above 9.1 u.
// NaN anywhere fails both bounds and takes the ext test.
class DistanceTest {
 public:
  DistanceTest() = default;
  DistanceTest(double xc, double yc, double rsqr)
      : xc_(xc), yc_(yc), rsqr_(rsqr), in_(rsqr * (1 - 2e-15) - 1e-300),
        out_(rsqr * (1 + 2e-15) + 1e-300) {}

  // kNear where only the ext test can tell.
  Side Decide(double xp, double yp) const {
    const double dx = xp - xc_, dy = yp - yc_, q = dx * dx + dy * dy;
    if (q > out_) return Side::kOut;
    if (q <= in_) return Side::kIn;
    return Side::kNear;
  }

  bool operator()(double xp, double yp) const {
    const Side s = Decide(xp, yp);
    if (s == Side::kNear) return DistanceSqr(xp, yp, xc_, yc_) <= rsqr_;
    return s == Side::kIn;
  }

  double xc() const { return xc_; }
  double yc() const { return yc_; }
  double in() const { return in_; }
  double out() const { return out_; }

 private:
  double xc_ = 0, yc_ = 0, rsqr_ = 0;
  double in_ = 0, out_ = 0;  // bounds of q that decide alone
};

// Whether a coordinate keeps the double circle clear of overflow and of the
// subnormal range: 0, or a magnitude within [1e-50, 1e50]. Then slopes,
// their products with midpoints and all differences of corners are 0 or
// normal numbers far from both ends; what may still fall below the normal
// range (a product with a tiny difference) is off by 2^-1075 at most, which
// the absolute 1e-300 of the bounds covers. Survey coordinates always pass.
inline bool FilterRange(double v) {
  const double a = std::fabs(v);
  return a == 0 || (a >= 1e-50 && a <= 1e50);
}

// fabs(ext(a) - b) < eps, Compute's and Coincident's test of nearly equal
// y, without the trip to ext where the double difference decides it: that
// is the exact difference within u of it, the ext one within ue, and
// eps (1 -+ 2^-50) is more than 7 u from eps either way.
inline bool CloseY(double a, double b) {
  const double d = std::fabs(a - b);
  if (d < eps * (1 - 0x1p-50)) return true;
  if (d > eps * (1 + 0x1p-50)) return false;
  return std::fabs(ext(a) - b) < eps;
}

// The circle of Compute through three corners, evaluated in double with a
// bound on its distance from what Compute returns. It follows Compute's
// branches, decided as Compute decides them (CloseY).
//
// The pieces, mine (in double) against Compute's (in ext, rounded to double
// where Compute stores a double):
//  - A slope m = -(xb - xa) / (yb - ya): both are the exact quotient with a
//    relative error of at most 3.001 u (mine: two differences and the
//    quotient) and 1.002 u (Compute's), so |m - m_e| <= 4.01 u |m|.
//  - A midpoint mx = fl(xa + xb) / 2: 1 and 1.001 u, |mx - mx_e| <= 2.01 u |mx|.
//  - The general branch's numerator n = ((m1 mx1 - m2 mx2) + my2) - my1, in
//    Compute's order. With M = |m1 mx1| + |m2 mx2| + |my2| + |my1|, the
//    inputs move the exact value by at most (4.01 + 2.01 + ...) u per
//    product term, 6.03 u M in all, the five roundings of mine by 4.01 u M
//    and Compute's by 0.002 u M: |n - n_e| <= 10.1 u M.
//  - Its denominator d = m1 - m2: |d - d_e| <= ed = 5.03 u (|m1| + |m2|).
//    Where |d| > 64 ed, d_e is not 0, so Compute divides as well (it takes
//    the centroid only for m1 == m2), and |d_e| >= 63/64 |d|. Otherwise the
//    double circle is not used, except where the corners share their x: then
//    both slopes are zeros, Compute surely takes the centroid, and its xc is
//    that x exactly (3 x and its third are exact in ext).
//  - xc = n / d, mine as n (1 / d): off from n / d by 2.01 u |xc|; n / d
//    from n_e / d_e by Q = (|n - n_e| + |n / d| ed) / |d_e|, and
//    1 / |d_e| <= 1.016 |fl(1 / d)|; Compute's rounding adds 1.001 u
//    (|xc| + Q). So |xc - xc_e| <= 3.02 u |xc| + 1.01 Q.
//  - yc = fl(fl(m t) + my), t = fl(xc - mx) (from the slope and the midpoint
//    of the branch): |t - t_e| <= et = 1.001 (u |t| + exc + 2.01 u |mx|),
//    |m t - m_e t_e| <= |m| et + (|t| + et) 4.01 u |m|, the roundings of the
//    product add 1.002 u |m t|, the midpoint 2.01 u |my|, the sum 2.002 u |yc|
//    (mine and Compute's) and Compute's rounding 1.001 u eyc on top. Summed
//    up: eyc <= 1.0011 |m| exc + u (|m| (6.014 |t| + 2.0122 |mx|)
//    + 2.01 |my| + 2.002 |yc|), times 1.0000002.
//  - The centroid's yc = fl(fl(fl(y1 + y2) + y3) / 3): |yc - yc_e| <=
//    0.67 u (|y1| + |y2| + |y3|) + 2.002 u |yc|, taken as u (sum + 3 |yc|).
//    Its exc is taken as 2 u |xc| rather than 0, so that exc >= 2 u |xc| in
//    every branch (ApproxTest's early stop relies on it).
// ec = exc + eyc + 1e-300 bounds the distance of the centre from Compute's.
// The circle is used where ec <= 2^-23 r and 1e-40 <= r <= 1e150 (then its
// squares stay normal and finite); NaN or infinity anywhere fails that. A
// larger error comes of nearly collinear corners, and the points near such
// a circle mostly lie as close to it as that error (points along a line):
// the decisions would nearly all be left open, so Compute's circle is
// taken at once.
struct ApproxCircle {
  double xc = 0, yc = 0;
  double r = 0;     // distance of corner 2 from (xc, yc), from its double square
  double exc = 0;   // |xc - Compute's xc| <= exc
  double ec = 0;    // distance of (xc, yc) from Compute's centre <= ec
  bool usable = false;
};

namespace detail {

constexpr double u = 0x1p-53;

// yc = m (xc - mx) + my of a branch, from its slope and midpoint, and its
// bound; exc is that of xc.
inline double Across(double m, double mx, double my, double xc, double exc, double& eyc) {
  const double t = xc - mx;
  const double yc = m * t + my;
  const double am = std::fabs(m);
  eyc = 1.003 * am * exc +
        u * (am * (6.03 * std::fabs(t) + 2.02 * std::fabs(mx)) + 2.02 * std::fabs(my) +
             2.01 * std::fabs(yc));
  return yc;
}

}  // namespace detail

// For corners that are not Coincident, each coordinate within FilterRange.
inline ApproxCircle Approximate(double x1, double y1, double x2, double y2, double x3, double y3) {
  using detail::u;
  ApproxCircle a;
  double exc, eyc;
  if (CloseY(y2, y1)) {
    const double m2 = -((x3 - x2) / (y3 - y2));
    a.xc = (x2 + x1) * 0.5;
    exc = 2.01 * u * std::fabs(a.xc);
    a.yc = detail::Across(m2, (x2 + x3) * 0.5, (y2 + y3) * 0.5, a.xc, exc, eyc);
  } else if (CloseY(y3, y2)) {
    const double m1 = -((x2 - x1) / (y2 - y1));
    a.xc = (x3 + x2) * 0.5;
    exc = 2.01 * u * std::fabs(a.xc);
    a.yc = detail::Across(m1, (x1 + x2) * 0.5, (y1 + y2) * 0.5, a.xc, exc, eyc);
  } else {
    const double m1 = -((x2 - x1) / (y2 - y1)), m2 = -((x3 - x2) / (y3 - y2));
    const double mx1 = (x1 + x2) * 0.5, mx2 = (x2 + x3) * 0.5;
    const double my1 = (y1 + y2) * 0.5, my2 = (y2 + y3) * 0.5;
    const double d = m1 - m2, ed = 5.03 * u * (std::fabs(m1) + std::fabs(m2));
    if (std::fabs(d) > 64 * ed) {
      const double inv = 1 / d;
      a.xc = (((m1 * mx1 - m2 * mx2) + my2) - my1) * inv;
      const double M = std::fabs(m1 * mx1) + std::fabs(m2 * mx2) + std::fabs(my2) + std::fabs(my1);
      const double q = (10.1 * u * M + 1.001 * std::fabs(a.xc) * ed) * std::fabs(inv) * 1.02;
      exc = 3.02 * u * std::fabs(a.xc) + 1.01 * q;
      a.yc = detail::Across(m1, mx1, my1, a.xc, exc, eyc);
    } else if (x1 == x2 && x2 == x3) {
      a.xc = x1;
      exc = 2 * u * std::fabs(x1);
      a.yc = ((y1 + y2) + y3) / 3;
      eyc = u * (std::fabs(y1) + std::fabs(y2) + std::fabs(y3) + 3 * std::fabs(a.yc));
    } else {
      return a;
    }
  }
  const double dx = x2 - a.xc, dy = y2 - a.yc;
  a.r = std::sqrt(dx * dx + dy * dy);
  a.exc = exc + 1e-300;
  a.ec = exc + eyc + 1e-300;
  a.usable = a.ec <= a.r * 0x1p-23 && a.r >= 1e-40 && a.r <= 1e150;
  return a;
}

// What a usable ApproxCircle decides of the scan's tests, with Compute's
// circle (xc_e, yc_e, r_e and its rsqr) unknown but within the bounds.
//
// The radius: Compute's rsqr is rho_e^2 (1 +- 3.01 u), rho_e the exact
// distance of corner 2 from (xc_e, yc_e), its r_e = rho_e (1 +- 2.52 u) and
// CachedRSqr(r_e) = rho_e^2 (1 +- 6.05 u); so the root of either test's
// radius squared lies within rho_e (1 +- 3.03 u). Here r = rho (1 +- 3.02 u),
// rho the exact distance from (xc, yc), and |rho - rho_e| <= ec; so that
// root, and r_e, lie within [rlo, rhi] = r (1 -+ 6.07 u) -+ 1.0001 ec.
//
// A point: DistanceSqr = d_e^2 (1 +- 3.01 u) (see DistanceTest), d_e its
// exact distance from (xc_e, yc_e), within ec of d, its distance from
// (xc, yc), and d <= sqrt(q) (1 + 2.01 u) with q its double square.
//  - Surely inside where d_e <= rlo (1 - 1.51 u), which holds for
//    sqrt(q) <= r (1 - 9.6 u) - 2.01 ec: q <= in, in the square of
//    r (1 - 2^-49) - 2.02 ec rounded (or -1 where that is not positive).
//  - Surely outside where d_e (1 - 1.51 u) > rhi, which holds for
//    sqrt(q) > b = r (1 + 9.62 u) + 2.0003 ec: q > out, out the square of
//    r (1 + 2^-49) + 2.02 ec rounded.
//  - Every point that passes lies within b of (xc, yc), so its DistanceSqr
//    from (xc, yc) is at most b^2 (1 + 3.01 u), less than look_rsqr, the
//    square of look_r = (r (1 + 2^-49) + 2.02 ec) (1 + 2^-49). A look-up
//    with that circle leaves out no point that passes, and where it stops
//    at a point x > xc + 2 look_r as well past the circle, that x exceeds
//    xc_e + r_e by more than r + 2 ec, more than half an ext ulp of x
//    (exc >= 2 u |xc|; a larger x is farther still): Compute's circle is
//    passed there.
// Passed: Compute's test is fl_e(xc_e + r_e) < x. xc_e + r_e lies within
// xc + r -+ (6.07 u r + exc + 1.0001 ec); rounding the sum to ext moves it
// by ue |sum|, rounding mine (xc + r +- slack) by 2 u (|xc| + r) + u slack.
// With slack = 1.01 (exc + ec) + 10 u (|xc| + r), x > pass_hi means
// xc_e + r_e + ue |xc_e + r_e| < x (passed), and x <= pass_lo means
// xc_e + r_e >= x, so the ext sum is at least x (not passed).
// An ApproxTest of a circle that is not usable leaves every decision open.
class ApproxTest {
 public:
  ApproxTest() = default;
  explicit ApproxTest(const ApproxCircle& a) : xc_(a.xc), yc_(a.yc), usable_(a.usable) {
    if (!usable_) return;
    const double lo = a.r * (1 - 0x1p-49) - 2.02 * a.ec;
    const double hi = a.r * (1 + 0x1p-49) + 2.02 * a.ec;
    in_ = lo > 0 ? lo * lo : -1;
    out_ = hi * hi;
    look_r_ = hi * (1 + 0x1p-49);
    look_rsqr_ = look_r_ * look_r_;
    const double sum = a.xc + a.r;
    const double slack = 1.01 * (a.exc + a.ec) + 10 * detail::u * (std::fabs(a.xc) + a.r);
    pass_hi_ = sum + slack;
    pass_lo_ = sum - slack;
  }

  // For the first test as for later ones.
  Side Inside(double xp, double yp) const {
    const double dx = xp - xc_, dy = yp - yc_, q = dx * dx + dy * dy;
    if (q > out_) return Side::kOut;
    if (q <= in_) return Side::kIn;
    return Side::kNear;
  }
  // kIn: passed, kOut: not.
  Side Passed(double x) const {
    if (x > pass_hi_) return Side::kIn;
    if (x <= pass_lo_) return Side::kOut;
    return Side::kNear;
  }

  double xc() const { return xc_; }
  double yc() const { return yc_; }
  double in() const { return in_; }
  double out() const { return out_; }
  double look_r() const { return look_r_; }
  double look_rsqr() const { return look_rsqr_; }
  bool usable() const { return usable_; }

 private:
  double xc_ = 0, yc_ = 0;
  double in_ = -1, out_ = INFINITY;
  double look_r_ = 0, look_rsqr_ = 0;
  double pass_hi_ = INFINITY, pass_lo_ = -INFINITY;
  bool usable_ = false;
};

// The tests the scan makes with the circle of one triangle: the first test
// (with Compute's rsqr), later tests (with CachedRSqr) and Passed, all with
// the answers of Compute's circle. Decided by the ApproxTest where it can;
// the first question it cannot answer computes Compute's circle, which then
// answers that and every later one (through DistanceTest).
class CircleTest {
 public:
  CircleTest() = default;
  // Corners that are not Coincident; `filter` false where some coordinate
  // is outside FilterRange.
  CircleTest(double x1, double y1, double x2, double y2, double x3, double y3, bool filter)
      : x1_(x1), y1_(y1), x2_(x2), y2_(y2), x3_(x3), y3_(y3),
        approx_(filter ? Approximate(x1, y1, x2, y2, x3, y3) : ApproxCircle{}) {
    if (approx_.usable())
      Use(approx_.xc(), approx_.yc(), approx_.in(), approx_.out());
    else
      MakeExact();
  }

  // Whether the point passes: the first test before Later, then the later
  // ones. The look-ups call it for every candidate, so what it does alone
  // is kept small: the double distance against the bounds of the test at
  // hand, the approximate one's or, once there, DistanceTest's.
  bool operator()(double xp, double yp) {
    const double dx = xp - hot_xc_, dy = yp - hot_yc_, q = dx * dx + dy * dy;
    if (q > hot_out_) return false;
    if (q <= hot_in_) return true;
    return Near(xp, yp);
  }
  void Later() {
    later_ = true;
    if (exact_) SetExactTest();
  }
  bool Passed(double x) {
    if (!exact_) {
      const Side s = approx_.Passed(x);
      if (s != Side::kNear) return s == Side::kIn;
      MakeExact();
    }
    return circle::Passed(xc_, r_, x);
  }

  // A circle for the look-up of later points: it holds every point that
  // passes, in the sense of DistanceSqr <= look_rsqr, look_r the root.
  double look_xc() const { return exact_ ? xc_ : approx_.xc(); }
  double look_yc() const { return exact_ ? yc_ : approx_.yc(); }
  double look_r() const { return exact_ ? r_ : approx_.look_r(); }
  double look_rsqr() const { return exact_ ? CachedRSqr(r_) : approx_.look_rsqr(); }

  // Compute's circle, where a test needed it.
  bool exact() const { return exact_; }
  double xc() const { return xc_; }
  double yc() const { return yc_; }
  double r() const { return r_; }

 private:
  void Use(double xc, double yc, double in, double out) {
    hot_xc_ = xc;
    hot_yc_ = yc;
    hot_in_ = in;
    hot_out_ = out;
  }
  [[gnu::noinline]] void MakeExact() {
    Compute(x1_, y1_, x2_, y2_, x3_, y3_, xc_, yc_, r_, first_rsqr_);
    exact_ = true;
    SetExactTest();
  }
  void SetExactTest() {
    test_ = DistanceTest(xc_, yc_, later_ ? CachedRSqr(r_) : first_rsqr_);
    Use(xc_, yc_, test_.in(), test_.out());
  }
  // Left open by the bounds at hand: for the approximate ones, only
  // Compute's circle can tell.
  [[gnu::noinline]] bool Near(double xp, double yp) {
    if (!exact_) MakeExact();
    return test_(xp, yp);
  }

  double hot_xc_ = 0, hot_yc_ = 0, hot_in_ = -1, hot_out_ = -1;
  double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0, x3_ = 0, y3_ = 0;
  ApproxTest approx_;
  bool exact_ = false, later_ = false;
  double xc_ = 0, yc_ = 0, r_ = 0, first_rsqr_ = 0;  // Compute's, once exact_
  DistanceTest test_;                                // with them
};

}  // namespace Delaunay::circle
