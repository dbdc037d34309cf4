// The triangulation of TDelaunay.
//
// The algorithm inserts the points in order of x and, for every point, scans
// all triangle slots: a triangle is complete once a point passes its
// circumcircle on the larger-x side, and removed when the point falls into
// its circle; a removal moves the last triangle into the freed slot, which is
// tested next. The triangle order of the result follows from that exact
// sequence of removals and moves, so it has to be kept.
//
// Scanning every slot for every point costs O(n^2). What the scan decides
// for a triangle depends only on the triangle and the points: its circle is a
// function of its corners, and it is tested at every later point until it is
// complete. So when a triangle is made we compute its circle at once and look
// up, among the points still to come, the first one inside it: that point
// removes it, unless its x has passed the circle, in which case the triangle
// was complete before (columns of the points sorted by y answer the look-up).
// Each point then knows the triangles it removes, and replaying the scan
// over just those slots, in slot order with the same moves, gives the same
// edges in the same order. Completion itself changes nothing but what later
// points test, so it needs no bookkeeping of its own.
//
// The circle is the ext one of circumcircle.h, but most triangles never need
// its bits: their fate is decided from a double circle whose distance from
// the ext one is bounded (circle_filter.h), and the ext circle is computed
// only for a decision too close to call or when the scan's bookkeeping of
// coincident triangles reads it (PreCalc 2 marks a circle not computed yet).
//
// Two things of the scan make this less simple than it sounds:
//  - The call that computes a circle compares with the squared distance of
//    corner 2, later calls with r * r. A triangle's first test is always at
//    the point after the one that made it, so that point is tested with the
//    first form and all later ones with the second.
//  - A triangle with corners of nearly equal y gets no circle: every test
//    reports a coincidence, and its completion test uses the circle of the
//    test before it in the scan. For these triangles the replay works out
//    which slot the scan tested just before, which needs the set of slots
//    the scan tests at this point (a bit set over slots, kept while such
//    triangles wait and cleared lazily) and the removals made so far.
#include <algorithm>
#include <bit>
#include <climits>
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
#include "text/errors.h"
#include "text/format.h"

namespace Delaunay {
namespace {

using circle::ext;

constexpr int32_t kNever = INT32_MAX;

// One bit per triangle slot with a summary word per 64 words, for the
// highest set slot at or below a given one.
class SlotBits {
 public:
  explicit SlotBits(size_t slots)
      : words_((slots >> 6) + 1), summary_((words_.size() >> 6) + 1) {}

  // Room for slots 0 .. slots - 1; new slots are clear.
  void Ensure(size_t slots) {
    if ((slots >> 6) < words_.size()) return;
    words_.resize(std::max((slots >> 6) + 1, words_.size() * 2), 0);
    summary_.resize((words_.size() >> 6) + 1, 0);
  }

  void Set(int32_t s) {
    const size_t w = static_cast<size_t>(s) >> 6;
    words_[w] |= uint64_t{1} << (s & 63);
    summary_[w >> 6] |= uint64_t{1} << (w & 63);
  }
  void Clear(int32_t s) {
    const size_t w = static_cast<size_t>(s) >> 6;
    words_[w] &= ~(uint64_t{1} << (s & 63));
    if (words_[w] == 0) summary_[w >> 6] &= ~(uint64_t{1} << (w & 63));
  }
  // Sets slots 1 .. n and clears the rest.
  void SetAll(int32_t n) {
    std::fill(words_.begin(), words_.end(), 0);
    std::fill(summary_.begin(), summary_.end(), 0);
    for (int32_t s = 1; s <= n;) {
      if ((s & 63) == 0 && s + 63 <= n) {
        const size_t w = static_cast<size_t>(s) >> 6;
        words_[w] = ~uint64_t{0};
        summary_[w >> 6] |= uint64_t{1} << (w & 63);
        s += 64;
      } else {
        Set(s++);
      }
    }
  }
  bool Test(int32_t s) const {
    return (words_[static_cast<size_t>(s) >> 6] >> (s & 63)) & 1;
  }
  // The highest set slot <= s, or 0 when there is none.
  int32_t HighestAtOrBelow(int32_t s) const {
    if (s <= 0) return 0;
    size_t w = static_cast<size_t>(s) >> 6;
    const uint64_t m = words_[w] & ((uint64_t{2} << (s & 63)) - 1);
    if (m) return static_cast<int32_t>((w << 6) + 63 - static_cast<size_t>(std::countl_zero(m)));
    if (w == 0) return 0;
    --w;
    size_t sw = w >> 6;
    uint64_t sm = summary_[sw] & ((uint64_t{2} << (w & 63)) - 1);
    while (sm == 0) {
      if (sw == 0) return 0;
      sm = summary_[--sw];
    }
    const size_t word = (sw << 6) + 63 - static_cast<size_t>(std::countl_zero(sm));
    return static_cast<int32_t>((word << 6) + 63 -
                                static_cast<size_t>(std::countl_zero(words_[word])));
  }

