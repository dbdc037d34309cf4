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
#include "mesh/edge_canceller.h"
#include "mesh/point_index.h"
#include "text/errors.h"
#include "text/format.h"

namespace Delaunay {
namespace {

using circle::ext;
using sweep::PointIndex;
using sweep::SweptArray;

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
