#include "volume/cut_fill.h"
// The cut and fill between the two horizons: each reference triangle laid
// over the terrain triangles it meets, the prism between them over each
// common piece.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>

#include "mesh/hull.h"
#include "text/errors.h"
#include "volume/prism_split.h"

namespace zelmaro {

namespace {

using namespace prism_split;

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

// A mesh's corners by vertex slot, from the point table through the vertex
// IDs (so that a point of both horizons is the same point in both) and
// relative to the overlay's origin: one look-up of each point instead of one
// per triangle it belongs to.
struct Corner {
  double x, y, z;
};
using Corners = std::vector<Corner>;

Corners CornersOf(const PointTable& P, const Delaunay::TDelaunay& mesh, double ox, double oy) {
  Corners c(static_cast<size_t>(std::max(mesh.tPoints, 1)));
  for (int32_t v = 1; v < mesh.tPoints; ++v) {
    const TPunkt& p = P[static_cast<size_t>(mesh.Vertex[v].ID)];
    c[static_cast<size_t>(v)] = {p.X - ox, p.Y - oy, p.Z};
  }
  return c;
}

// A triangle's corners as the mesh lists them.
struct CornerSlots {
  int32_t v[3];
};

// The triangle on these corners; false for one without area. The first
// corner stays the first.
bool MakeFacet(const Corners& corner, const CornerSlots& tr, Facet& f) {
  const Corner* p[3];
  for (int i = 0; i < 3; ++i) p[i] = &corner[static_cast<size_t>(tr.v[i])];
  for (int i = 0; i < 3; ++i) {
    f.x[i] = p[i]->x;
    f.y[i] = p[i]->y;
  }
  double z[3] = {p[0]->z, p[1]->z, p[2]->z};
  double det = (f.x[1] - f.x[0]) * (f.y[2] - f.y[0]) - (f.x[2] - f.x[0]) * (f.y[1] - f.y[0]);
  if (det == 0 || !std::isfinite(det)) return false;
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
  return true;
}

// The mesh's triangles with area in the given order, for looking up; their
// area summed.
std::vector<Facet> Facets(const Corners& corner, const std::vector<CornerSlots>& order,
                          ext& area) {
  std::vector<Facet> out;
  out.reserve(order.size());
  area = 0;
  Facet f;
  for (const CornerSlots& t : order)
    if (MakeFacet(corner, t, f)) {
      area += ext(f.twiceArea) / 2;
      out.push_back(f);
    }
  return out;
}

double Height(const Facet& f, Pt p) { return f.c + f.gx * p.x + f.gy * p.y; }

// Uniform cells over the bounding box of the terrain, about one triangle per
// cell.
class CellFrame {
 public:
  struct Range {
    int32_t i0, i1, j0, j1;
  };

  // Over the mesh's points as it holds them (to the micrometre), relative
  // to the overlay's origin: the frame only sorts, every box is clamped
  // into it.
  CellFrame(const Delaunay::TDelaunay& mesh, double ox, double oy) {
    if (mesh.HowMany <= 0 || mesh.tPoints <= 1) return;
    const Delaunay::dVertex* v = mesh.Vertex.get();
    minx_ = v[1].x - ox, miny_ = v[1].y - oy;
    double maxx = minx_, maxy = miny_;
    for (int32_t i = 2; i < mesh.tPoints; ++i) {
      minx_ = std::min(minx_, v[i].x - ox);
      miny_ = std::min(miny_, v[i].y - oy);
      maxx = std::max(maxx, v[i].x - ox);
      maxy = std::max(maxy, v[i].y - oy);
    }
    const double w = std::max(maxx - minx_, 1e-9), h = std::max(maxy - miny_, 1e-9);
    const double size = std::sqrt(w * h / mesh.HowMany);
    // Coordinates near the double range leave one cell: slow, never wrong.
    auto count = [&](double extent) {
      const double n = std::ceil(extent / size);
      return n >= 1 && n <= 4096 ? static_cast<int32_t>(n) : n > 4096 ? 4096 : 1;
    };
    nx_ = count(w);
    ny_ = count(h);
    sx_ = nx_ / w;
    sy_ = ny_ / h;
  }

