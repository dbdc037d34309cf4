#pragma once
// Exact predicates on whole micrometres, for closing a mesh to its hull.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "mesh/delaunay.h"

namespace Delaunay::exact {

__extension__ typedef __int128 i128;
__extension__ typedef unsigned __int128 u128;

// A vertex in whole micrometres. The stored coordinates are rounded to six
// decimals, so this is the point the survey means, and every predicate below
// is exact on it: the gap's triangulation never contradicts itself however
// thin its triangles are (and thin is what they are).
struct IPt {
  int64_t x, y;
};

inline bool ToMicro(double v, int64_t& out) {
  const long double s = static_cast<long double>(v) * 1000000;
  if (!(std::fabs(s) < 0x1p62L)) return false;
  out = std::llrintl(s);
  return true;
}

inline int Sign(i128 v) { return (v > 0) - (v < 0); }
inline u128 Abs(i128 v) { return v < 0 ? static_cast<u128>(-v) : static_cast<u128>(v); }

// Sign of a·b − c·d for factors below 2^64 in magnitude, without overflow.
inline int SignOfDifference(i128 a, i128 b, i128 c, i128 d) {
  const int s1 = Sign(a) * Sign(b), s2 = Sign(c) * Sign(d);
  if (s1 != s2) return s1 > s2 ? 1 : -1;
  if (s1 == 0) return 0;
  const u128 p1 = Abs(a) * Abs(b), p2 = Abs(c) * Abs(d);
  if (p1 == p2) return 0;
  return (p1 > p2) == (s1 > 0) ? 1 : -1;
}

// +1 when c lies left of a→b, −1 right, 0 on the line.
inline int Orient(const IPt& a, const IPt& b, const IPt& c) {
  return SignOfDifference(i128(b.x) - a.x, i128(c.y) - a.y, i128(b.y) - a.y, i128(c.x) - a.x);
}

inline long double TwiceArea(const IPt& a, const IPt& b, const IPt& c) {
  return static_cast<long double>(i128(b.x) - a.x) * static_cast<long double>(i128(c.y) - a.y) -
         static_cast<long double>(i128(b.y) - a.y) * static_cast<long double>(i128(c.x) - a.x);
}

// True when d lies clearly inside the circle through the counter-clockwise
// a, b, c. Only the choice of a diagonal hangs on it, never validity, so
// extended precision will do; the margin keeps cocircular quadruples (every
// square of a survey grid) from flipping back and forth.
inline bool ClearlyInCircle(const IPt& a, const IPt& b, const IPt& c, const IPt& d) {
  using ld = long double;
  const ld adx = ld(i128(a.x) - d.x), ady = ld(i128(a.y) - d.y);
  const ld bdx = ld(i128(b.x) - d.x), bdy = ld(i128(b.y) - d.y);
  const ld cdx = ld(i128(c.x) - d.x), cdy = ld(i128(c.y) - d.y);
  const ld al = adx * adx + ady * ady, bl = bdx * bdx + bdy * bdy, cl = cdx * cdx + cdy * cdy;
  const ld det = al * (bdx * cdy - cdx * bdy) + bl * (cdx * ady - adx * cdy) +
                 cl * (adx * bdy - bdx * ady);
  const ld scale = al * (std::fabs(bdx * cdy) + std::fabs(cdx * bdy)) +
                   bl * (std::fabs(cdx * ady) + std::fabs(adx * cdy)) +
                   cl * (std::fabs(adx * bdy) + std::fabs(bdx * ady));
  return det > scale * 1e-12L;
}

inline bool LexLess(const IPt& a, const IPt& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }

inline std::vector<IPt> MicroPoints(const TDelaunay& mesh, bool& ok) {
  std::vector<IPt> pts(static_cast<size_t>(std::max(mesh.tPoints, 1)));
  ok = true;
  for (int32_t v = 1; v < mesh.tPoints; ++v)
    ok = ok && ToMicro(mesh.Vertex[v].x, pts[static_cast<size_t>(v)].x) &&
         ToMicro(mesh.Vertex[v].y, pts[static_cast<size_t>(v)].y);
  return pts;
}

}  // namespace Delaunay::exact
