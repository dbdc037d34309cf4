#include "mesh/reference_mesh.h"

#include <cmath>
#include <memory>

#include "text/errors.h"
#include "text/format.h"

namespace zelmaro::testing {
namespace {

using Delaunay::dTriangle;
using Delaunay::dVertex;
using ext = long double;

struct PlainMesh {
  std::unique_ptr<dVertex[]> Vertex{new dVertex[Delaunay::MaxVertices + 1]};
  std::unique_ptr<dTriangle[]> Triangle{new dTriangle[Delaunay::MaxTriangles + 1]};
  int32_t tPoints = 1;
  int32_t HowMany = 0;
  double zMin = 0, zMax = 0;
  int32_t coincidences = 0;

  static double Round6(double v) {
    const ext scaled = ext(v) * 1000000;
    if (!(std::fabs(scaled) < 0x1p63L)) throw EInvalidOp();
    return static_cast<double>(ext(std::llrintl(scaled)) / 1000000);
  }

  void AddPoint(int32_t Number, double x, double y, double z) {
    bool Neu = true;
    for (int32_t i = 1; i <= tPoints - 1; ++i)
      if (std::fabs(ext(x) - Vertex[i].x) < Delaunay::ExPtTolerance &&
          std::fabs(ext(y) - Vertex[i].y) < Delaunay::ExPtTolerance)
        Neu = false;
    if (!Neu) return;
    if (tPoints > Delaunay::MaxMeshPoints)
      throw ELimitError(
          Format("Zu viele Punkte: höchstens %d Punkte je Horizont", Delaunay::MaxMeshPoints));
    Vertex[tPoints].x = Round6(x);
    Vertex[tPoints].y = Round6(y);
    Vertex[tPoints].z = Round6(z);
    Vertex[tPoints].ID = Number;
    Vertex[tPoints].ln = 0;
    ++tPoints;
  }

  static void DoQuickSort(dVertex* A, int32_t iLo, int32_t iHi) {
    int32_t Lo = iLo, Hi = iHi;
    const double Mid = A[(Lo + Hi) / 2].x;
    do {
      while (A[Lo].x < Mid) ++Lo;
      while (A[Hi].x > Mid) --Hi;
      if (Lo <= Hi) {
        const dVertex T = A[Lo];
        A[Lo] = A[Hi];
        A[Hi] = T;
        ++Lo;
        --Hi;
      }
    } while (Lo <= Hi);
    if (Hi > iLo) DoQuickSort(A, iLo, Hi);
    if (Lo < iHi) DoQuickSort(A, Lo, iHi);
  }

  bool InCircle(double xp, double yp, double x1, double y1, double x2, double y2, double x3,
                double y3, double& xc, double& yc, double& r, int32_t j) {
    const double eps = 0.000001;
    double m1, m2, mx1, mx2, my1, my2, dx, dy, rsqr, drsqr;
    bool result = false;
    if (Triangle[j].PreCalc == 1) {
      xc = Triangle[j].xc;
      yc = Triangle[j].yc;
      r = Triangle[j].r;
      rsqr = static_cast<double>(ext(r) * r);
      dx = static_cast<double>(ext(xp) - xc);
      dy = static_cast<double>(ext(yp) - yc);
      drsqr = static_cast<double>(ext(dx) * dx + ext(dy) * dy);
    } else {
      if (std::fabs(ext(y1) - y2) < eps && std::fabs(ext(y2) - y3) < eps) {
        ++coincidences;  // "INCIRCUM - F - Points are coincident !!"
        return result;
      }
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
          xc = static_cast<double>((ext(x1) + x2 + x3) / 3);
          yc = static_cast<double>((ext(y1) + y2 + y3) / 3);
        }
      }
      dx = static_cast<double>(ext(x2) - xc);
      dy = static_cast<double>(ext(y2) - yc);
      rsqr = static_cast<double>(ext(dx) * dx + ext(dy) * dy);
      r = static_cast<double>(std::sqrt(ext(rsqr)));
      dx = static_cast<double>(ext(xp) - xc);
      dy = static_cast<double>(ext(yp) - yc);
      drsqr = static_cast<double>(ext(dx) * dx + ext(dy) * dy);
      Triangle[j].PreCalc = 1;
      Triangle[j].xc = xc;
      Triangle[j].yc = yc;
      Triangle[j].r = r;
    }
    if (drsqr <= rsqr) result = true;
    return result;
  }

