// Contour lines of a mesh: the level series, the segments of the triangles
// that each level cuts, the pooling of their end points, and the chaining of
// the segments of each level into lines.
//
// The results depend on the exact order of the work (a point's index is its
// place in the pool, the first point within the window wins, a segment is
// refused when one stored before it matches), so the fast paths below keep
// that order and only skip work that cannot change anything.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include "mesh/contour_index.h"
#include "mesh/contours.h"
#include "mesh/delaunay.h"
#include "text/errors.h"
#include "text/format.h"

namespace Delaunay {

// Evaluated with a 64-bit significand, rounded to double where stored; the
// level series visibly depends on it (100.0 / 0.1 is just below 1000).
using ext = long double;

namespace {

// The pooling window: inclusive.
bool InPoolWindow(const TPunkt& stored, const TPunkt& p) {
  return std::fabs(ext(stored.X) - p.X) <= ExPtTolerance &&
         std::fabs(ext(stored.Y) - p.Y) <= ExPtTolerance;
}

// The duplicate test's nearness: strict.
bool Near(const TPunkt& a, const TPunkt& b) {
  return std::fabs(ext(a.X) - b.X) < ExPtTolerance && std::fabs(ext(a.Y) - b.Y) < ExPtTolerance;
}

bool SameSegment(const TPunkt& l1, const TPunkt& l2, const TPunkt& s, const TPunkt& e) {
  return (Near(l1, s) || Near(l1, e)) && (Near(l2, s) || Near(l2, e));
}

// Segments are read through their point indexes; an index outside the pool
// (only possible when the lists were edited by hand) is a range error, not a
// stray read.
void CheckSegmentIndexes(const TContourSetup& c, const std::vector<TLine>& list) {
  const auto n = static_cast<int64_t>(c.Points.size());
  for (const TLine& s : list)
    if (s.sp < 0 || s.sp >= n || s.ep < 0 || s.ep >= n) throw zelmaro::ERangeError();
}

void CheckSegmentIndexes(const TContourSetup& c, size_t levels) {
  for (size_t i = 0; i < levels; ++i) CheckSegmentIndexes(c, c.Contours[i]);
}

// Pool and duplicate test of one CalculateContours call, with the cell
// indexes over the pooled points and over the current level's segment ends.
class SegmentBuilder {
 public:
  // expected: about how many points the call will add.
  SegmentBuilder(TContourSetup& c, size_t expected) : c_(c) {
    pool_.Reserve(c_.Points.size() + expected);
    for (size_t i = 0; i < c_.Points.size(); ++i)
      pool_.Insert(c_.Points[i].X, c_.Points[i].Y, static_cast<int32_t>(i));
  }

  void StartLevel(int32_t level) {
    level_ = level;
    ends_.Clear();
    const std::vector<TLine>& list = c_.Contours[static_cast<size_t>(level)];
    for (size_t k = 0; k < list.size(); ++k) IndexEnds(list[k], static_cast<int32_t>(k));
  }

  void AddLine(const TLineCut& L1, const TLineCut& L2) {
    std::vector<TLine>& list = c_.Contours[static_cast<size_t>(level_)];
    const TPunkt& p1 = L1.ContourPt;
    const TPunkt& p2 = L2.ContourPt;
    // A matching segment has an end near L1, so it is filed around L1.
    const bool known = ends_.AnyAround(p1.X, p1.Y, [&](int32_t k) {
      const TLine& s = list[static_cast<size_t>(k)];
      return SameSegment(p1, p2, c_.Points[static_cast<size_t>(s.sp)],
                         c_.Points[static_cast<size_t>(s.ep)]);
    });
    if (known) return;
    const int32_t sp = AddPoint(p1);
    const int32_t ep = AddPoint(p2);
    list.push_back(TLine{sp, ep, 0});
    IndexEnds(list.back(), static_cast<int32_t>(list.size() - 1));
  }

 private:
  int32_t AddPoint(const TPunkt& p) {
    int32_t best = std::numeric_limits<int32_t>::max();
    pool_.AnyAround(p.X, p.Y, [&](int32_t i) {
      if (i < best && InPoolWindow(c_.Points[static_cast<size_t>(i)], p)) best = i;
      return false;
    });
    if (best != std::numeric_limits<int32_t>::max()) return best;
    const auto index = static_cast<int32_t>(c_.Points.size());
    c_.Points.push_back(TPunkt{p.X, p.Y, 0, 0});
    pool_.Insert(p.X, p.Y, index);
    return index;
  }

