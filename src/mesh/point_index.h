#pragma once
// The look-up of the triangulation: among the points still to be inserted,
// the first one inside a circle (see triangulate.cpp for why it is asked).
// Included by the triangulation alone (and its tests), in a namespace of no
// name: the compiler then weighs inlining the look-up into the sweep as it
// would within one file, which the sweep's speed depends on.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "mesh/circle_filter.h"
#include "mesh/circumcircle.h"
#include "mesh/delaunay.h"

namespace Delaunay {
namespace sweep {
namespace {

using circle::ext;

// An array of the sweep over the points: once the sweep has passed its
// front part, that part is given back to the system while the rest is still
// in use. At the end of a triangulation the triangle store is at its
// largest, and the look-up behind the sweep would otherwise still hold a
// copy of every point beside it. The elements start as zero bits; a part
// given back is never read again.
template <class T>
class SweptArray {
 public:
  explicit SweptArray(size_t n) : n_(n) {
    if (n_ == 0) return;
    if (n_ > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
#if defined(__linux__)
    bytes_ = n_ * sizeof(T);
    void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<T*>(p);
#else
    data_ = new T[n_]();
#endif
  }
  ~SweptArray() {
#if defined(__linux__)
    if (data_) munmap(data_, bytes_);
#else
    delete[] data_;
#endif
  }
  SweptArray(const SweptArray&) = delete;
  SweptArray& operator=(const SweptArray&) = delete;

  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }

  // Gives back the whole pages below element `end`.
  void ReleaseBefore(size_t end) {
#if defined(__linux__)
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t upto = std::min(end, n_) * sizeof(T) / page * page;
    if (upto <= released_) return;
    // Should the system refuse, the pages simply stay.
    madvise(reinterpret_cast<char*>(data_) + released_, upto - released_, MADV_DONTNEED);
    released_ = upto;
#else
    (void)end;
#endif
  }

 private:
  T* data_ = nullptr;
  size_t n_ = 0;
  size_t bytes_ = 0;
  size_t released_ = 0;  // bytes given back from the front
};

// Every column, and runs of consecutive columns, 8, 64, 512 ... at a level,
// with a bound that a circle is tested against at once: points far ahead of
// a large circle are skipped a run at a time, and a column is left out
// where its axis-aligned box would let it through. (The axis-aligned box of
// a sloped line meets every wide circle's y range, so on such a line the
// columns alone made every look-up walk the rest of the survey.)
//
// A bound is a box in a frame of its own: origin o at the first point,
// direction v along the principal axis of the points, |v| about 1. For a
// point p and a = p - o, t = a . v (along) and e = a x v (across) lie in
// [t0, t1] x [e0, e1]. The map a -> (a . v, a x v) scales every distance by
// |v|, so the distance of the centre's image from the box, over |v|, is at
// most the distance of the centre from any of the points.
//
// The rounding, with eps = 2^-53 and S = |a_x| + |a_y|:
//  - A computed t or e is off by at most 3.01 eps S (a dot product of two
//    rounded differences). The box is widened by 1e-15 times the largest S
//    of its points: more than that plus the rounding of the widening.
//  - The centre's t and e are off by as much, for the centre's S, which
//    moves its distance from the box by at most 4.26 eps S.
//  - dt^2 + de^2 is within 4.01 eps of its exact value, m^2 within 3 eps.
//  - |v| <= 1 + 6e-15, checked where v is made.
//  - The test DistanceSqr <= rsqr passes only within R (1 + 2.52 eps) of the
//    centre, R = sqrt(rsqr) rounded: DistanceSqr is at least 1 - 3.01 eps
//    times the exact square distance.
// All of it stays below 7e-15 (R + S), so a bound with dt^2 + de^2 > m^2,
// m = R + 2e-14 (R + S), holds no point that passes. The absolute 1e-140
// keeps clear of subnormal numbers, which survey sizes never come near. A
// centre or radius that is not finite skips nothing: every comparison with
// it is false.
class OrientedBounds {
 public:
  static constexpr int32_t kShift = 3;  // 8 runs of a level make one of the next

