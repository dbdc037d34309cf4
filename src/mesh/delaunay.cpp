#include "mesh/delaunay.h"

#include <cmath>
#include <unordered_map>

#include "text/errors.h"
#include "text/format.h"

namespace Delaunay {

// Expressions are evaluated with a 64-bit significand and rounded to double
// where they are stored; every implementation of the arithmetic must do the
// same to give the same triangles.
using ext = long double;

double RoundToMicro(double v) {
  const ext scaled = ext(v) * 1000000;
  if (!(std::fabs(scaled) < 9.2e18L)) return v;  // no micro digits left to round
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
  std::unordered_map<uint64_t, int32_t> head;  // key -> last vertex in its chain
  std::vector<int32_t> next;                   // vertex -> previous vertex of the chain
};

TDelaunay::TDelaunay()
    : Vertex(new dVertex[static_cast<size_t>(MaxVertices) + 1]),
      Triangle(new dTriangle[static_cast<size_t>(MaxTriangles) + 1]),
      intake_(std::make_unique<IntakeIndex>()) {}

TDelaunay::~TDelaunay() = default;

void TDelaunay::AddPoint(int32_t Number, double x, double y, double z) {
  IntakeIndex& idx = *intake_;
  const int64_t cx = IntakeIndex::Cell(x), cy = IntakeIndex::Cell(y);
  for (int64_t dx = -1; dx <= 1; ++dx)
    for (int64_t dy = -1; dy <= 1; ++dy) {
      auto it = idx.head.find(IntakeIndex::Key(cx + dx, cy + dy));
      if (it == idx.head.end()) continue;
      for (int32_t v = it->second; v != 0; v = idx.next[static_cast<size_t>(v)]) {
        const dVertex& s = Vertex[v];
        if (std::fabs(x - s.x) < ExPtTolerance && std::fabs(y - s.y) < ExPtTolerance) return;
      }
    }
  if (tPoints > MaxMeshPoints)
    throw zelmaro::ELimitError(
        zelmaro::Format("Zu viele Punkte: höchstens %d Punkte je Horizont", MaxMeshPoints));
  dVertex& v = Vertex[tPoints];
  v.x = RoundToMicro(x);
  v.y = RoundToMicro(y);
  v.z = RoundToMicro(z);
  v.ID = Number;
  v.ln = 0;
  // Indexed by the stored (rounded) coordinates, which later offers compare with.
  const uint64_t key = IntakeIndex::Key(IntakeIndex::Cell(v.x), IntakeIndex::Cell(v.y));
  if (idx.next.size() <= static_cast<size_t>(tPoints)) idx.next.resize(static_cast<size_t>(tPoints) + 1, 0);
  auto [it, inserted] = idx.head.try_emplace(key, tPoints);
  idx.next[static_cast<size_t>(tPoints)] = inserted ? 0 : it->second;
  it->second = tPoints;
  ++tPoints;
}

void TDelaunay::DoQuickSort(dVertex* A, int32_t iLo, int32_t iHi) {
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
  if (Hi > iLo) DoQuickSort(A, iLo, Hi);
  if (Lo < iHi) DoQuickSort(A, Lo, iHi);
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
  const double eps = 0.000001;
  dTriangle& t = Triangle[j];
  double rsqr, drsqr;
  if (t.PreCalc == 1) {
    xc = t.xc;
    yc = t.yc;
    r = t.r;
    rsqr = static_cast<double>(ext(r) * r);
    const double dx = static_cast<double>(ext(xp) - xc);
    const double dy = static_cast<double>(ext(yp) - yc);
    drsqr = static_cast<double>(ext(dx) * dx + ext(dy) * dy);
    return drsqr <= rsqr;
  }
  if (std::fabs(static_cast<double>(ext(y1) - y2)) < eps &&
      std::fabs(static_cast<double>(ext(y2) - y3)) < eps) {
    ReportCoincidence();
    return false;
  }
  double m1, m2, mx1, mx2, my1, my2;
  if (std::fabs(static_cast<double>(ext(y2) - y1)) < eps) {
    m2 = static_cast<double>(-(ext(x3) - x2) / (ext(y3) - y2));
    mx2 = static_cast<double>((ext(x2) + x3) / 2);
    my2 = static_cast<double>((ext(y2) + y3) / 2);
    xc = static_cast<double>((ext(x2) + x1) / 2);
    yc = static_cast<double>(ext(m2) * (ext(xc) - mx2) + my2);
  } else if (std::fabs(static_cast<double>(ext(y3) - y2)) < eps) {
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
      xc = static_cast<double>((ext(x1) + x2 + x3) / 3);
      yc = static_cast<double>((ext(y1) + y2 + y3) / 3);
    }
  }
  {
    const double dx = static_cast<double>(ext(x2) - xc);
    const double dy = static_cast<double>(ext(y2) - yc);
    rsqr = static_cast<double>(ext(dx) * dx + ext(dy) * dy);
  }
  r = static_cast<double>(std::sqrt(ext(rsqr)));
  {
    const double dx = static_cast<double>(ext(xp) - xc);
    const double dy = static_cast<double>(ext(yp) - yc);
    drsqr = static_cast<double>(ext(dx) * dx + ext(dy) * dy);
  }
  t.PreCalc = 1;
  t.xc = xc;
  t.yc = yc;
  t.r = r;
  return drsqr <= rsqr;
}