 private:
  std::vector<uint64_t> words_;
  std::vector<uint64_t> summary_;
};

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

// Cancels the edges that were collected in both directions: each edge, in
// order, cancels the first later edge that runs the other way and is not
// cancelled yet; cancelled edges become (0, 0).
//
// The same pairing comes out when each edge, in order, pairs with the
// earliest edge before it that runs the other way and is not paired yet: the
// edges of one vertex pair that wait for a partner all run one way, so they
// form a queue. The queues are found by their vertex pair in a hash table
// sized for the call's edges, which makes the work linear in the number of
// edges and the memory independent of the survey's size.
class EdgeCanceller {
 public:
  void Cancel(std::vector<int32_t>& edges) {
    const size_t n = edges.size() / 2;
    if (n < 2) return;
    int bits = 4;
    while ((size_t{1} << bits) < 2 * n) ++bits;
    const size_t size = size_t{1} << bits, mask = size - 1;
    if (table_.size() < size) table_.resize(size);
    std::fill_n(table_.begin(), size, -1);
    pairs_.clear();
    next_.resize(n);
    for (size_t k = 0; k < n; ++k) {
      const int32_t a = edges[2 * k], b = edges[2 * k + 1];
      const int32_t lo = std::min(a, b), hi = std::max(a, b);
      const uint64_t key = (uint64_t{static_cast<uint32_t>(lo)} << 32) | static_cast<uint32_t>(hi);
      size_t h = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
      int32_t c;
      while ((c = table_[h]) >= 0 &&
             (pairs_[static_cast<size_t>(c)].lo != lo || pairs_[static_cast<size_t>(c)].hi != hi))
        h = (h + 1) & mask;
      const int32_t kk = static_cast<int32_t>(k);
      next_[k] = -1;
      if (c < 0) {
        table_[h] = static_cast<int32_t>(pairs_.size());
        pairs_.push_back(Pair{lo, hi, kk, kk});
        continue;
      }
      Pair& p = pairs_[static_cast<size_t>(c)];
      if (p.head < 0) {
        p.head = p.tail = kk;
      } else if (edges[2 * static_cast<size_t>(p.head)] == a) {
        next_[static_cast<size_t>(p.tail)] = kk;  // same way: waits as well
        p.tail = kk;
      } else {
        const size_t j = static_cast<size_t>(p.head);
        p.head = next_[j];
        if (p.head < 0) p.tail = -1;
        edges[2 * j] = edges[2 * j + 1] = edges[2 * k] = edges[2 * k + 1] = 0;
      }
    }
  }