  OrientedBounds() = default;
  // Over cols columns of `per` slots of the points V[1 .. n]; levels are
  // added while the last one has more than 8 runs.
  OrientedBounds(const dVertex* V, int32_t n, int32_t per, int32_t cols) {
    // The moments of the columns, merged for the runs: one pass over the
    // points for all directions, one per level for the boxes.
    std::vector<Moments> mom(static_cast<size_t>(cols));
    columns_.reserve(static_cast<size_t>(cols));
    for (int32_t c = 0; c < cols; ++c) {
      Moments& m = mom[static_cast<size_t>(c)];
      const int32_t first = c * per + 1, last = std::min(n, first + per - 1);
      m.ox = V[first].x;
      m.oy = V[first].y;
      for (int32_t i = first; i <= last; ++i) {
        const double ax = V[i].x - m.ox, ay = V[i].y - m.oy;
        m.n += 1;
        m.sx += ax;
        m.sy += ay;
        m.sxx += ax * ax;
        m.syy += ay * ay;
        m.sxy += ax * ay;
      }
      columns_.push_back(Make(V, first, last, m));
    }
    for (int64_t below = cols; below > 8; below = (below + 7) >> kShift) {
      const int64_t span = int64_t{1} << (kShift * (levels_.size() + 1));
      std::vector<Bound>& level = levels_.emplace_back();
      level.reserve(static_cast<size_t>((cols + span - 1) / span));
      for (int64_t c0 = 0; c0 < cols; c0 += span) {
        const int64_t c1 = std::min<int64_t>(cols, c0 + span);
        Moments m;
        m.ox = mom[static_cast<size_t>(c0)].ox;
        m.oy = mom[static_cast<size_t>(c0)].oy;
        for (int64_t c = c0; c < c1; ++c) m.Add(mom[static_cast<size_t>(c)]);
        const int64_t first = c0 * per + 1, last = std::min<int64_t>(n, c1 * per);
        level.push_back(Make(V, static_cast<int32_t>(first), static_cast<int32_t>(last), m));
      }
    }
  }

  bool empty() const { return columns_.empty(); }

  // Whether column c surely holds no point in the circle.
  bool Misses(int32_t c, double xc, double yc, double R) const {
    return Outside(columns_[static_cast<size_t>(c)], xc, yc, R);
  }

  // The number of columns from column c on, a whole run starting at c, that
  // hold no point in the circle; 0 when there is none such.
  int32_t Skip(int32_t c, double xc, double yc, double R) const {
    int32_t l = static_cast<int32_t>(levels_.size());
    if (c != 0) l = std::min(l, std::countr_zero(static_cast<uint32_t>(c)) / kShift);
    for (; l >= 1; --l) {
      const std::vector<Bound>& level = levels_[static_cast<size_t>(l - 1)];
      const size_t b = static_cast<size_t>(c) >> (kShift * l);
      if (b < level.size() && Outside(level[b], xc, yc, R)) return int32_t{1} << (kShift * l);
    }
    return 0;
  }

 private:
  struct Bound {
    double ox, oy, ux, uy;
    double t0, t1, e0, e1;
  };

  static bool Outside(const Bound& b, double xc, double yc, double R) {
    const double ax = xc - b.ox, ay = yc - b.oy;
    const double t = ax * b.ux + ay * b.uy, e = ax * b.uy - ay * b.ux;
    const double dt = std::max(std::max(b.t0 - t, t - b.t1), 0.0);
    const double de = std::max(std::max(b.e0 - e, e - b.e1), 0.0);
    const double m = R + 2e-14 * (R + std::fabs(ax) + std::fabs(ay)) + 1e-140;
    return dt * dt + de * de > m * m;
  }

  // Sums over points p of a = p - o and its products, o a point of the run.
  struct Moments {
    double ox = 0, oy = 0;
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    // Adds another's sums, moved to this origin.
    void Add(const Moments& m) {
      const double dx = m.ox - ox, dy = m.oy - oy;
      sxx += m.sxx + 2 * dx * m.sx + m.n * dx * dx;
      syy += m.syy + 2 * dy * m.sy + m.n * dy * dy;
      sxy += m.sxy + dx * m.sy + dy * m.sx + m.n * dx * dy;
      sx += m.sx + m.n * dx;
      sy += m.sy + m.n * dy;
      n += m.n;
    }
  };

