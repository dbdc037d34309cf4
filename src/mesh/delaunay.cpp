#include "mesh/delaunay.h"

#include <cmath>
#include <unordered_map>

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

struct TDelaunay::IntakeIndex {
  // Cells of 0.02: two points closer than 0.01 lie in the same or in
  // neighbouring cells even after the rounding of the scaled coordinate.
  static int64_t Cell(double v) {
    const double c = std::floor(v * 50.0);
    if (!(c > -4e18)) return INT64_MIN / 2;
    if (!(c < 4e18)) return INT64_MAX / 2;
    return static_cast<int64_t>(c);
  }
  static uint64_t Key(int64_t cx, int64_t cy) {
    return static_cast<uint64_t>(cx) * 0x9E3779B97F4A7C15ull ^
           (static_cast<uint64_t>(cy) + 0x632BE59BD9B4E019ull);
  }
  void Insert(const dVertex& v, int32_t slot);
  std::unordered_map<uint64_t, int32_t> head;  // key -> last vertex in its chain
  std::vector<int32_t> next;                   // vertex -> previous vertex of the chain
};

TDelaunay::TDelaunay()
    : Vertex(new dVertex[static_cast<size_t>(MaxVertices) + 1]),
      Triangle(new dTriangle[static_cast<size_t>(MaxTriangles) + 1]),
      intake_(std::make_unique<IntakeIndex>()) {}

TDelaunay::~TDelaunay() = default;

void TDelaunay::RebuildIntakeIndex() {
  intake_ = std::make_unique<IntakeIndex>();
  for (int32_t v = 1; v < tPoints; ++v) intake_->Insert(Vertex[v], v);
}

void TDelaunay::IntakeIndex::Insert(const dVertex& v, int32_t slot) {
  // Indexed by the stored (rounded) coordinates, which later offers compare with.
  const uint64_t key = Key(Cell(v.x), Cell(v.y));
  if (next.size() <= static_cast<size_t>(slot)) next.resize(static_cast<size_t>(slot) + 1, 0);
  auto [it, inserted] = head.try_emplace(key, slot);
  next[static_cast<size_t>(slot)] = inserted ? 0 : it->second;
  it->second = slot;
}

void TDelaunay::AddPoint(int32_t Number, double x, double y, double z) {
  // Mesh sorts the store and drops the index; a point offered after it is
  // still compared with every stored vertex.
  if (!intake_) RebuildIntakeIndex();
  IntakeIndex& idx = *intake_;
  const int64_t cx = IntakeIndex::Cell(x), cy = IntakeIndex::Cell(y);
  for (int64_t dx = -1; dx <= 1; ++dx)
    for (int64_t dy = -1; dy <= 1; ++dy) {
      auto it = idx.head.find(IntakeIndex::Key(cx + dx, cy + dy));
      if (it == idx.head.end()) continue;
      for (int32_t v = it->second; v != 0; v = idx.next[static_cast<size_t>(v)]) {
        const dVertex& s = Vertex[v];
        if (std::fabs(ext(x) - s.x) < ExPtTolerance && std::fabs(ext(y) - s.y) < ExPtTolerance)
          return;
      }
    }
  if (tPoints > MaxMeshPoints)
    throw zelmaro::ELimitError(
        zelmaro::Format("Zu viele Punkte: höchstens %d Punkte je Horizont", MaxMeshPoints));
  dVertex v;
  v.x = RoundToMicro(x);
  v.y = RoundToMicro(y);
  v.z = RoundToMicro(z);
  v.ID = Number;
  v.ln = 0;
  Vertex[tPoints] = v;
  idx.Insert(v, tPoints);
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
  intake_.reset();  // the sort invalidates the intake index; no point comes after Mesh
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