  size_t Cells() const { return static_cast<size_t>(nx_) * ny_; }
  size_t Index(int32_t i, int32_t j) const { return static_cast<size_t>(j) * nx_ + i; }
  // Row by row: facets taken in this order of their first corner lie near
  // each other in the plan.
  size_t CellOf(double x, double y) const {
    return Cells() == 0 ? 0 : Index(Cell(x, minx_, sx_, nx_), Cell(y, miny_, sy_, ny_));
  }
  int32_t ColumnOf(double x) const { return Cell(x, minx_, sx_, nx_); }
  int32_t RowOf(double y) const { return Cell(y, miny_, sy_, ny_); }
  Range RangeOf(const Facet& f) const {
    return {ColumnOf(f.minx), ColumnOf(f.maxx), RowOf(f.miny), RowOf(f.maxy)};
  }

 private:
  static int32_t Cell(double v, double lo, double scale, int32_t n) {
    const double c = std::floor((v - lo) * scale);
    if (!(c >= 0)) return 0;
    return c >= n ? n - 1 : static_cast<int32_t>(c);
  }

  double minx_ = 0, miny_ = 0, sx_ = 1, sy_ = 1;
  int32_t nx_ = 0, ny_ = 0;
};

// The mesh's triangles in the order of the cells their first corners lie
// in: a mesh lists its triangles in the order they were made, scattered over
// the survey, and taken in that order each would fetch its candidates from
// far away in memory.
std::vector<CornerSlots> CellOrder(const Delaunay::TDelaunay& mesh, const Corners& corner,
                                   const CellFrame& frame) {
  const size_t n = static_cast<size_t>(std::max(mesh.HowMany, 0));
  std::vector<uint32_t> start(frame.Cells() + 2, 0);
  std::vector<uint32_t> cell(n + 1);
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Corner& c = corner[static_cast<size_t>(mesh.Triangle[t].vv0)];
    cell[t] = static_cast<uint32_t>(frame.CellOf(c.x, c.y));
    ++start[cell[t] + 1];
  }
  for (size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  std::vector<CornerSlots> order(n);
  for (int32_t t = 1; t <= mesh.HowMany; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[t];
    order[start[cell[t]]++] = {{tr.vv0, tr.vv1, tr.vv2}};
  }
  return order;
}

// Each terrain facet listed in every cell its bounding box touches.
class FacetGrid {
 public:
  FacetGrid(const CellFrame& frame, const std::vector<Facet>& facets)
      : frame_(frame), facets_(facets) {
    if (facets.empty()) return;
    start_.assign(frame.Cells() + 1, 0);
    ForCells([&](size_t cell, uint32_t) { ++start_[cell + 1]; });
    for (size_t i = 1; i < start_.size(); ++i) start_[i] += start_[i - 1];
    items_.resize(start_.back());
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    ForCells([&](size_t cell, uint32_t k) { items_[fill[cell]++] = k; });
  }

  // Every facet whose box overlaps that of b, each once: a pair of boxes is
  // taken in the first cell both touch.
  template <class F>
  void ForCandidates(const Facet& b, F&& f) const {
    if (start_.empty()) return;
    const CellFrame::Range r = frame_.RangeOf(b);
    for (int32_t j = r.j0; j <= r.j1; ++j)
      for (int32_t i = r.i0; i <= r.i1; ++i) {
        const size_t cell = frame_.Index(i, j);
        for (uint32_t k = start_[cell]; k < start_[cell + 1]; ++k) {
          const Facet& t = facets_[items_[k]];
          if (t.minx >= b.maxx || t.maxx <= b.minx || t.miny >= b.maxy || t.maxy <= b.miny)
            continue;
          if ((i > r.i0 && frame_.ColumnOf(t.minx) != i) || (j > r.j0 && frame_.RowOf(t.miny) != j))
            continue;
          f(t);
        }
      }
  }

 private:
  template <class F>
  void ForCells(F&& f) const {
    for (uint32_t k = 0; k < facets_.size(); ++k) {
      const CellFrame::Range r = frame_.RangeOf(facets_[k]);
      for (int32_t j = r.j0; j <= r.j1; ++j)
        for (int32_t i = r.i0; i <= r.i1; ++i) f(frame_.Index(i, j), k);
    }
  }