  static Bound Make(const dVertex* V, int32_t first, int32_t last, const Moments& m) {
    Bound b{};
    b.ox = V[first].x;
    b.oy = V[first].y;
    // The principal axis: along a line of points the box is as thin as the
    // line, wherever the run starts and ends. Only the box's tightness
    // depends on it, so the moments need no care with cancellation.
    const double mx = m.sx / m.n, my = m.sy / m.n;
    const double cxx = m.sxx / m.n - mx * mx, cyy = m.syy / m.n - my * my;
    const double c2 = cxx - cyy, s2 = 2 * (m.sxy / m.n - mx * my), h = std::hypot(c2, s2);
    b.ux = 1;
    b.uy = 0;
    if (h > 0) {  // half the angle of (c2, s2)
      b.ux = std::sqrt(0.5 * (1 + c2 / h));
      b.uy = std::copysign(std::sqrt(0.5 * (1 - c2 / h)), s2);
    }
    if (!(std::fabs(b.ux * b.ux + b.uy * b.uy - 1) <= 1e-14)) b.ux = 1, b.uy = 0;
    b.t0 = b.e0 = INFINITY;
    b.t1 = b.e1 = -INFINITY;
    double size = 0;
    for (int32_t i = first; i <= last; ++i) {
      const double ax = V[i].x - b.ox, ay = V[i].y - b.oy;
      const double t = ax * b.ux + ay * b.uy, e = ax * b.uy - ay * b.ux;
      b.t0 = std::min(b.t0, t);
      b.t1 = std::max(b.t1, t);
      b.e0 = std::min(b.e0, e);
      b.e1 = std::max(b.e1, e);
      size = std::max(size, std::fabs(ax) + std::fabs(ay));
    }
    const double pad = 1e-15 * size + 1e-290;
    b.t0 -= pad;
    b.t1 += pad;
    b.e0 -= pad;
    b.e1 += pad;
    return b;
  }

  std::vector<Bound> columns_;               // each column on its own
  std::vector<std::vector<Bound>> levels_;  // level l + 1: runs of 8^(l + 1) columns
};

// The points 1 .. n in columns of consecutive store slots (so of ascending
// x), each column sorted by y: the first point at or after a given slot that
// lies in a circle is found by walking the columns from that slot on, taking
// in each column only the points in the circle's y range there.
//
// Per point a column keeps its y and its place in the column; the x comes
// from the vertex itself, which a column's consecutive slots keep close in
// memory.
//
// With kOriented, columns and runs of them are left out where a circle
// surely misses them (see OrientedBounds); without, the walk is as plain as
// the small circles it serves want it.
template <bool kOriented>
class Columns {
 public:
  // Places within a column fit 16 bits: columns have at most 0.7 sqrt(n)
  // points, and n < 2^31.
  Columns(const dVertex* V, int32_t n, int32_t per)
      : V_(V), n_(n), per_(per), ncol_((n + per - 1) / per), ys_(static_cast<size_t>(n)),
        at_(static_cast<size_t>(n)), offsets_(OffsetCount(n, per)) {
    if (kOriented) bounds_ = OrientedBounds(V, n, per, ncol_);
    cols_.resize(static_cast<size_t>(ncol_));
    size_t noff = 0;  // one bucket for each two points of a column, at least one
    double ymin = INFINITY, ymax = -INFINITY;
    std::vector<std::pair<double, int32_t>> order;
    for (int32_t c = 0; c < ncol_; ++c) {
      const int32_t first = c * per_ + 1, last = std::min(n, first + per_ - 1);
      order.clear();
      for (int32_t i = first; i <= last; ++i) order.emplace_back(V[i].y, i);
      std::sort(order.begin(), order.end());
      const size_t base = static_cast<size_t>(first - 1);
      for (size_t k = 0; k < order.size(); ++k) {
        ys_[base + k] = order[k].first;
        at_[base + k] = static_cast<uint16_t>(order[k].second - first);
      }
      Column& col = cols_[static_cast<size_t>(c)];
      col.xmin = V[first].x;
      col.xmax = V[last].x;
      col.ymin = ys_[base];
      col.ymax = ys_[base + order.size() - 1];
      ymin = std::min(ymin, col.ymin);
      ymax = std::max(ymax, col.ymax);
      // Buckets of equal height over the column's y range, two points each
      // on average, so that a y value finds its place without a search.
      const int32_t nb = std::max<int32_t>(1, static_cast<int32_t>(order.size() / 2));
      col.buckets = nb;
      col.inv = col.ymax > col.ymin ? nb / (col.ymax - col.ymin) : 0;
      col.offsets = static_cast<int32_t>(noff);
      size_t k = 0;
      for (int32_t bkt = 0; bkt < nb; ++bkt) {
        while (k < order.size() && Bucket(col, ys_[base + k]) < bkt) ++k;
        offsets_[noff++] = static_cast<int32_t>(base + k);
      }
    }
    height_ = ymax - ymin;
  }

