#include "volume/cut_fill.h"

#include <cmath>
#include <cstdint>

#include "mesh/hull.h"
#include "volume/prism_split.h"

namespace zelmaro {

using prism_split::AddSplit;
using prism_split::ext;
using prism_split::Finite;
using prism_split::Sums;

HorizonCutFill CutAndFill(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0) {
  return CutAndFill(P, mesh, H0, Delaunay::MeshArea(mesh, mesh.HowMany),
                    Delaunay::ConvexHullArea(mesh));
}

HorizonCutFill CutAndFill(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0,
                          double area, double hullArea) {
  HorizonCutFill r;
  r.area = area;
  r.hullArea = hullArea;
  Sums s;
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[t];
    const TPunkt& p0 = P[static_cast<size_t>(mesh.Vertex[tr.vv0].ID)];
    const TPunkt& p1 = P[static_cast<size_t>(mesh.Vertex[tr.vv1].ID)];
    const TPunkt& p2 = P[static_cast<size_t>(mesh.Vertex[tr.vv2].ID)];
    // Area and volume exactly as the run's horizon table has them.
    const double A = static_cast<double>(
        std::fabs((ext(p1.Y) - p2.Y) * p0.X + (ext(p2.Y) - p0.Y) * p1.X +
                  (ext(p0.Y) - p1.Y) * p2.X) /
        2);
    const double Ma = static_cast<double>(((ext(p0.Z) + p1.Z + p2.Z) / 3 - H0) * A);
    AddSplit(s, A, Ma, ext(p0.Z) - H0, ext(p1.Z) - H0, ext(p2.Z) - H0);
  }
  r.above = Finite(s.above);
  r.below = Finite(s.below);
  r.areaAbove = Finite(s.areaAbove);
  r.areaBelow = Finite(s.areaBelow);
  return r;
}

HorizonCutFill CutAndFill(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0,
                          double area, double hullArea, const BoundaryClip& clip) {
  HorizonCutFill r;
  r.area = area;
  r.hullArea = hullArea;
  ext above = 0, below = 0, areaAbove = 0, areaBelow = 0;
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[t];
    const TPunkt* p[3] = {&P[static_cast<size_t>(mesh.Vertex[tr.vv0].ID)],
                          &P[static_cast<size_t>(mesh.Vertex[tr.vv1].ID)],
                          &P[static_cast<size_t>(mesh.Vertex[tr.vv2].ID)]};
    const double X[3] = {p[0]->X, p[1]->X, p[2]->X}, Y[3] = {p[0]->Y, p[1]->Y, p[2]->Y},
                 Z[3] = {p[0]->Z, p[1]->Z, p[2]->Z};
    clip.AddCutFill(X, Y, Z, H0, above, below, areaAbove, areaBelow);
  }
  r.above = Finite(above);
  r.below = Finite(below);
  r.areaAbove = Finite(areaAbove);
  r.areaBelow = Finite(areaBelow);
  return r;
}

CutFill ComputeCutFill(const PointTable& P, const Delaunay::TDelaunay* reference,
                       const Delaunay::TDelaunay* terrain, double H0, int threads) {
  const Delaunay::TDelaunay none;
  const Delaunay::TDelaunay& ref = reference ? *reference : none;
  const Delaunay::TDelaunay& ter = terrain ? *terrain : none;
  CutFill r;
  r.H0 = H0;
  r.reference = CutAndFill(P, ref, H0);
  r.terrain = CutAndFill(P, ter, H0);
  r.between = CutFillBetween(P, ref, ter, threads);
  r.valid = true;
  return r;
}

}  // namespace zelmaro
