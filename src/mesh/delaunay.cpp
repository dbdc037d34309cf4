#include "mesh/delaunay.h"

#include <climits>
#include <cmath>
#include <vector>

#include "mesh/circumcircle.h"
#include "text/errors.h"
#include "text/format.h"

namespace Delaunay {

// Expressions are evaluated with a 64-bit significand and rounded to double
// where they are stored; every implementation of the arithmetic must do the
// same to give the same triangles.
using ext = circle::ext;

double RoundToMicro(double v) {
  const ext scaled = ext(v) * 1000000;
  // The scaled value must fit a 64-bit integer; beyond that (some 9.2e12 m)
  // the rounding is an invalid operation, as is every operation on NaN.
  if (!(std::fabs(scaled) < 0x1p63L)) throw zelmaro::EInvalidOp();
  const long long n = std::llrintl(scaled);
  return static_cast<double>(ext(n) / 1000000);
}

// The duplicate search of the point intake: the stored vertices by grid
// cell, in an open-addressing hash of the cells with a chain of vertices per
// cell. A cell is wider than the tolerance, so the offered point's tolerance
// box meets one to four cells.
struct TDelaunay::IntakeIndex {
  static constexpr double kPerUnit = 12.5;  // cells of 0.08

  static int64_t Cell(double v) {
    const double c = std::floor(v * kPerUnit);
    if (!(c > -4e18)) return INT64_MIN / 4;
    if (!(c < 4e18)) return INT64_MAX / 4;
    return static_cast<int64_t>(c);
  }
  // The cells a point within the tolerance of v can lie in. The slack covers
  // the rounding of the products, which grows with the magnitude.
  static void CellRange(double v, int64_t& lo, int64_t& hi) {
    const double slack = ExPtTolerance * 1.01 + std::fabs(v) * 1e-15;
    lo = Cell(v - slack);
    hi = Cell(v + slack);
  }

  // A slot holds the last vertex stored in its cell (0: empty) and a tag of
  // the cell's hash; the vertex itself tells the cell. Eight bytes a slot
  // keep the table small, which is most of the intake's speed.
  struct Slot {
    uint32_t tag;
    int32_t last;
  };

  static uint64_t Hash(int64_t cx, int64_t cy) {
    uint64_t h = static_cast<uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^
                 static_cast<uint64_t>(cy) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 29;
    return h * 0xBF58476D1CE4E5B9ull;
  }

  size_t Find(const dVertex* V, int64_t cx, int64_t cy) const {
    const uint64_t h = Hash(cx, cy);
    const uint32_t tag = static_cast<uint32_t>(h >> 32);
    size_t i = static_cast<size_t>(h) & mask;
    for (; slots[i].last != 0; i = (i + 1) & mask) {
      if (slots[i].tag != tag) continue;
      const dVertex& v = V[slots[i].last];
      if (Cell(v.x) == cx && Cell(v.y) == cy) break;
    }
    return i;
  }

  // True when a stored vertex lies within the tolerance of (x, y).
  bool Near(const dVertex* V, double x, double y) const {
    if (used == 0) return false;
    int64_t x0, x1, y0, y1;
    CellRange(x, x0, x1);
    CellRange(y, y0, y1);
    for (int64_t cx = x0; cx <= x1; ++cx)
      for (int64_t cy = y0; cy <= y1; ++cy) {
        const Slot& sl = slots[Find(V, cx, cy)];
        for (int32_t v = sl.last; v != 0; v = next[static_cast<size_t>(v)]) {
          const dVertex& s = V[v];
          if (std::fabs(ext(x) - s.x) < ExPtTolerance && std::fabs(ext(y) - s.y) < ExPtTolerance)
            return true;
        }
      }
    return false;
  }

  // Indexed by the stored (rounded) coordinates, which later offers compare
  // with. V[slot] must hold the vertex already.
  void Insert(const dVertex* V, int32_t slot) {
    if (2 * (used + 1) > slots.size()) Grow(V);
    if (next.size() <= static_cast<size_t>(slot)) next.resize(static_cast<size_t>(slot) * 2 + 16, 0);
    const int64_t cx = Cell(V[slot].x), cy = Cell(V[slot].y);
    Slot& sl = slots[Find(V, cx, cy)];
    if (sl.last == 0) {
      sl.tag = static_cast<uint32_t>(Hash(cx, cy) >> 32);
      ++used;
    }
    next[static_cast<size_t>(slot)] = sl.last;
    sl.last = slot;
  }

  // Room for `vertices` vertex slots in all: the table at the size that
  // many cells need, so that it never grows on the way, each growth leaving
  // the former table behind as a hole in the heap.
  void Reserve(const dVertex* V, size_t vertices) {
    if (next.size() < vertices) next.resize(vertices, 0);
    size_t size = slots.empty() ? 1024 : slots.size();
    while (size < 2 * vertices) size *= 2;
    if (size > slots.size()) Grow(V, size);
  }

  void Grow(const dVertex* V, size_t size = 0) {
    std::vector<Slot> old = std::move(slots);
    slots.assign(size ? size : old.empty() ? 1024 : old.size() * 2, Slot{0, 0});
    mask = slots.size() - 1;
    for (const Slot& o : old)
      if (o.last != 0) slots[Find(V, Cell(V[o.last].x), Cell(V[o.last].y))] = o;
  }

