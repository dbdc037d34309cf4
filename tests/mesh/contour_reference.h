#pragma once
// The contour computation written out the plain way: every pooling request
// scans all points, every duplicate test all segments of the level, every
// triangle is cut at every level, and the chaining counts and searches by
// scanning the level's list. Slow, but obviously what the program must
// compute; the fast operations of TDelaunay are compared with it.
//
// Header only, so that the benchmark can time the same code.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "mesh/delaunay.h"

namespace zelmaro::testing::contour_ref {

using Delaunay::TContourSetup;
using Delaunay::TDelaunay;
using Delaunay::TLine;
using Delaunay::TLineCut;
using Delaunay::TPunkt;
using ext = long double;
constexpr double kTol = Delaunay::ExPtTolerance;

inline TLineCut LineCut(double x1, double y1, double x2, double y2, double z1, double z2,
                        double Level) {
  TLineCut r{};
  if ((z1 <= Level && Level < z2) || (z2 <= Level && Level < z1)) {
    const double f = static_cast<double>((ext(z1) - Level) / (ext(z1) - z2));
    r.ContourPt.X = static_cast<double>(ext(x1) + (ext(x2) - x1) * f);
    r.ContourPt.Y = static_cast<double>(ext(y1) + (ext(y2) - y1) * f);
    r.Found = true;
  }
  return r;
}

inline int32_t AddContourPoint(TContourSetup& c, const TPunkt& p) {
  for (size_t i = 0; i < c.Points.size(); ++i)
    if (std::fabs(ext(c.Points[i].X) - p.X) <= kTol && std::fabs(ext(c.Points[i].Y) - p.Y) <= kTol)
      return static_cast<int32_t>(i);
  c.Points.push_back(TPunkt{p.X, p.Y, 0, 0});
  return static_cast<int32_t>(c.Points.size() - 1);
}

inline bool Near(const TPunkt& a, const TPunkt& b) {
  return std::fabs(ext(a.X) - b.X) < kTol && std::fabs(ext(a.Y) - b.Y) < kTol;
}

inline void AddContourLine(TContourSetup& c, int32_t Level, const TLineCut& L1,
                           const TLineCut& L2) {
  std::vector<TLine>& list = c.Contours[static_cast<size_t>(Level)];
  for (const TLine& s : list) {
    const TPunkt& S = c.Points[static_cast<size_t>(s.sp)];
    const TPunkt& E = c.Points[static_cast<size_t>(s.ep)];
    if ((Near(L1.ContourPt, S) || Near(L1.ContourPt, E)) &&
        (Near(L2.ContourPt, S) || Near(L2.ContourPt, E)))
      return;
  }
  const int32_t sp = AddContourPoint(c, L1.ContourPt);
  const int32_t ep = AddContourPoint(c, L2.ContourPt);
  list.push_back(TLine{sp, ep, 0});
}

inline void CalculateContours(const TDelaunay& m, TContourSetup& c) {
  for (int32_t i = 0; i < c.NoLevels; ++i)
    for (int32_t j = 1; j <= m.HowMany; ++j) {
      const auto& t = m.Triangle[j];
      const auto& a = m.Vertex[t.vv0];
      const auto& b = m.Vertex[t.vv1];
      const auto& d = m.Vertex[t.vv2];
      const double L = c.Levels[static_cast<size_t>(i)];
      const TLineCut line1 = LineCut(a.x, a.y, b.x, b.y, a.z, b.z, L);
      const TLineCut line2 = LineCut(b.x, b.y, d.x, d.y, b.z, d.z, L);
      const TLineCut line3 = LineCut(d.x, d.y, a.x, a.y, d.z, a.z, L);
      if (!line1.Found && line2.Found && line3.Found) AddContourLine(c, i, line2, line3);
      if (!line2.Found && line1.Found && line3.Found) AddContourLine(c, i, line1, line3);
      if (!line3.Found && line1.Found && line2.Found) AddContourLine(c, i, line1, line2);
    }
}

inline bool Endpunkt(const TContourSetup& c, size_t k, int32_t ep) {
  int n = 0;
  for (const TLine& s : c.Contours[k])
    if (s.sp == ep || s.ep == ep) ++n;
  return n == 1;
}

inline void SortContourLines(TContourSetup& c) {
  auto SwapAE = [](TLine& HL) { std::swap(HL.sp, HL.ep); };
  auto ln = [&](int32_t p) -> int8_t& { return c.Points[static_cast<size_t>(p)].ln; };
  const size_t nlev = c.Levels.size();
  for (size_t i = 0; i < nlev; ++i) {
    std::vector<TLine>& C = c.Contours[i];
    const auto H = static_cast<int32_t>(C.size()) - 1;
    for (int32_t j = 0; j <= H; ++j) {
      if (Endpunkt(c, i, C[j].sp)) {
        C[j].AE = u'A';
        ln(C[j].sp) = 1;
      }
      if (Endpunkt(c, i, C[j].ep)) {
        C[j].AE = u'A';
        ln(C[j].ep) = 1;
      }
    }
    int32_t counter = 0;
    for (int32_t j = 0; j <= H; ++j)
      if (C[j].AE == u'A') {
        std::swap(C[counter], C[j]);
        ++counter;
      }
    for (TLine& s : C)
      if (s.AE != u'A') s.AE = 0;
  }
  for (size_t i = 0; i < nlev; ++i) {
    std::vector<TLine>& C = c.Contours[i];
    if (C.empty()) continue;
    const auto H = static_cast<int32_t>(C.size()) - 1;
    auto successor = [&](int32_t j) {
      for (int32_t k = 0; k <= H; ++k)
        if (k != j && (C[k].sp == C[j].ep || C[k].ep == C[j].ep)) return k;
      return int32_t{-1};
    };
    auto SwapHLPolY = [&](int32_t j, int32_t k) {
      if (j != k) std::swap(C[j], C[k]);
    };
    int32_t j = 0;
    do {
      while (j < H && C[j].AE != u'A') ++j;
      if (C[j].AE == u'A') {
        if (ln(C[j].sp) != 1) SwapAE(C[j]);
        for (;;) {
          const int32_t k = successor(j);
          if (k < 0) break;
          if (C[k].ep == C[j].ep) SwapAE(C[k]);
          ++j;
          if (j < H) SwapHLPolY(j, k);
          if (j >= H || ln(C[j].ep) == 1) break;
        }
        if (j < H && ln(C[j].ep) == 1) C[j].AE = u'E';
      }
      ++j;
    } while (j <= H);
    int32_t m = 0;
    for (int32_t x = H; x >= 1; --x)
      if (C[x].AE != 0) {
        m = x;
        break;
      }
    j = m + 1;
    int32_t ia = j;
    while (j <= H) {
      const int32_t k = successor(j);
      if (k >= 0 && k != ia) {
        if (C[k].ep == C[j].ep) SwapAE(C[k]);
        if (j < H) SwapHLPolY(j + 1, k);
      }
      if (k >= 0 && k == ia) ia = j + 1;
      ++j;
    }
  }
}

// The first difference of two contour states, bit for bit; empty when they
// are the same.
inline std::string ContourDifference(const TContourSetup& a, const TContourSetup& b) {
  auto bits = [](double v) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
  };
  std::ostringstream o;
  o.precision(17);
  if (a.Points.size() != b.Points.size()) {
    o << "point counts " << a.Points.size() << " vs " << b.Points.size();
    return o.str();
  }
  for (size_t i = 0; i < a.Points.size(); ++i) {
    const TPunkt &p = a.Points[i], &q = b.Points[i];
    if (bits(p.X) != bits(q.X) || bits(p.Y) != bits(q.Y) || bits(p.Z) != bits(q.Z) ||
        p.ln != q.ln) {
      o << "point " << i << ": (" << p.X << ", " << p.Y << ", ln " << int(p.ln) << ") vs ("
        << q.X << ", " << q.Y << ", ln " << int(q.ln) << ")";
      return o.str();
    }
  }
  if (a.Contours.size() != b.Contours.size()) {
    o << "level lists " << a.Contours.size() << " vs " << b.Contours.size();
    return o.str();
  }
  for (size_t i = 0; i < a.Contours.size(); ++i) {
    if (a.Contours[i].size() != b.Contours[i].size()) {
      o << "level " << i << ": " << a.Contours[i].size() << " vs " << b.Contours[i].size()
        << " segments";
      return o.str();
    }
    for (size_t k = 0; k < a.Contours[i].size(); ++k) {
      const TLine &s = a.Contours[i][k], &t = b.Contours[i][k];
      if (s.sp != t.sp || s.ep != t.ep || s.AE != t.AE) {
        o << "level " << i << " position " << k << ": (" << s.sp << "," << s.ep << ","
          << int(s.AE) << ") vs (" << t.sp << "," << t.ep << "," << int(t.AE) << ")";
        return o.str();
      }
    }
  }
  return "";
}

}  // namespace zelmaro::testing::contour_ref