  // No look-up from a slot below lo comes any more.
  void ReleaseBefore(int32_t lo) {
    const int32_t c = (lo - 1) / per_;
    if (c <= 0 || c >= ncol_) return;
    const size_t entry = static_cast<size_t>(c) * static_cast<size_t>(per_);
    ys_.ReleaseBefore(entry);
    at_.ReleaseBefore(entry);
    offsets_.ReleaseBefore(static_cast<size_t>(cols_[static_cast<size_t>(c)].offsets));
  }

  // The first slot i >= lo whose point passes `inside`, a test that passes
  // only for points with DistanceSqr <= rsqr from (xc, yc), r the root of
  // rsqr rounded; 0 if none. Points beyond the circle in x may be returned
  // too; the caller decides. (Where the test's own circle is known only
  // within a bound, the caller widens r and rsqr by it: see ApproxTest.)
  int32_t FirstInside(double xc, double yc, double r, double rsqr, int32_t lo,
                      circle::CircleTest& inside) const {
    // The test passes only within r * (1 + 1e-15) of the centre; the margin
    // also covers the rounding of the bounds computed here.
    const double margin = 1e-11 * (r + std::fabs(xc) + std::fabs(yc));
    const double R = r + margin, R2 = R * R;
    const double xright = xc + R;
    const double rtest = kOriented ? std::sqrt(rsqr) : 0;
    // A column's own bound pays where a circle dwarfs the survey, so that
    // its y range within a sloped column's x range covers the column:
    // smaller circles leave most columns to their boxes.
    const bool huge = kOriented && !bounds_.empty() && rtest > height_;
    for (int32_t c = (lo - 1) / per_; c < ncol_; ++c) {
      const Column& col = cols_[static_cast<size_t>(c)];
      if (col.xmin > xright) break;
      // What is left out holds no point that passes, so the first column
      // with one is the same. A jump may pass the column where the walk
      // stops, but the columns ascend in x: it stops at the next one.
      if (kOriented && (c & ((1 << OrientedBounds::kShift) - 1)) == 0 && !bounds_.empty()) {
        if (const int32_t skip = bounds_.Skip(c, xc, yc, rtest)) {
          c += skip - 1;
          continue;
        }
      }
      const double nx = std::clamp(xc, col.xmin, col.xmax);
      const double d = xc - nx;
      const double d2 = d * d;
      if (d2 > R2) continue;
      const double h = std::sqrt(R2 - d2) + margin;
      const double ylo = yc - h, yhi = yc + h;
      if (ylo > col.ymax || yhi < col.ymin) continue;
      if (huge && bounds_.Misses(c, xc, yc, rtest)) continue;
      const int32_t first = c * per_ + 1;
      const size_t end = static_cast<size_t>(std::min(n_, (c + 1) * per_));
      size_t k = static_cast<size_t>(offsets_[static_cast<size_t>(col.offsets + Bucket(col, ylo))]);
      while (k < end && ys_[k] < ylo) ++k;
      int32_t best = INT32_MAX;
      for (; k < end && ys_[k] <= yhi; ++k) {
        const int32_t i = first + at_[k];
        if (i < lo || i >= best) continue;
        if (inside(V_[i].x, ys_[k])) best = i;
      }
      if (best != INT32_MAX) return best;
    }
    return 0;
  }