 private:
  struct Pair {
    int32_t lo, hi;      // the vertex pair
    int32_t head, tail;  // queue of edges waiting for a partner
  };
  std::vector<int32_t> table_;  // hash of vertex pairs: index into pairs_, or -1
  std::vector<Pair> pairs_;
  std::vector<int32_t> next_;   // per edge: the next one waiting in its queue
};

template <class Report>
class Triangulation {
 public:
  Triangulation(dVertex* V, TStore<dTriangle>& T, int32_t nvert, Report report)
      : V_(V), store_(T), nvert_(nvert), report_(report), points_(V, nvert),
        bits_(2 * static_cast<size_t>(nvert) + 64),
        hitHead_(static_cast<size_t>(nvert) + 2) {
    // A triangulation of n points and the super-triangle's three has 2n + 1
    // triangles; the stores grow when a degenerate input needs more.
    store_.Reserve(2 * static_cast<size_t>(nvert) + 4, 0);
    T_ = store_.get();
    ticket_.resize(2 * static_cast<size_t>(nvert) + 64, -1);
    edges_.reserve(256);
    for (int32_t v = 1; v <= nvert + 3; ++v)
      filter_ = filter_ && circle::FilterRange(V[v].x) && circle::FilterRange(V[v].y);
  }

  int32_t Run() {
    T_[1] = dTriangle{nvert_ + 1, nvert_ + 2, nvert_ + 3, 0, 0, 0, 0};
    ntri_ = 1;
    if (Made(1, 0)) {
      pending_.push_back(ticket_[1]);
      bits_.SetAll(1);
      tracking_ = true;
    }
    std::vector<int32_t> newC;
    for (int32_t i = 1; i <= nvert_; ++i) {
      Scan(i);
      canceller_.Cancel(edges_);
      const int32_t scanned = ntri_;
      newC.clear();
      // All circles and their first tests first, then the searches: the
      // circles are independent long chains of arithmetic that the processor
      // can overlap, and so are the ext circles of the first tests that the
      // double circle leaves open (on nearly collinear points most are).
      made_.clear();
      for (size_t a = 0; a < edges_.size(); a += 2) {
        if (edges_[a] == 0 || edges_[a + 1] == 0) continue;
        if (ntri_ >= INT32_MAX - 1)
          throw zelmaro::ELimitError(zelmaro::Format(
              "Zu viele Dreiecke: höchstens %d Dreiecke je Horizont", INT32_MAX - 1));
        ++ntri_;
        Reserve(ntri_);
        T_[ntri_] = dTriangle{edges_[a], edges_[a + 1], i, 0, 0, 0, 0};
        if (EnteredCoincident(ntri_))
          newC.push_back(ticket_[static_cast<size_t>(ntri_)]);
        else
          First(made_.emplace_back(ntri_, i, T_[ntri_], V_, filter_));
      }
      for (NewTriangle& m : made_) Fate(m);
      // Coincident triangles still waiting keep their tickets; those the scan
      // completed leave the list.
      if (!pending_.empty()) {
        size_t keep = 0;
        for (int32_t t : pending_) {
          const int32_t s = slotOf_[static_cast<size_t>(t)];
          const int32_t at = complAt_[static_cast<size_t>(t)];
          if (at == kNever) {
            pending_[keep++] = t;
          } else {
            ticket_[static_cast<size_t>(s)] = CompleteMark(at);
            FreeTicket(t);
          }
        }
        pending_.resize(keep);
      }
      pending_.insert(pending_.end(), newC.begin(), newC.end());
      if (pending_.empty()) {
        tracking_ = false;
      } else {
        // The slot bits are kept only while coincident triangles wait; from
        // all set, CircleBefore clears those of complete triangles as it
        // meets them.
        if (!tracking_) {
          bits_.SetAll(ntri_);
          tracking_ = true;
        }
        // The next scan's first coincident test may need the circle the last
        // test of this scan left behind, which may be a removal in a slot
        // above the last one left. (A scan that makes a triangle has tested
        // one, so an older value is never needed.)
        last_ = CircleBefore(scanned, INT32_MAX, i);
      }
      // Later triangles are made after later points, which look up from
      // i + 2 on and remove at i + 2 and beyond.
      if ((i & 1023) == 0) {
        points_.ReleaseBefore(i + 2);
        hitHead_.ReleaseBefore(static_cast<size_t>(i) + 1);
      }
    }
    // Remove the triangles that touch the super-triangle.
    int32_t ntri = ntri_;
    int32_t i = 0;
    do {
      ++i;
      const dTriangle& t = T_[i];
      if (t.vv0 > nvert_ || t.vv1 > nvert_ || t.vv2 > nvert_) {
        T_[i].vv0 = T_[ntri].vv0;
        T_[i].vv1 = T_[ntri].vv1;
        T_[i].vv2 = T_[ntri].vv2;
        --i;
        --ntri;
      }
    } while (i < ntri);
    return ntri;
  }