int32_t TDelaunay::Triangulate(int32_t nvert) {
  coincidences_ = 0;
  std::vector<char> Complete(static_cast<size_t>(MaxTriangles) + 1);
  std::vector<int32_t> edges;  // pairs: edges[2k], edges[2k+1]; k from 0

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

  Triangle[1].vv0 = nvert + 1;
  Triangle[1].vv1 = nvert + 2;
  Triangle[1].vv2 = nvert + 3;
  Triangle[1].PreCalc = 0;
  Complete[1] = false;
  int32_t ntri = 1;

  double xc = 0, yc = 0, r = 0;  // the run's circle values, kept between calls
  for (int32_t i = 1; i <= nvert; ++i) {
    const double xp = Vertex[i].x, yp = Vertex[i].y;
    edges.clear();
    int32_t j = 0;
    do {
      ++j;
      if (!Complete[static_cast<size_t>(j)]) {
        dTriangle& t = Triangle[j];
        const dVertex& a = Vertex[t.vv0];
        const dVertex& b = Vertex[t.vv1];
        const dVertex& c = Vertex[t.vv2];
        const bool inc = InCircle(xp, yp, a.x, a.y, b.x, b.y, c.x, c.y, xc, yc, r, j);
        if (ext(xc) + r < xp) {
          Complete[static_cast<size_t>(j)] = true;
        } else if (inc) {
          if (edges.size() / 2 + 3 > static_cast<size_t>(MaxEdges))
            throw zelmaro::ELimitError(zelmaro::Format(
                "Zu viele Kanten: höchstens %d Kanten je eingefügtem Punkt", MaxEdges));
          edges.insert(edges.end(), {t.vv0, t.vv1, t.vv1, t.vv2, t.vv2, t.vv0});
          t = Triangle[ntri];
          Complete[static_cast<size_t>(j)] = Complete[static_cast<size_t>(ntri)];
          Triangle[ntri].PreCalc = 0;
          --j;
          --ntri;
        }
      }
    } while (j < ntri);

    const size_t nedge = edges.size() / 2;
    for (size_t a = 0; a + 1 < nedge; ++a) {
      if (edges[2 * a] == 0 && edges[2 * a + 1] == 0) continue;
      for (size_t b = a + 1; b < nedge; ++b) {
        if (edges[2 * b] == 0 && edges[2 * b + 1] == 0) continue;
        if (edges[2 * a] == edges[2 * b + 1] && edges[2 * a + 1] == edges[2 * b]) {
          edges[2 * a] = edges[2 * a + 1] = edges[2 * b] = edges[2 * b + 1] = 0;
        }
      }
    }
    for (size_t a = 0; a < nedge; ++a) {
      if (edges[2 * a] == 0 && edges[2 * a + 1] == 0) continue;
      if (ntri >= MaxTriangles)
        throw zelmaro::ELimitError(zelmaro::Format(
            "Zu viele Dreiecke: höchstens %d Dreiecke je Horizont", MaxTriangles));
      ++ntri;
      dTriangle& t = Triangle[ntri];
      t.vv0 = edges[2 * a];
      t.vv1 = edges[2 * a + 1];
      t.vv2 = i;
      t.PreCalc = 0;
      Complete[static_cast<size_t>(ntri)] = false;
    }
  }

  int32_t i = 0;
  do {
    ++i;
    const dTriangle& t = Triangle[i];
    if (t.vv0 > nvert || t.vv1 > nvert || t.vv2 > nvert) {
      Triangle[i].vv0 = Triangle[ntri].vv0;
      Triangle[i].vv1 = Triangle[ntri].vv1;
      Triangle[i].vv2 = Triangle[ntri].vv2;
      --i;
      --ntri;
    }
  } while (i < ntri);
  return ntri;
}

}  // namespace Delaunay