 private:
  struct Column {
    double xmin, xmax, ymin, ymax;
    double inv;  // buckets per unit of y
    int32_t buckets, offsets;
  };
  // Buckets of all columns: half the points of each, at least one.
  static size_t OffsetCount(int32_t n, int32_t per) {
    const int32_t full = n / per, rest = n % per;
    return static_cast<size_t>(full) * static_cast<size_t>(std::max(1, per / 2)) +
           (rest > 0 ? static_cast<size_t>(std::max(1, rest / 2)) : 0);
  }
  // Monotone in y, which is all the lookup needs.
  static int32_t Bucket(const Column& col, double y) {
    const double b = (y - col.ymin) * col.inv;
    if (!(b > 0)) return 0;
    if (b >= col.buckets) return col.buckets - 1;
    return static_cast<int32_t>(b);
  }
  const dVertex* V_;
  int32_t n_, per_, ncol_;
  double height_ = 0;  // of all the points
  OrientedBounds bounds_;  // empty without kOriented
  std::vector<Column> cols_;
  SweptArray<double> ys_;         // per column in order of y
  SweptArray<uint16_t> at_;       // the same points' places in their column
  SweptArray<int32_t> offsets_;   // per column and bucket: the first entry
};

// The points to be inserted, for finding the first one in a circle. Small
// circles walk wide columns: a circle about as wide as a column meets one or
// two of them. Large circles walk narrow ones, where the circle's y range
// within a column stays close to what the circle covers.
class PointIndex {
 public:
  static constexpr int32_t kNextPoints = 64;

  PointIndex(const dVertex* V, int32_t n)
      : V_(V),
        wide_(V, n, std::max<int32_t>(8, static_cast<int32_t>(std::sqrt(double(n)) * 0.7))),
        narrow_(V, n, 24) {
    double ymin = n > 0 ? V[1].y : 0, ymax = ymin;
    for (int32_t i = 2; i <= n; ++i) {
      ymin = std::min(ymin, V[i].y);
      ymax = std::max(ymax, V[i].y);
    }
    large_ = (ymax - ymin) / 64;
    n_ = n;
  }

  // No look-up from a slot below lo comes any more.
  void ReleaseBefore(int32_t lo) {
    wide_.ReleaseBefore(lo);
    narrow_.ReleaseBefore(lo);
  }

  double X(int32_t i) const { return V_[i].x; }
  double Y(int32_t i) const { return V_[i].y; }

  int32_t FirstInside(double xc, double yc, double r, double rsqr, int32_t lo,
                      circle::CircleTest& inside) const {
    if (lo > n_) return 0;
    if (r <= large_) return wide_.FirstInside(xc, yc, r, rsqr, lo, inside);
    // Most large circles hold one of the next few dozen points: try those
    // in order, eight at a time, before the narrow columns.
    const double near = rsqr * (1 + 1e-12);  // beyond this in double, outside
    const int32_t end = std::min(n_, lo + kNextPoints - 1);
    for (int32_t k0 = lo; k0 <= end; k0 += 8) {
      const int32_t k1 = std::min(end, k0 + 7);
      unsigned mask = 0;
      for (int32_t k = k0; k <= k1; ++k) {
        const double dx = V_[k].x - xc, dy = V_[k].y - yc;
        mask |= unsigned(dx * dx + dy * dy <= near) << (k - k0);
      }
      for (; mask != 0; mask &= mask - 1) {
        const int32_t k = k0 + std::countr_zero(mask);
        if (inside(X(k), Y(k))) return k;
      }
      if (V_[k1].x > xc + 2 * r) return 0;  // well past the circle
    }
    return end < n_ ? narrow_.FirstInside(xc, yc, r, rsqr, end + 1, inside) : 0;
  }

 private:
  const dVertex* V_;
  Columns<false> wide_;
  Columns<true> narrow_;
  double large_ = 0;
  int32_t n_ = 0;
};

}  // namespace
}  // namespace sweep
}  // namespace Delaunay