  void IndexEnds(const TLine& s, int32_t k) {
    const TPunkt& a = c_.Points[static_cast<size_t>(s.sp)];
    ends_.Insert(a.X, a.Y, k);
    if (s.ep != s.sp) {
      const TPunkt& b = c_.Points[static_cast<size_t>(s.ep)];
      ends_.Insert(b.X, b.Y, k);
    }
  }

  TContourSetup& c_;
  CellChains pool_;
  CellChains ends_;
  int32_t level_ = 0;
};

// For each level the triangles j (ascending) that it cuts. A triangle is cut
// at a level L exactly when its lowest corner is at or below L and its
// highest above L; then two of its edges are cut and it yields a segment
// (or a refused one). Every other triangle yields nothing at that level.
struct CutTriangles {
  std::vector<size_t> start;  // per level, into tri; one more entry at the end
  std::vector<int32_t> tri;
};

CutTriangles TrianglesPerLevel(const TDelaunay& m, const std::vector<double>& levels,
                               size_t nlev) {
  CutTriangles out;
  out.start.assign(nlev + 1, 0);
  std::vector<int32_t> order;
  order.reserve(nlev);
  for (size_t i = 0; i < nlev; ++i)
    if (!std::isnan(levels[i])) order.push_back(static_cast<int32_t>(i));
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
    return levels[static_cast<size_t>(a)] < levels[static_cast<size_t>(b)];
  });
  std::vector<double> sorted(order.size());
  for (size_t s = 0; s < order.size(); ++s) sorted[s] = levels[static_cast<size_t>(order[s])];

  // Sorted positions [lo, hi) of the levels that cut triangle j; empty when
  // a corner height is NaN, since then at most one edge can be cut.
  auto range = [&](int32_t j, size_t& lo, size_t& hi) {
    const dTriangle& t = m.Triangle[j];
    const double za = m.Vertex[t.vv0].z, zb = m.Vertex[t.vv1].z, zc = m.Vertex[t.vv2].z;
    lo = hi = 0;
    if (std::isnan(za) || std::isnan(zb) || std::isnan(zc)) return;
    const double zlo = std::min(za, std::min(zb, zc));
    const double zhi = std::max(za, std::max(zb, zc));
    lo = static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), zlo) - sorted.begin());
    hi = static_cast<size_t>(std::lower_bound(sorted.begin() + static_cast<std::ptrdiff_t>(lo),
                                              sorted.end(), zhi) -
                             sorted.begin());
  };

  for (int32_t j = 1; j <= m.HowMany; ++j) {
    size_t lo, hi;
    range(j, lo, hi);
    for (size_t s = lo; s < hi; ++s) ++out.start[static_cast<size_t>(order[s]) + 1];
  }
  for (size_t i = 0; i < nlev; ++i) out.start[i + 1] += out.start[i];
  // Counted before anything else is reserved for them.
  if (out.start[nlev] > static_cast<size_t>(MaxContourCuts))
    throw zelmaro::ELimitError(zelmaro::Format(
        "Die Höhenlinien im Intervall %g schneiden die Dreiecke %zu-mal; berechnet werden "
        "höchstens %lld Schnitte. Bitte ein größeres Höhenlinienintervall wählen.",
        m.Contour.Step, out.start[nlev], static_cast<long long>(MaxContourCuts)));
  out.tri.resize(out.start[nlev]);
  std::vector<size_t> fill(out.start.begin(), out.start.end() - 1);
  for (int32_t j = 1; j <= m.HowMany; ++j) {
    size_t lo, hi;
    range(j, lo, hi);
    for (size_t s = lo; s < hi; ++s) out.tri[fill[static_cast<size_t>(order[s])]++] = j;
  }
  return out;
}

}  // namespace