 private:
  struct Circle {
    double xc = 0, r = 0;
  };
  // A removal keeps the triangle's corners: its circle is needed only where
  // coincident triangles wait, and then it is computed from them.
  struct Removal {
    int32_t slot;
    int32_t vv0, vv1, vv2;
  };

  // Room for a triangle in slot, in the store and in the slot records.
  void Reserve(int32_t slot) {
    const size_t need = static_cast<size_t>(slot) + 1;
    if (need > store_.size()) {
      store_.Reserve(need, static_cast<size_t>(slot));
      T_ = store_.get();
    }
    if (need > ticket_.size()) ticket_.resize(std::max(ticket_.size() * 2, need), -1);
    bits_.Ensure(need);
  }

  int32_t NewTicket(int32_t slot) {
    int32_t t;
    if (freeTicket_ >= 0) {
      t = freeTicket_;
      freeTicket_ = nextTicket_[static_cast<size_t>(t)];
    } else {
      t = static_cast<int32_t>(slotOf_.size());
      slotOf_.push_back(0);
      nextTicket_.push_back(-1);
      complAt_.push_back(kNever);
    }
    slotOf_[static_cast<size_t>(t)] = slot;
    nextTicket_[static_cast<size_t>(t)] = -1;
    complAt_[static_cast<size_t>(t)] = kNever;
    ticket_[static_cast<size_t>(slot)] = t;
    return t;
  }
  void FreeTicket(int32_t t) {
    nextTicket_[static_cast<size_t>(t)] = freeTicket_;
    freeTicket_ = t;
  }

  // A triangle was written into slot s after the scan of point c (c = 0 for
  // the super-triangle). Works out its circle and its fate: the point whose
  // scan removes it, or the point at which it is complete. Returns true for
  // a coincident triangle, which gets a ticket on the pending list instead.
  bool Made(int32_t s, int32_t c) {
    if (EnteredCoincident(s)) return true;
    NewTriangle m(s, c, T_[s], V_, filter_);
    First(m);
    Fate(m);
    return false;
  }

  // Enters the new triangle in slot s; true for corners of nearly equal y
  // (circle::Coincident), which get a ticket here.
  bool EnteredCoincident(int32_t s) {
    dTriangle& t = T_[s];
    if (tracking_) bits_.Set(s);
    if (!circle::CloseY(V_[t.vv0].y, V_[t.vv1].y) || !circle::CloseY(V_[t.vv1].y, V_[t.vv2].y))
      return false;
    t.PreCalc = 0;
    NewTicket(s);
    return true;
  }

  // A triangle made after the scan of point c, with its circle test and the
  // first test's answer: point c + 1 is inside. Made in place: a copy of
  // the fields just written costs more than writing them.
  struct NewTriangle {
    NewTriangle(int32_t s, int32_t made_after, const dTriangle& t, const dVertex* V, bool filter)
        : slot(s), c(made_after),
          test(V[t.vv0].x, V[t.vv0].y, V[t.vv1].x, V[t.vv1].y, V[t.vv2].x, V[t.vv2].y, filter) {}
    int32_t slot, c;
    bool first = false;
    circle::CircleTest test;
  };

  // The first test computes the circle and compares with its rsqr.
  void First(NewTriangle& m) const {
    if (m.c < nvert_) m.first = m.test(points_.X(m.c + 1), points_.Y(m.c + 1));
  }

  // The circle of corners a, b, d as the scan's first test computes it.
  void ComputeCircle(int32_t a, int32_t b, int32_t d, double& xc, double& yc, double& r) const {
    double rsqr;
    circle::Compute(V_[a].x, V_[a].y, V_[b].x, V_[b].y, V_[d].x, V_[d].y, xc, yc, r, rsqr);
  }