  int32_t Triangulate(int32_t nvert) {
    std::vector<char> Complete(Delaunay::MaxTriangles + 1);
    std::vector<int32_t> Edges1(1), Edges2(1);  // column 0 unused
    double xmin = Vertex[1].x, xmax = xmin, ymin = Vertex[1].y, ymax = ymin;
    zMin = Vertex[1].z;
    zMax = zMin;
    for (int32_t i = 2; i <= nvert; ++i) {
      if (Vertex[i].x < xmin) xmin = Vertex[i].x;
      if (Vertex[i].x > xmax) xmax = Vertex[i].x;
      if (Vertex[i].y < ymin) ymin = Vertex[i].y;
      if (Vertex[i].y > ymax) ymax = Vertex[i].y;
      if (Vertex[i].z < zMin) zMin = Vertex[i].z;
      if (Vertex[i].z > zMax) zMax = Vertex[i].z;
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

    double xc = 0, yc = 0, r = 0;
    for (int32_t i = 1; i <= nvert; ++i) {
      int32_t Nedge = 0;
      Edges1.resize(1);
      Edges2.resize(1);
      int32_t j = 0;
      do {
        ++j;
        if (!Complete[j]) {
          const bool inc = InCircle(Vertex[i].x, Vertex[i].y, Vertex[Triangle[j].vv0].x,
                                    Vertex[Triangle[j].vv0].y, Vertex[Triangle[j].vv1].x,
                                    Vertex[Triangle[j].vv1].y, Vertex[Triangle[j].vv2].x,
                                    Vertex[Triangle[j].vv2].y, xc, yc, r, j);
          if (ext(xc) + r < Vertex[i].x) {
            Complete[j] = true;
          } else if (inc) {
            if (Nedge + 3 > Delaunay::MaxEdges)
              throw ELimitError(Format("Zu viele Kanten: höchstens %d Kanten je eingefügtem Punkt",
                                       Delaunay::MaxEdges));
            Edges1.push_back(Triangle[j].vv0);
            Edges2.push_back(Triangle[j].vv1);
            Edges1.push_back(Triangle[j].vv1);
            Edges2.push_back(Triangle[j].vv2);
            Edges1.push_back(Triangle[j].vv2);
            Edges2.push_back(Triangle[j].vv0);
            Nedge += 3;
            Triangle[j] = Triangle[ntri];
            Complete[j] = Complete[ntri];
            Triangle[ntri].PreCalc = 0;
            --j;
            --ntri;
          }
        }
      } while (j < ntri);

      for (int32_t a = 1; a <= Nedge - 1; ++a)
        if (Edges1[a] != 0 && Edges2[a] != 0)
          for (int32_t b = a + 1; b <= Nedge; ++b)
            if (Edges1[b] != 0 && Edges2[b] != 0)
              if (Edges1[a] == Edges2[b] && Edges2[a] == Edges1[b]) {
                Edges1[a] = 0;
                Edges2[a] = 0;
                Edges1[b] = 0;
                Edges2[b] = 0;
              }

      for (int32_t a = 1; a <= Nedge; ++a)
        if (Edges1[a] != 0 && Edges2[a] != 0) {
          if (ntri >= Delaunay::MaxTriangles)
            throw ELimitError(Format("Zu viele Dreiecke: höchstens %d Dreiecke je Horizont",
                                     Delaunay::MaxTriangles));
          ++ntri;
          Triangle[ntri].vv0 = Edges1[a];
          Triangle[ntri].vv1 = Edges2[a];
          Triangle[ntri].vv2 = i;
          Triangle[ntri].PreCalc = 0;
          Complete[ntri] = false;
        }
    }

    int32_t i = 0;
    do {
      ++i;
      if (Triangle[i].vv0 > nvert || Triangle[i].vv1 > nvert || Triangle[i].vv2 > nvert) {
        Triangle[i].vv0 = Triangle[ntri].vv0;
        Triangle[i].vv1 = Triangle[ntri].vv1;
        Triangle[i].vv2 = Triangle[ntri].vv2;
        --i;
        --ntri;
      }
    } while (i < ntri);
    return ntri;
  }

  void Mesh() {
    if (tPoints - 1 > 1) DoQuickSort(Vertex.get(), 1, tPoints - 1);
    if (tPoints > 3) HowMany = Triangulate(tPoints - 1);
  }
};

template <class M>
MeshResult Collect(const M& m, int32_t tPoints, const dTriangle* tri, int32_t coincidences) {
  MeshResult out;
  out.vertices.assign(m.Vertex.get() + 1, m.Vertex.get() + tPoints);
  out.HowMany = m.HowMany;
  for (int32_t t = 1; t <= m.HowMany; ++t) {
    out.corners.push_back(tri[t].vv0);
    out.corners.push_back(tri[t].vv1);
    out.corners.push_back(tri[t].vv2);
  }
  out.zMin = m.zMin;
  out.zMax = m.zMax;
  out.coincidences = coincidences;
  return out;
}

}  // namespace

MeshResult ReferenceMesh(const std::vector<OfferedPoint>& points) {
  PlainMesh m;
  try {
    for (const OfferedPoint& p : points) m.AddPoint(p.Number, p.x, p.y, p.z);
    m.Mesh();
  } catch (const EZelmaroError& e) {
    MeshResult out;
    out.error = e.what();
    return out;
  }
  return Collect(m, m.tPoints, m.Triangle.get(), m.coincidences);
}

MeshResult ProductionMesh(const std::vector<OfferedPoint>& points) {
  Delaunay::TDelaunay m;
  int32_t reports = 0;
  m.SetCoincidenceHandler([&reports] { ++reports; });
  try {
    for (const OfferedPoint& p : points) m.AddPoint(p.Number, p.x, p.y, p.z);
    m.Mesh();
  } catch (const EZelmaroError& e) {
    MeshResult out;
    out.error = e.what();
    return out;
  }
  MeshResult out = Collect(m, m.tPoints, m.Triangle.get(), m.Coincidences());
  // The handler sees every report the count shows.
  if (reports != m.Coincidences()) out.error = "handler saw " + std::to_string(reports);
  return out;
}

}  // namespace zelmaro::testing