void TDelaunay::InitialiseContourLevels(double MinZ, double MaxZ, double Step) {
  if (!std::isfinite(MinZ) || !std::isfinite(MaxZ) || !std::isfinite(Step))
    throw zelmaro::EInvalidOp();
  if (Step == 0) Step = 0.2;
  // Trunc and Round of the extended quotients. They stay in long double: a
  // quotient beyond the 64-bit integers is whole already, and the count
  // check below refuses every series that large anyway.
  const double minValue = static_cast<double>(std::trunc(ext(MinZ) / Step) * Step);
  const double maxValue = static_cast<double>(std::nearbyint(ext(MaxZ) / Step) * Step);
  const double range = static_cast<double>(std::fabs(ext(maxValue) - minValue));
  if (!std::isfinite(minValue) || !std::isfinite(maxValue) || !std::isfinite(range))
    throw zelmaro::EInvalidOp();
  const ext count = std::nearbyint(ext(range) / Step);
  if (!(std::fabs(count) <= MaxContourLevels))
    throw zelmaro::ELimitError(zelmaro::Format(
        "Das Höhenlinienintervall %g ist zu klein für den Höhenbereich %g bis %g: "
        "höchstens %d Höhenlinien sind möglich",
        Step, MinZ, MaxZ, MaxContourLevels));

  Contour.MinValue = minValue;
  Contour.MaxValue = maxValue;
  Contour.Range = range;
  Contour.Step = Step;
  Contour.NoLevels = static_cast<int32_t>(count);
  // A negative interval counts its levels negative; the lists keep their
  // lengths (and their segments, which still match the kept points).
  if (Contour.NoLevels < 0) throw zelmaro::ERangeError();

  // Each call starts the contours afresh: kept segments of a former interval
  // would be drawn with the new ones.
  Contour.Points.clear();
  for (std::vector<TLine>& list : Contour.Contours) list.clear();
  const auto n = static_cast<size_t>(Contour.NoLevels);
  Contour.Levels.resize(n);
  Contour.Contours.resize(n);
  double v = minValue;
  for (size_t i = 0; i < n; ++i) {
    // Only the stored level is rounded to 0.001, never the running value,
    // so that the rounding does not accumulate.
    Contour.Levels[i] = static_cast<double>(std::nearbyint(ext(v) * 1000) / 1000);
    v = static_cast<double>(ext(v) + Step);
  }
}

TLineCut TDelaunay::LineCut(double x1, double y1, double x2, double y2, double z1, double z2,
                            double Level) {
  TLineCut r{};
  r.Found = false;
  // An end exactly at the level counts as below it, so of a triangle's
  // three edges either none or exactly two are cut.
  if ((z1 <= Level && Level < z2) || (z2 <= Level && Level < z1)) {
    const double f = static_cast<double>((ext(z1) - Level) / (ext(z1) - z2));
    r.ContourPt.X = static_cast<double>(ext(x1) + (ext(x2) - x1) * f);
    r.ContourPt.Y = static_cast<double>(ext(y1) + (ext(y2) - y1) * f);
    r.Found = true;
  }
  return r;
}

// Called on its own (CalculateContours keeps an index instead), a pooling
// request scans the pool from its first point.
int32_t TDelaunay::AddContourPoint(TPunkt p) {
  std::vector<TPunkt>& pts = Contour.Points;
  for (size_t i = 0; i < pts.size(); ++i)
    if (InPoolWindow(pts[i], p)) return static_cast<int32_t>(i);
  pts.push_back(TPunkt{p.X, p.Y, 0, 0});
  return static_cast<int32_t>(pts.size() - 1);
}

void TDelaunay::AddContourLine(int32_t Level, TLineCut L1, TLineCut L2) {
  if (Level < 0 || static_cast<size_t>(Level) >= Contour.Contours.size())
    throw zelmaro::ERangeError();
  std::vector<TLine>& list = Contour.Contours[static_cast<size_t>(Level)];
  CheckSegmentIndexes(Contour, list);
  for (const TLine& s : list)
    if (SameSegment(L1.ContourPt, L2.ContourPt, Contour.Points[static_cast<size_t>(s.sp)],
                    Contour.Points[static_cast<size_t>(s.ep)]))
      return;
  const int32_t sp = AddContourPoint(L1.ContourPt);
  const int32_t ep = AddContourPoint(L2.ContourPt);
  list.push_back(TLine{sp, ep, 0});
}