  // PreCalc 2: the triangle has a circle, not computed yet.
  void EnsureCircle(dTriangle& t) {
    if (t.PreCalc != 2) return;
    ComputeCircle(t.vv0, t.vv1, t.vv2, t.xc, t.yc, t.r);
    t.PreCalc = 1;
  }

  Circle RemovedCircle(const Removal& rm) const {
    double xc, yc, r;
    ComputeCircle(rm.vv0, rm.vv1, rm.vv2, xc, yc, r);
    return Circle{xc, r};
  }

  void Fate(NewTriangle& m) {
    const int32_t s = m.slot, c = m.c;
    circle::CircleTest& test = m.test;
    dTriangle& t = T_[s];
    // The first point inside the circle removes the triangle unless it has
    // passed the circle already: then the triangle was complete before.
    int32_t death = 0;
    if (c < nvert_) {
      if (m.first) {
        death = c + 1;
      } else {
        test.Later();
        death = points_.FirstInside(test.look_xc(), test.look_yc(), test.look_r(),
                                    test.look_rsqr(), c + 2, test);
      }
      if (death && test.Passed(points_.X(death))) death = 0;
    }
    // The circle is kept where a test computed it; the rest wait for the
    // first that reads it.
    if (test.exact()) {
      t.xc = test.xc();
      t.yc = test.yc();
      t.r = test.r();
      t.PreCalc = 1;
    } else {
      t.PreCalc = 2;
    }
    if (death) {
      const int32_t k = NewTicket(s);
      nextTicket_[static_cast<size_t>(k)] = hitHead_[static_cast<size_t>(death)] - 1;
      hitHead_[static_cast<size_t>(death)] = k + 1;
    } else {
      ticket_[static_cast<size_t>(s)] = -1;
    }
  }

  // The scan's removal: triangle ntri moves into slot s with everything it
  // carries.
  void MoveTopInto(int32_t s) {
    const size_t us = static_cast<size_t>(s), un = static_cast<size_t>(ntri_);
    if (s != ntri_) {
      T_[s] = T_[ntri_];
      const int32_t k = ticket_[un];
      ticket_[us] = k;
      if (k >= 0) slotOf_[static_cast<size_t>(k)] = s;
      if (tracking_) {
        if (bits_.Test(ntri_))
          bits_.Set(s);
        else
          bits_.Clear(s);
      }
    }
    T_[ntri_].PreCalc = 0;
    ticket_[un] = -1;
    if (tracking_) bits_.Clear(ntri_);
    --ntri_;
  }

  void CollectEdges(int32_t s) {
    if (edges_.size() / 2 + 3 > static_cast<size_t>(INT32_MAX))
      throw zelmaro::ELimitError(zelmaro::Format(
          "Zu viele Kanten: höchstens %d Kanten je eingefügtem Punkt", INT32_MAX));
    const dTriangle& t = T_[s];
    if (edges_.capacity() < edges_.size() + 6) edges_.reserve(2 * edges_.capacity() + 6);
    edges_.push_back(t.vv0);
    edges_.push_back(t.vv1);
    edges_.push_back(t.vv1);
    edges_.push_back(t.vv2);
    edges_.push_back(t.vv2);
    edges_.push_back(t.vv0);
  }