  std::vector<Slot> slots;
  size_t mask = 0;
  size_t used = 0;            // cells in use
  std::vector<int32_t> next;  // vertex -> the vertex stored before it in its cell
};

TDelaunay::TDelaunay() : intake_(std::make_unique<IntakeIndex>()) {
  // Code that fills a mesh by hand may rely on the capacity it always had.
  Vertex.Reserve(static_cast<size_t>(MaxVertices) + 1);
  Triangle.Reserve(static_cast<size_t>(MaxTriangles) + 1);
}

void TDelaunay::ReservePoints(int32_t n) {
  if (n <= 0) return;
  // The super-triangle's corners come behind the points; a triangulation of
  // n points has at most 2n + 1 triangles with the super-triangle's.
  Vertex.Reserve(static_cast<size_t>(tPoints) + static_cast<size_t>(n) + 3,
                 static_cast<size_t>(tPoints));
  if (!intake_) RebuildIntakeIndex();
  intake_->Reserve(Vertex.get(), static_cast<size_t>(tPoints) + static_cast<size_t>(n));
  Triangle.Reserve(2 * (static_cast<size_t>(tPoints) + static_cast<size_t>(n)) + 4,
                   static_cast<size_t>(std::max(HowMany, 0)) + 1);
}

TDelaunay::~TDelaunay() = default;

void TDelaunay::RebuildIntakeIndex() {
  intake_ = std::make_unique<IntakeIndex>();
  for (int32_t v = 1; v < tPoints; ++v) intake_->Insert(Vertex.get(), v);
}

void TDelaunay::AddPoint(int32_t Number, double x, double y, double z) {
  // Mesh sorts the store and drops the index; a point offered after it is
  // still compared with every stored vertex.
  if (!intake_) RebuildIntakeIndex();
  IntakeIndex& idx = *intake_;
  if (idx.Near(Vertex.get(), x, y)) return;
  // Slots are 32-bit numbers, and three more follow the last point.
  if (tPoints > INT32_MAX - 8)
    throw zelmaro::ELimitError(
        zelmaro::Format("Zu viele Punkte: höchstens %d Punkte je Horizont", INT32_MAX - 8));
  Vertex.Reserve(static_cast<size_t>(tPoints) + 4, static_cast<size_t>(tPoints));
  dVertex v;
  v.x = RoundToMicro(x);
  v.y = RoundToMicro(y);
  v.z = RoundToMicro(z);
  v.ID = Number;
  v.ln = 0;
  Vertex[tPoints] = v;
  idx.Insert(Vertex.get(), tPoints);
  ++tPoints;
}

void TDelaunay::DoQuickSort(dVertex* A, int32_t iLo, int32_t iHi) {
  // The two parts of a partition are disjoint, so sorting the smaller one
  // first by recursion and the larger one in this frame gives the same order
  // as sorting them left then right, with a stack depth of log2(n).
  for (;;) {
    int32_t Lo = iLo, Hi = iHi;
    const double Mid = A[(Lo + Hi) / 2].x;
    do {
      while (A[Lo].x < Mid) ++Lo;
      while (A[Hi].x > Mid) --Hi;
      if (Lo <= Hi) {
        std::swap(A[Lo], A[Hi]);
        ++Lo;
        --Hi;
      }
    } while (Lo <= Hi);
    const bool left = Hi > iLo, right = Lo < iHi;
    if (left && right) {
      if (Hi - iLo < iHi - Lo) {
        DoQuickSort(A, iLo, Hi);
        iLo = Lo;
      } else {
        DoQuickSort(A, Lo, iHi);
        iHi = Hi;
      }
    } else if (left) {
      iHi = Hi;
    } else if (right) {
      iLo = Lo;
    } else {
      return;
    }
  }
}

void TDelaunay::QuickSort(dVertex* A, int32_t Low, int32_t High) {
  if (High > Low) DoQuickSort(A, Low, High);
}

void TDelaunay::Mesh() {
  intake_.reset();  // the sort moves the vertices; a later AddPoint rebuilds the index
  QuickSort(Vertex.get(), 1, tPoints - 1);
  if (tPoints > 3) HowMany = Triangulate(tPoints - 1);
}

void TDelaunay::ReportCoincidence() {
  ++coincidences_;
  if (coincidence_) coincidence_();
}

bool TDelaunay::InCircle(double xp, double yp, double x1, double y1, double x2, double y2,
                         double x3, double y3, double& xc, double& yc, double& r, int32_t j) {
  dTriangle& t = Triangle[j];
  if (t.PreCalc == 1) {
    xc = t.xc;
    yc = t.yc;
    r = t.r;
    return circle::DistanceSqr(xp, yp, xc, yc) <= circle::CachedRSqr(r);
  }
  if (circle::Coincident(y1, y2, y3)) {
    ReportCoincidence();
    return false;
  }
  double rsqr;
  circle::Compute(x1, y1, x2, y2, x3, y3, xc, yc, r, rsqr);
  t.PreCalc = 1;
  t.xc = xc;
  t.yc = yc;
  t.r = r;
  return circle::DistanceSqr(xp, yp, xc, yc) <= rsqr;
}

}  // namespace Delaunay