void TDelaunay::CalculateContours() {
  if (Contour.NoLevels <= 0 || HowMany <= 0) return;
  const size_t nlev = std::min({static_cast<size_t>(Contour.NoLevels), Contour.Levels.size(),
                                Contour.Contours.size()});
  CheckSegmentIndexes(Contour, nlev);
  const CutTriangles cut = TrianglesPerLevel(*this, Contour.Levels, nlev);
  SegmentBuilder builder(Contour, cut.tri.size());
  for (size_t i = 0; i < nlev; ++i) {
    const size_t first = cut.start[i], last = cut.start[i + 1];
    if (first == last) continue;
    const double level = Contour.Levels[i];
    builder.StartLevel(static_cast<int32_t>(i));
    for (size_t t = first; t < last; ++t) {
      const dTriangle& tri = Triangle[cut.tri[t]];
      const dVertex& a = Vertex[tri.vv0];
      const dVertex& b = Vertex[tri.vv1];
      const dVertex& c = Vertex[tri.vv2];
      const TLineCut line1 = LineCut(a.x, a.y, b.x, b.y, a.z, b.z, level);
      const TLineCut line2 = LineCut(b.x, b.y, c.x, c.y, b.z, c.z, level);
      const TLineCut line3 = LineCut(c.x, c.y, a.x, a.y, c.z, a.z, level);
      if (!line1.Found && line2.Found && line3.Found) builder.AddLine(line2, line3);
      if (!line2.Found && line1.Found && line3.Found) builder.AddLine(line1, line3);
      if (!line3.Found && line1.Found && line2.Found) builder.AddLine(line1, line2);
    }
  }
}

void TDelaunay::SortContourLines() {
  const size_t nlev = std::min(Contour.Levels.size(), Contour.Contours.size());
  CheckSegmentIndexes(Contour, nlev);
  std::vector<TPunkt>& pts = Contour.Points;
  PointPositions where;  // of the level at hand

  auto SwapAE = [](TLine& HL) { std::swap(HL.sp, HL.ep); };
  auto flagged = [&](int32_t p) { return pts[static_cast<size_t>(p)].ln == 1; };

  // Pass 1 over every level before pass 2: the flags it sets are shared by
  // all levels through the pooled points.
  for (size_t i = 0; i < nlev; ++i) {
    std::vector<TLine>& C = Contour.Contours[i];
    if (C.empty()) continue;
    where.Build(C, pts.size());
    // Endpunkt: the point occurs in exactly one segment of the level.
    auto Endpunkt = [&](int32_t p) { return where.Count(p) == 1; };
    for (TLine& s : C) {
      if (Endpunkt(s.sp)) {
        s.AE = u'A';
        pts[static_cast<size_t>(s.sp)].ln = 1;
      }
      if (Endpunkt(s.ep)) {
        s.AE = u'A';
        pts[static_cast<size_t>(s.ep)].ln = 1;
      }
    }
    where.Reset();
    size_t counter = 0;
    for (size_t j = 0; j < C.size(); ++j)
      if (C[j].AE == u'A') std::swap(C[counter++], C[j]);
    for (TLine& s : C)
      if (s.AE != u'A') s.AE = 0;
  }

  for (size_t i = 0; i < nlev; ++i) {
    std::vector<TLine>& C = Contour.Contours[i];
    if (C.empty()) continue;
    where.Build(C, pts.size());
    auto at = [&](int32_t x) -> TLine& { return C[static_cast<size_t>(x)]; };
    auto SwapHLPolY = [&](int32_t j, int32_t k) {
      if (j == k) return;
      where.Exchange(at(j), j, at(k), k);
      std::swap(at(j), at(k));
    };
    // The lowest other position holding the end point of position j.
    auto successor = [&](int32_t j) { return where.LowestOther(at(j).ep, j); };
    const auto H = static_cast<int32_t>(C.size()) - 1;

    // Open lines, each from its flagged start to its other open end.
    int32_t j = 0;
    do {
      while (j < H && at(j).AE != u'A') ++j;
      if (at(j).AE == u'A') {
        if (!flagged(at(j).sp)) SwapAE(at(j));
        for (;;) {
          const int32_t k = successor(j);
          if (k < 0) break;
          if (at(k).ep == at(j).ep) SwapAE(at(k));
          ++j;
          if (j < H) SwapHLPolY(j, k);
          if (j >= H || flagged(at(j).ep)) break;
        }
        if (j < H && flagged(at(j).ep)) at(j).AE = u'E';
      }
      ++j;
    } while (j <= H);

    // Closed lines behind the last marked segment; position 0 is never
    // examined for a mark.
    int32_t m = 0;
    for (int32_t x = H; x >= 1; --x)
      if (at(x).AE != 0) {
        m = x;
        break;
      }
    j = m + 1;
    int32_t ia = j;
    while (j <= H) {
      const int32_t k = successor(j);
      if (k >= 0 && k != ia) {
        if (at(k).ep == at(j).ep) SwapAE(at(k));
        if (j < H) SwapHLPolY(j + 1, k);
      }
      if (k >= 0 && k == ia) ia = j + 1;
      ++j;
    }
    where.Reset();
  }
}

}  // namespace Delaunay