  // The scan of point i over the removals it makes (and the coincident
  // triangles it tests).
  void Scan(int32_t i) {
    edges_.clear();
    hits_.clear();
    for (int32_t k = hitHead_[static_cast<size_t>(i)] - 1; k >= 0;) {
      const int32_t next = nextTicket_[static_cast<size_t>(k)];
      const int32_t s = slotOf_[static_cast<size_t>(k)];
      hits_.push_back(s);
      ticket_[static_cast<size_t>(s)] = -1;
      FreeTicket(k);
      k = next;
    }
    std::sort(hits_.begin(), hits_.end());
    // hits_[lo .. hi) are the slots still to be removed, ascending. A
    // removal at s moves the top slot into s; when that is a hit as well it
    // is the last entry and becomes the first, since it is tested next.
    size_t lo = 0, hi = hits_.size();
    removals_.clear();
    if (pending_.empty()) {
      while (lo < hi) {
        const int32_t s = hits_[lo++];
        CollectEdges(s);
        removals_.push_back(Removal{s, T_[s].vv0, T_[s].vv1, T_[s].vv2});
        const bool topHit = hi > lo && hits_[hi - 1] == ntri_;
        MoveTopInto(s);
        if (topHit) {
          --hi;
          hits_[--lo] = s;
        }
      }
      return;
    }

    // With coincident triangles waiting, their tests are interleaved in slot
    // order with the removals.
    waiting_.clear();
    for (int32_t k : pending_) waiting_.push_back(slotOf_[static_cast<size_t>(k)]);
    std::sort(waiting_.begin(), waiting_.end());
    size_t wlo = 0, whi = waiting_.size();
    const double xp = points_.X(i);
    auto test_coincident = [&](int32_t s, Circle before) {
      report_();
      if (circle::Passed(before.xc, before.r, xp))
        complAt_[static_cast<size_t>(ticket_[static_cast<size_t>(s)])] = i;
    };
    for (;;) {
      const int32_t h = lo < hi ? hits_[lo] : INT32_MAX;
      const int32_t w = wlo < whi ? waiting_[wlo] : INT32_MAX;
      if (h == INT32_MAX && w == INT32_MAX) break;
      if (w < h) {
        ++wlo;
        test_coincident(w, CircleBefore(w - 1, w - 1, i));
        continue;
      }
      const int32_t s = hits_[lo++];
      CollectEdges(s);
      removals_.push_back(Removal{s, T_[s].vv0, T_[s].vv1, T_[s].vv2});
      const bool topHit = hi > lo && hits_[hi - 1] == ntri_;
      const bool topWaiting = !topHit && s != ntri_ && whi > wlo && waiting_[whi - 1] == ntri_;
      MoveTopInto(s);
      if (topHit) {
        --hi;
        hits_[--lo] = s;
      } else if (topWaiting) {
        // Moved into the hole and tested right after the removed triangle.
        --whi;
        test_coincident(s, RemovedCircle(removals_.back()));
      }
    }
  }

  // Whether the scan of point i tests the triangle in slot s: it does until
  // the triangle is complete.
  bool Tested(int32_t s, int32_t i) {
    dTriangle& t = T_[s];
    if (t.PreCalc == 0) {
      const int32_t k = ticket_[static_cast<size_t>(s)];
      return (k >= 0 ? complAt_[static_cast<size_t>(k)] : CompleteMark(k)) >= i;
    }
    // Made after the scan of its last corner (the super-triangle before the
    // first scan), then complete at the first point past its circle.
    const int32_t made = t.vv2 > nvert_ ? 0 : t.vv2;
    if (made >= i - 1) return true;
    EnsureCircle(t);
    return !circle::Passed(t.xc, t.r, points_.X(i - 1));
  }

  // The circle values the scan of point i holds after its tests in the slots
  // up to `finished` (of the removals, those in slots up to `removed`): those
  // of the last such test that left a circle, or of the scan before.
  Circle CircleBefore(int32_t finished, int32_t removed, int32_t i) {
    int32_t limit = finished;
    for (;;) {
      // a: the highest slot up to the limit whose final triangle this scan tested.
      int32_t a = bits_.HighestAtOrBelow(limit);
      while (a > 0 && !Tested(a, i)) {
        bits_.Clear(a);  // complete before this scan, never tested again
        a = bits_.HighestAtOrBelow(a - 1);
      }
      // b: the slot of the last removal up to its limit.
      auto it = std::upper_bound(removals_.begin(), removals_.end(), removed,
                                 [](int32_t v, const Removal& r) { return v < r.slot; });
      const int32_t b = it == removals_.begin() ? 0 : std::prev(it)->slot;
      if (a == 0 && b == 0) return last_;
      if (b > a) return RemovedCircle(*std::prev(it));
      dTriangle& t = T_[a];
      if (t.PreCalc != 0) {
        EnsureCircle(t);
        return Circle{t.xc, t.r};
      }
      // A coincident triangle leaves the circle values as they were.
      if (b == a) return RemovedCircle(*std::prev(it));
      limit = removed = a - 1;
    }
  }

