#include "volume/cut_fill.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "mesh/hull.h"
#include "text/errors.h"

namespace zelmaro {

namespace {

using ext = long double;

struct Sums {
  ext above = 0, below = 0, areaAbove = 0, areaBelow = 0;
};

// The prism over a triangle of plan area A whose top stands h0, h1, h2 above
// the plane at its corners, cut by the plane. Ma is its signed volume,
// A * (h0 + h1 + h2) / 3, passed in so that above - below adds up to exactly
// the caller's net volume. Where the plane crosses, the corner alone on its
// side spans the similar sub-triangle with the two edge crossings; its
// share of the area is ta * tb and its prism is a pyramid of height h.
void AddSplit(Sums& s, ext A, ext Ma, ext h0, ext h1, ext h2) {
  const int pos = (h0 > 0) + (h1 > 0) + (h2 > 0);
  const int neg = (h0 < 0) + (h1 < 0) + (h2 < 0);
  if (neg == 0) {
    s.above += Ma;
    if (pos > 0) s.areaAbove += A;
    return;
  }
  if (pos == 0) {
    s.below -= Ma;
    s.areaBelow += A;
    return;
  }
  // One corner is alone on its side: pos == 1 or neg == 1 (both with a
  // corner on the plane).
  const bool lone_above = pos == 1;
  ext a = h0, b = h1, c = h2;
  if (lone_above ? h1 > 0 : h1 < 0) std::swap(a, b);
  else if (lone_above ? h2 > 0 : h2 < 0) std::swap(a, c);
  if (!lone_above) a = -a, b = -b, c = -c;
  const ext share = a / (a - b) * (a / (a - c));  // a > 0 >= b, c
  const ext part_area = A * share;
  const ext part = part_area * a / 3;
  if (lone_above) {
    s.above += part;
    s.below += part - Ma;
    s.areaAbove += part_area;
    s.areaBelow += A - part_area;
  } else {
    s.below += part;
    s.above += part + Ma;
    s.areaBelow += part_area;
    s.areaAbove += A - part_area;
  }
}

// Volumes and areas are magnitudes; what rounding leaves below zero is zero.
double Finite(ext v) {
  const double d = static_cast<double>(v);
  if (!std::isfinite(d)) throw EOverflow();
  return d > 0 ? d : 0.0;
}

// ---- overlay -------------------------------------------------------------

// One triangle in coordinates relative to a common origin, counter-clockwise,
// with the plane through its corners: z = c + gx * x + gy * y.
struct Facet {
  double x[3], y[3];
  double c, gx, gy;
  double minx, maxx, miny, maxy;
  double twiceArea;
};

struct Pt {
  double x, y;
};

// Nonzero-area triangles of the mesh; corners from the point table through
// the vertex IDs, so that a point of both horizons is the same point in both.
std::vector<Facet> Facets(const PointTable& P, const Delaunay::TDelaunay& mesh, double ox,
                          double oy, ext& area) {
  std::vector<Facet> out;
  out.reserve(static_cast<size_t>(std::max(mesh.HowMany, 0)));
  area = 0;
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[t];
    const TPunkt* p[3] = {&P[static_cast<size_t>(mesh.Vertex[tr.vv0].ID)],
                          &P[static_cast<size_t>(mesh.Vertex[tr.vv1].ID)],
                          &P[static_cast<size_t>(mesh.Vertex[tr.vv2].ID)]};
    Facet f;
    for (int i = 0; i < 3; ++i) {
      f.x[i] = p[i]->X - ox;
      f.y[i] = p[i]->Y - oy;
    }
    double z[3] = {p[0]->Z, p[1]->Z, p[2]->Z};
    double det = (f.x[1] - f.x[0]) * (f.y[2] - f.y[0]) - (f.x[2] - f.x[0]) * (f.y[1] - f.y[0]);
    if (det == 0 || !std::isfinite(det)) continue;
    if (det < 0) {
      std::swap(f.x[1], f.x[2]);
      std::swap(f.y[1], f.y[2]);
      std::swap(z[1], z[2]);
      det = -det;
    }
    const double dx1 = f.x[1] - f.x[0], dy1 = f.y[1] - f.y[0], dz1 = z[1] - z[0];
    const double dx2 = f.x[2] - f.x[0], dy2 = f.y[2] - f.y[0], dz2 = z[2] - z[0];
    f.gx = (dz1 * dy2 - dz2 * dy1) / det;
    f.gy = (dx1 * dz2 - dx2 * dz1) / det;
    f.c = z[0] - f.gx * f.x[0] - f.gy * f.y[0];
    f.minx = std::min({f.x[0], f.x[1], f.x[2]});
    f.maxx = std::max({f.x[0], f.x[1], f.x[2]});
    f.miny = std::min({f.y[0], f.y[1], f.y[2]});
    f.maxy = std::max({f.y[0], f.y[1], f.y[2]});
    f.twiceArea = det;
    area += ext(det) / 2;
    out.push_back(f);
  }
  return out;
}

double Height(const Facet& f, Pt p) { return f.c + f.gx * p.x + f.gy * p.y; }

// Uniform grid of cells over the terrain's facets: each facet is listed in
// every cell its bounding box touches. About one facet per cell keeps the
// candidates of a reference triangle to the few terrain triangles near it.
class FacetGrid {
 public:
  explicit FacetGrid(const std::vector<Facet>& facets) {
    if (facets.empty()) return;
    minx_ = facets[0].minx, miny_ = facets[0].miny;
    double maxx = facets[0].maxx, maxy = facets[0].maxy;
    for (const Facet& f : facets) {
      minx_ = std::min(minx_, f.minx);
      miny_ = std::min(miny_, f.miny);
      maxx = std::max(maxx, f.maxx);
      maxy = std::max(maxy, f.maxy);
    }
    const double w = std::max(maxx - minx_, 1e-9), h = std::max(maxy - miny_, 1e-9);
    const double cells = static_cast<double>(facets.size());
    const double size = std::sqrt(w * h / cells);
    nx_ = static_cast<int32_t>(std::clamp(std::ceil(w / size), 1.0, 4096.0));
    ny_ = static_cast<int32_t>(std::clamp(std::ceil(h / size), 1.0, 4096.0));
    sx_ = nx_ / w;
    sy_ = ny_ / h;
    start_.assign(static_cast<size_t>(nx_) * ny_ + 1, 0);
    for (const Facet& f : facets)
      ForCells(f.minx, f.maxx, f.miny, f.maxy, [&](size_t cell) { ++start_[cell + 1]; });
    for (size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    items_.resize(start_.back());
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    for (uint32_t i = 0; i < facets.size(); ++i) {
      const Facet& f = facets[i];
      ForCells(f.minx, f.maxx, f.miny, f.maxy, [&](size_t cell) { items_[fill[cell]++] = i; });
    }
  }

  template <class F>
  void ForCells(double x0, double x1, double y0, double y1, F&& f) const {
    if (start_.empty()) return;
    const int32_t i0 = Cell(x0, minx_, sx_, nx_), i1 = Cell(x1, minx_, sx_, nx_);
    const int32_t j0 = Cell(y0, miny_, sy_, ny_), j1 = Cell(y1, miny_, sy_, ny_);
    for (int32_t j = j0; j <= j1; ++j)
      for (int32_t i = i0; i <= i1; ++i) f(static_cast<size_t>(j) * nx_ + i);
  }

  template <class F>
  void ForCandidates(double x0, double x1, double y0, double y1, F&& f) const {
    ForCells(x0, x1, y0, y1, [&](size_t cell) {
      for (uint32_t k = start_[cell]; k < start_[cell + 1]; ++k) f(items_[k]);
    });
  }

 private:
  static int32_t Cell(double v, double lo, double scale, int32_t n) {
    const double c = std::floor((v - lo) * scale);
    if (!(c >= 0)) return 0;
    return c >= n ? n - 1 : static_cast<int32_t>(c);
  }

  double minx_ = 0, miny_ = 0, sx_ = 1, sy_ = 1;
  int32_t nx_ = 0, ny_ = 0;
  std::vector<uint32_t> start_;
  std::vector<uint32_t> items_;
};

// The part of the convex polygon on the left of a -> b (the line included).
// A triangle cut by three half-planes has at most six corners.
constexpr int kMaxCorners = 9;

int ClipLeft(const Pt* in, int n, Pt a, Pt b, Pt* out) {
  const double ex = b.x - a.x, ey = b.y - a.y;
  auto side = [&](Pt p) { return ex * (p.y - a.y) - ey * (p.x - a.x); };
  int m = 0;
  Pt prev = in[n - 1];
  double sp = side(prev);
  for (int i = 0; i < n; ++i) {
    const Pt cur = in[i];
    const double sc = side(cur);
    // A corner on the line is kept as it is, never doubled by a crossing.
    if ((sc > 0 && sp < 0) || (sc < 0 && sp > 0)) {
      const double t = sp / (sp - sc);
      out[m++] = {prev.x + t * (cur.x - prev.x), prev.y + t * (cur.y - prev.y)};
    }
    if (sc >= 0) out[m++] = cur;
    prev = cur;
    sp = sc;
  }
  return m;
}

// Heights that differ by no more than rounding of the plane evaluation are
// equal: two triangulations of one surface give neither fill nor cut.
double Difference(double zt, double zr) {
  const double d = zt - zr;
  return std::fabs(d) <= 1e-12 * (std::fabs(zt) + std::fabs(zr)) ? 0.0 : d;
}

// Rounding of the piece areas must not turn equal coverage into a sliver.
double Remainder(ext total, ext common) {
  const ext r = total - common;
  return r <= 1e-11L * total ? 0.0 : Finite(r);
}

}  // namespace

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

BetweenCutFill CutFillBetween(const PointTable& P, const Delaunay::TDelaunay& reference,
                              const Delaunay::TDelaunay& terrain) {
  BetweenCutFill r;
  // Survey coordinates are millions of metres; relative to a point of the
  // survey they keep their digits, and the subtraction itself is exact.
  double ox = 0, oy = 0;
  const Delaunay::TDelaunay& any = terrain.HowMany > 0 ? terrain : reference;
  if (any.HowMany > 0) {
    const TPunkt& o = P[static_cast<size_t>(any.Vertex[any.Triangle[1].vv0].ID)];
    ox = o.X;
    oy = o.Y;
  }
  ext area_ref = 0, area_ter = 0;
  const std::vector<Facet> ref = Facets(P, reference, ox, oy, area_ref);
  const std::vector<Facet> ter = Facets(P, terrain, ox, oy, area_ter);
  const FacetGrid grid(ter);

  Sums s;
  ext common = 0;
  std::vector<uint32_t> seen(ter.size(), UINT32_MAX);
  Pt buf_a[kMaxCorners], buf_b[kMaxCorners];
  for (uint32_t ri = 0; ri < ref.size(); ++ri) {
    const Facet& R = ref[ri];
    const Pt rc[3] = {{R.x[0], R.y[0]}, {R.x[1], R.y[1]}, {R.x[2], R.y[2]}};
    grid.ForCandidates(R.minx, R.maxx, R.miny, R.maxy, [&](uint32_t ti) {
      if (seen[ti] == ri) return;
      seen[ti] = ri;
      const Facet& T = ter[ti];
      if (T.minx >= R.maxx || T.maxx <= R.minx || T.miny >= R.maxy || T.maxy <= R.miny) return;
      Pt* poly = buf_a;
      Pt* next = buf_b;
      int n = 3;
      for (int i = 0; i < 3; ++i) poly[i] = {T.x[i], T.y[i]};
      for (int e = 0; e < 3 && n >= 3; ++e) {
        n = ClipLeft(poly, n, rc[e], rc[(e + 1) % 3], next);
        std::swap(poly, next);
      }
      if (n < 3) return;
      double d[kMaxCorners];
      for (int i = 0; i < n; ++i) d[i] = Difference(Height(T, poly[i]), Height(R, poly[i]));
      for (int k = 1; k + 1 < n; ++k) {
        const double twice = (poly[k].x - poly[0].x) * (poly[k + 1].y - poly[0].y) -
                             (poly[k + 1].x - poly[0].x) * (poly[k].y - poly[0].y);
        if (!(twice > 0)) continue;
        const ext A = ext(twice) / 2;
        common += A;
        AddSplit(s, A, A * (ext(d[0]) + d[k] + d[k + 1]) / 3, d[0], d[k], d[k + 1]);
      }
    });
  }
  r.fill = Finite(s.above);
  r.cut = Finite(s.below);
  r.areaFill = Finite(s.areaAbove);
  r.areaCut = Finite(s.areaBelow);
  r.commonArea = Finite(common);
  r.onlyReference = Remainder(area_ref, common);
  r.onlyTerrain = Remainder(area_ter, common);
  return r;
}

CutFill ComputeCutFill(const PointTable& P, const Delaunay::TDelaunay* reference,
                       const Delaunay::TDelaunay* terrain, double H0) {
  const Delaunay::TDelaunay none;
  const Delaunay::TDelaunay& ref = reference ? *reference : none;
  const Delaunay::TDelaunay& ter = terrain ? *terrain : none;
  CutFill r;
  r.H0 = H0;
  r.reference = CutAndFill(P, ref, H0);
  r.terrain = CutAndFill(P, ter, H0);
  r.between = CutFillBetween(P, ref, ter);
  r.valid = true;
  return r;
}

std::vector<ZeroSegment> ZeroLines(const Delaunay::TDelaunay& mesh, double H0) {
  std::vector<ZeroSegment> out;
  const Delaunay::dVertex* v = mesh.Vertex.get();
  // Each crossing is taken from the edge's lower slot, so that the two
  // triangles of an edge meet in the same point.
  auto crossing = [&](int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    const ext ha = ext(v[a].z) - H0, hb = ext(v[b].z) - H0;
    const ext t = ha / (ha - hb);
    return Pt{static_cast<double>(v[a].x + t * (ext(v[b].x) - v[a].x)),
              static_cast<double>(v[a].y + t * (ext(v[b].y) - v[a].y))};
  };
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[t];
    const int32_t c[3] = {tr.vv0, tr.vv1, tr.vv2};
    int sign[3];
    for (int i = 0; i < 3; ++i) sign[i] = (v[c[i]].z > H0) - (v[c[i]].z < H0);
    Pt ends[3];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
      const int j = (i + 1) % 3;
      if (sign[i] == 0) ends[n++] = {v[c[i]].x, v[c[i]].y};
      else if (sign[j] != 0 && sign[i] != sign[j]) ends[n++] = crossing(c[i], c[j]);
    }
    // Two ends make a segment; one is a corner touching the plane, three a
    // triangle flat on it.
    if (n == 2) out.push_back({ends[0].x, ends[0].y, ends[1].x, ends[1].y});
  }
  return out;
}

}  // namespace zelmaro
