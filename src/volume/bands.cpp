#include "volume/bands.h"

#include <algorithm>
#include <cmath>

#include "text/errors.h"
#include "volume/prism_split.h"

namespace zelmaro {

namespace {
using ext = long double;
constexpr long kMaxLevels = 100000;
}  // namespace

std::vector<BandRow> HeightBands(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0,
                                 double step) {
  if (!(step > 0) || !std::isfinite(step))
    throw ELimitError("Die Stufenhöhe muss größer als 0 sein.");
  std::vector<BandRow> rows;
  const int32_t n = mesh.HowMany;
  if (n <= 0) return rows;
  auto corner = [&](int32_t v) -> const TPunkt& {
    return P[static_cast<size_t>(mesh.Vertex[static_cast<size_t>(v)].ID)];
  };
  double zlo = HUGE_VAL, zhi = -HUGE_VAL;
  for (int32_t t = 1; t <= n; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[static_cast<size_t>(t)];
    for (int32_t v : {tr.vv0, tr.vv1, tr.vv2}) {
      zlo = std::min(zlo, corner(v).Z);
      zhi = std::max(zhi, corner(v).Z);
    }
  }
  // H0 is a level too, so that no band straddles it and the bands reach
  // from H0 to the surface where the surface lies wholly on one side.
  const ext kmin = std::min(std::floor((ext(zlo) - H0) / step), ext(0));
  const ext kmax = std::max(std::ceil((ext(zhi) - H0) / step), ext(0));
  if (kmax - kmin + 1 > kMaxLevels)
    throw ELimitError("Zu viele Höhenstufen: bitte eine größere Stufenhöhe wählen.");
  const long k0 = static_cast<long>(kmin);
  const size_t levels = static_cast<size_t>(kmax - kmin) + 1;
  std::vector<double> h(levels);
  for (size_t k = 0; k < levels; ++k) h[k] = static_cast<double>(H0 + ext(k0 + long(k)) * step);

  // F(h): the volume of the surface above the level h; areaAbove(h) its plan
  // area. Levels at or below a triangle's lowest corner take all of it, a
  // linear share added from the top down; the few it spans are cut.
  std::vector<ext> F(levels, 0), above(levels, 0), fullA(levels, 0), fullAz(levels, 0);
  ext sumA = 0, sumAz = 0;
  for (int32_t t = 1; t <= n; ++t) {
    const Delaunay::dTriangle& tr = mesh.Triangle[static_cast<size_t>(t)];
    const TPunkt &p0 = corner(tr.vv0), &p1 = corner(tr.vv1), &p2 = corner(tr.vv2);
    const ext A = std::fabs((ext(p1.Y) - p2.Y) * p0.X + (ext(p2.Y) - p0.Y) * p1.X +
                            (ext(p0.Y) - p1.Y) * p2.X) / 2;
    const ext zmean = (ext(p0.Z) + p1.Z + p2.Z) / 3;
    sumA += A;
    sumAz += A * zmean;
    const double lo = std::min({p0.Z, p1.Z, p2.Z}), hi = std::max({p0.Z, p1.Z, p2.Z});
    // Last level at or below lo.
    size_t k = static_cast<size_t>(std::upper_bound(h.begin(), h.end(), lo) - h.begin());
    if (k > 0) {
      fullA[k - 1] += A;
      fullAz[k - 1] += A * zmean;
    }
    for (; k < levels && h[k] < hi; ++k) {
      prism_split::Sums s;
      const ext d0 = ext(p0.Z) - h[k], d1 = ext(p1.Z) - h[k], d2 = ext(p2.Z) - h[k];
      prism_split::AddSplit(s, A, A * (d0 + d1 + d2) / 3, d0, d1, d2);
      F[k] += s.above;
      above[k] += s.areaAbove;
    }
  }
  ext runA = 0, runAz = 0;
  for (size_t k = levels; k-- > 0;) {
    runA += fullA[k];
    runAz += fullAz[k];
    F[k] += runAz - runA * h[k];
    above[k] += runA;
  }
  // G(h) = F(h) - the integral of (z - h): the room below the level.
  auto G = [&](size_t k) { return F[k] - (sumAz - sumA * h[k]); };
  rows.resize(levels);
  ext cumulative = 0;
  for (size_t k = 0; k < levels; ++k) {
    ext band = 0;
    if (k > 0) band = h[k] <= H0 ? -(G(k) - G(k - 1)) : F[k - 1] - F[k];
    cumulative += band;
    rows[k] = {h[k], static_cast<double>(above[k]), static_cast<double>(band),
               static_cast<double>(cumulative)};
  }
  return rows;
}

}  // namespace zelmaro