  dVertex* V_;
  TStore<dTriangle>& store_;
  dTriangle* T_;  // store_'s slots, anew after each growth
  int32_t nvert_;
  Report report_;
  PointIndex points_;
  SlotBits bits_;               // slots that may still be tested
  // Per slot, moved with the triangle: its ticket, -1 for none, or for a
  // coincident triangle that the scan of point c completed, CompleteMark(c).
  // Only waiting triangles hold tickets, so what a coincident triangle
  // needs while it waits lives with its ticket.
  std::vector<int32_t> ticket_;
  static constexpr int32_t CompleteMark(int32_t c) { return -2 - c; }  // its own inverse
  std::vector<int32_t> slotOf_, nextTicket_;  // per ticket
  std::vector<int32_t> complAt_;  // per ticket: the scan that completed its coincident triangle
  int32_t freeTicket_ = -1;
  // Per point: 1 + the first ticket of the triangles it removes, 0 for none.
  SweptArray<int32_t> hitHead_;
  std::vector<int32_t> pending_;  // tickets of the coincident triangles not complete
  std::vector<int32_t> edges_, hits_, waiting_;  // edges_: pairs of vertex slots
  std::vector<Removal> removals_;
  std::vector<NewTriangle> made_;
  EdgeCanceller canceller_;
  Circle last_;  // the circle values the previous scan left
  bool tracking_ = false;  // whether bits_ follows the slots
  bool filter_ = true;     // whether the double circles may decide (circle::FilterRange)
  int32_t ntri_ = 0;
};

}  // namespace

int32_t TDelaunay::Triangulate(int32_t nvert) {
  coincidences_ = 0;
  if (nvert < 1) return 0;
  // The super-triangle's corners go behind the last point.
  if (nvert > INT32_MAX - 8)
    throw zelmaro::ELimitError(
        zelmaro::Format("Zu viele Punkte: höchstens %d Punkte je Horizont", INT32_MAX - 8));
  Vertex.Reserve(static_cast<size_t>(nvert) + 4, static_cast<size_t>(nvert) + 1);
  double xmin = Vertex[1].x, xmax = xmin, ymin = Vertex[1].y, ymax = ymin;
  zMin = zMax = Vertex[1].z;
  for (int32_t i = 2; i <= nvert; ++i) {
    const dVertex& v = Vertex[i];
    if (v.x < xmin) xmin = v.x;
    if (v.x > xmax) xmax = v.x;
    if (v.y < ymin) ymin = v.y;
    if (v.y > ymax) ymax = v.y;
    if (v.z < zMin) zMin = v.z;
    if (v.z > zMax) zMax = v.z;
  }
  const double dx = static_cast<double>(ext(xmax) - xmin);
  const double dy = static_cast<double>(ext(ymax) - ymin);
  const double dmax = dx > dy ? dx : dy;
  const double xmid = static_cast<double>(std::trunc((ext(xmax) + xmin) / 2));
  const double ymid = static_cast<double>(std::trunc((ext(ymax) + ymin) / 2));
  Vertex[nvert + 1].x = static_cast<double>(ext(xmid) - 2 * ext(dmax));
  Vertex[nvert + 1].y = static_cast<double>(ext(ymid) - dmax);
  Vertex[nvert + 2].x = xmid;
  Vertex[nvert + 2].y = static_cast<double>(ext(ymid) + 2 * ext(dmax));
  Vertex[nvert + 3].x = static_cast<double>(ext(xmid) + 2 * ext(dmax));
  Vertex[nvert + 3].y = static_cast<double>(ext(ymid) - dmax);

  auto report = [this] { ReportCoincidence(); };
  Triangulation<decltype(report)> run(Vertex.get(), Triangle, nvert, report);
  return run.Run();
}

}  // namespace Delaunay