  const CellFrame& frame_;
  const std::vector<Facet>& facets_;
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

namespace {

// The sums of one run of reference triangles over the terrain.
struct OverlayPart {
  Sums s;
  ext common = 0;
  ext referenceArea = 0;
};

struct Overlay {
  const Corners& corner;
  const FacetGrid& grid;

  void Add(const CornerSlots* begin, const CornerSlots* end, OverlayPart& part) const {
    Pt buf_a[kMaxCorners], buf_b[kMaxCorners];
    Facet R;
    for (const CornerSlots* t = begin; t != end; ++t) {
      if (!MakeFacet(corner, *t, R)) continue;
      part.referenceArea += ext(R.twiceArea) / 2;
      const Pt rc[3] = {{R.x[0], R.y[0]}, {R.x[1], R.y[1]}, {R.x[2], R.y[2]}};
      grid.ForCandidates(R, [&](const Facet& T) {
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
          part.common += A;
          AddSplit(part.s, A, A * (ext(d[0]) + d[k] + d[k + 1]) / 3, d[0], d[k], d[k + 1]);
        }
      });
    }
  }
};

// The reference triangles go in this many runs, whatever the number of
// threads, and the runs' sums are added in their order: the figures do not
// depend on how many threads computed them.
constexpr size_t kOverlayParts = 64;

}  // namespace

BetweenCutFill CutFillBetween(const PointTable& P, const Delaunay::TDelaunay& reference,
                              const Delaunay::TDelaunay& terrain, int threads) {
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
  // Both horizons in the order of one frame of cells: the terrain's facets
  // are looked up there, and reference triangles taken in that order find
  // their candidates near the previous one's.
  const CellFrame frame(terrain, ox, oy);
  Corners ref_corners;
  std::vector<CornerSlots> order;
  std::exception_ptr order_failed;
  auto order_reference = [&] {
    try {
      ref_corners = CornersOf(P, reference, ox, oy);
      order = CellOrder(reference, ref_corners, frame);
    } catch (...) {
      order_failed = std::current_exception();
    }
  };
  ext area_ter = 0;
  std::vector<Facet> ter;
  auto terrain_facets = [&] {
    const Corners corner = CornersOf(P, terrain, ox, oy);
    ter = Facets(corner, CellOrder(terrain, corner, frame), area_ter);
  };
  {
    struct Join {
      std::thread t;
      ~Join() {
        if (t.joinable()) t.join();
      }
    } other;
    if (threads >= 2) {
      try {
        other.t = std::thread(order_reference);
      } catch (const std::system_error&) {
      }
    }
    if (!other.t.joinable()) order_reference();
    terrain_facets();
  }
  if (order_failed) std::rethrow_exception(order_failed);
  const FacetGrid grid(frame, ter);

  const Overlay overlay{ref_corners, grid};
  std::vector<OverlayPart> parts(kOverlayParts);
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t k; (k = next++) < kOverlayParts;) {
      const size_t n = order.size();
      overlay.Add(order.data() + n * k / kOverlayParts, order.data() + n * (k + 1) / kOverlayParts,
                  parts[k]);
    }
  };
  {
    // Joined on every way out: a thread that cannot be started leaves the
    // parts to the others.
    struct JoinAll {
      std::vector<std::thread> threads;
      ~JoinAll() {
        for (std::thread& t : threads) t.join();
      }
    } helpers;
    try {
      for (int i = 1; i < threads && order.size() >= kOverlayParts; ++i)
        helpers.threads.emplace_back(work);
    } catch (const std::system_error&) {
    }
    work();
  }

  Sums s;
  ext common = 0, area_ref = 0;
  for (const OverlayPart& part : parts) {
    s.above += part.s.above;
    s.below += part.s.below;
    s.areaAbove += part.s.areaAbove;
    s.areaBelow += part.s.areaBelow;
    common += part.common;
    area_ref += part.referenceArea;
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

}  // namespace zelmaro
