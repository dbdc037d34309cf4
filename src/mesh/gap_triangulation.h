#pragma once
// The triangulation of the gap between a mesh and the convex hull of its
// points, on the exact predicates of micro_predicates.h.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

#include "mesh/micro_predicates.h"

namespace Delaunay::exact {

// A triangulation with neighbours, for the gap: corners counter-clockwise,
// edge i runs from v[i] to v[i + 1], nb[i] is the triangle across it (−1 on
// the hull) and bit i of fixed marks a boundary edge of the mesh, which no
// flip may remove.
struct Tri {
  int32_t v[3];
  int32_t nb[3];
  uint8_t fixed;
};

inline int Next(int i) { return i == 2 ? 0 : i + 1; }
inline int Prev(int i) { return i == 0 ? 2 : i - 1; }

class GapTriangulation {
 public:
  explicit GapTriangulation(std::vector<IPt> pts)
      : p_(std::move(pts)), vtri_(p_.size(), -1), next_(p_.size(), -1), prev_(p_.size(), -1),
        hedge_(p_.size(), -1) {}

  // Sweep over the points in (x, y) order: each new point lies outside the
  // hull of those before it and is joined to every hull edge it sees.
  bool Build() {
    std::vector<int32_t> order(p_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
    std::sort(order.begin(), order.end(),
              [&](int32_t a, int32_t b) { return LexLess(p_[size_t(a)], p_[size_t(b)]); });
    const size_t m = order.size();
    if (m < 3) return false;
    size_t k = 2;
    while (k < m && Orient(P(order[0]), P(order[1]), P(order[k])) == 0) ++k;
    if (k == m) return false;  // all on one line: nothing to triangulate
    const int32_t q = order[k];
    const bool left = Orient(P(order[0]), P(order[1]), P(q)) > 0;
    // The points before q lie on one line, in order; q fans them.
    for (size_t i = 0; i + 1 < k; ++i) {
      const int32_t a = order[i], b = order[i + 1];
      const int32_t t = left ? NewTri(a, b, q) : NewTri(b, a, q);
      if (i > 0) Link(t - 1, left ? 1 : 2, t, left ? 2 : 1);
    }
    const int32_t lastFan = static_cast<int32_t>(k) - 2;
    if (left) {
      for (size_t i = 0; i + 1 < k; ++i) SetHullEdge(order[i], order[i + 1], int32_t(i), 0);
      SetHullEdge(order[k - 1], q, lastFan, 1);
      SetHullEdge(q, order[0], 0, 2);
    } else {
      for (size_t i = 0; i + 1 < k; ++i) SetHullEdge(order[i + 1], order[i], int32_t(i), 0);
      SetHullEdge(order[0], q, 0, 1);
      SetHullEdge(q, order[k - 1], lastFan, 2);
    }
    int32_t last = q;
    for (size_t i = k + 1; i < m; ++i) {
      if (!Insert(order[i], last)) return false;
      last = order[i];
    }
    return true;
  }

  // Flips every flippable edge between two triangles that `free` admits
  // until each such edge is locally Delaunay.
  template <class Free>
  void MakeDelaunay(Free free) {
    std::vector<std::pair<int32_t, int>> stack;
    for (int32_t t = 0; t < Count(); ++t)
      for (int i = 0; i < 3; ++i)
        if (t_[size_t(t)].nb[i] > t && free(t) && free(t_[size_t(t)].nb[i])) stack.push_back({t, i});
    // Exact orientation keeps every flip valid; the budget only guards
    // against the in-circle margin letting a ring of flips come round.
    int64_t budget = 64 * int64_t(Count()) + 100000;
    while (!stack.empty() && budget-- > 0) {
      const auto [t, i] = stack.back();
      stack.pop_back();
      const Tri& T = t_[size_t(t)];
      const int32_t u = T.nb[i];
      if (u < 0 || (T.fixed >> i & 1) || !free(t) || !free(u)) continue;
      const int32_t d = Opposite(t, i);
      if (!ClearlyInCircle(P(T.v[0]), P(T.v[1]), P(T.v[2]), P(d)) || !CanFlip(t, i)) continue;
      Flip(t, i);
      stack.push_back({t, 0});
      stack.push_back({t, 1});
      stack.push_back({u, 0});
      stack.push_back({u, 1});
    }
  }

  // Makes the segment a→b an edge and marks it fixed on both sides. False
  // when it cannot be: a point on it, or a fixed edge across it.
  bool Enforce(int32_t a, int32_t b) {
    if (!HasEdge(a, b)) {
      std::deque<std::pair<int32_t, int32_t>> crossing;
      if (!CrossingEdges(a, b, crossing)) return false;
      int64_t budget = 64 * int64_t(crossing.size()) * int64_t(crossing.size()) + 1000;
      while (!crossing.empty()) {
        if (budget-- <= 0) return false;
        const auto [u, w] = crossing.front();
        crossing.pop_front();
        int32_t t;
        int i;
        if (!FindEdge(u, w, t, i) && !FindEdge(w, u, t, i)) return false;
        if (t_[size_t(t)].fixed >> i & 1) return false;
        if (!CanFlip(t, i)) {
          crossing.push_back({u, w});
          continue;
        }
        Flip(t, i);
        // After the flip triangle t is (c, a', d): its new edge is v[2]–v[0].
        const int32_t c = t_[size_t(t)].v[0], d = t_[size_t(t)].v[2];
        if (Crosses(a, b, c, d)) crossing.push_back({c, d});
      }
    }
    int32_t t;
    int i;
    if (FindEdge(a, b, t, i)) t_[size_t(t)].fixed |= uint8_t(1u << i);
    else if (!FindEdge(b, a, t, i)) return false;
    if (FindEdge(b, a, t, i)) t_[size_t(t)].fixed |= uint8_t(1u << i);
    return true;
  }

  // The triangle left of the directed edge a→b, −1 when there is none.
  int32_t LeftOf(int32_t a, int32_t b) {
    int32_t t;
    int i;
    return FindEdge(a, b, t, i) ? t : -1;
  }

  int32_t Count() const { return static_cast<int32_t>(t_.size()); }
  const Tri& T(int32_t t) const { return t_[size_t(t)]; }
  const IPt& P(int32_t v) const { return p_[size_t(v)]; }

  // Hull corners in counter-clockwise order, points on its edges included.
  std::vector<int32_t> Hull() const {
    std::vector<int32_t> h;
    int32_t start = -1;
    for (size_t v = 0; v < next_.size() && start < 0; ++v)
      if (next_[v] >= 0) start = int32_t(v);
    if (start < 0) return h;
    int32_t v = start;
    do {
      h.push_back(v);
      v = next_[size_t(v)];
    } while (v != start && h.size() <= next_.size());
    return h;
  }

 private:
  int32_t NewTri(int32_t a, int32_t b, int32_t c) {
    t_.push_back(Tri{{a, b, c}, {-1, -1, -1}, 0});
    const int32_t t = Count() - 1;
    vtri_[size_t(a)] = vtri_[size_t(b)] = vtri_[size_t(c)] = t;
    return t;
  }
  void Link(int32_t t, int i, int32_t u, int j) {
    t_[size_t(t)].nb[i] = u;
    t_[size_t(u)].nb[j] = t;
  }
  void SetHullEdge(int32_t from, int32_t to, int32_t t, int i) {
    next_[size_t(from)] = to;
    prev_[size_t(to)] = from;
    hedge_[size_t(from)] = t * 3 + i;
  }
  int32_t Opposite(int32_t t, int i) const {
    const Tri& T = t_[size_t(t)];
    const Tri& U = t_[size_t(T.nb[i])];
    for (int j = 0; j < 3; ++j)
      if (U.nb[j] == t) return U.v[Prev(j)];
    return -1;
  }

  bool Insert(int32_t p, int32_t last) {
    auto sees = [&](int32_t u) { return Orient(P(u), P(next_[size_t(u)]), P(p)) < 0; };
    int32_t s = -1;
    if (sees(last)) {
      s = last;
    } else if (sees(prev_[size_t(last)])) {
      s = prev_[size_t(last)];
    } else {
      for (int32_t u = next_[size_t(last)]; u != last; u = next_[size_t(u)])
        if (sees(u)) {
          s = u;
          break;
        }
    }
    if (s < 0) return false;
    int32_t e = next_[size_t(s)];
    // A point outside a convex hull never sees all of it; the guard only
    // keeps a broken hull from walking round for ever.
    int64_t guard = int64_t(p_.size());
    while (sees(prev_[size_t(s)]) && --guard > 0) s = prev_[size_t(s)];
    while (sees(e) && --guard > 0) e = next_[size_t(e)];
    if (guard <= 0 || s == e) return false;
    int32_t first = -1, before = -1;
    for (int32_t u = s; u != e;) {
      const int32_t w = next_[size_t(u)];
      const int32_t t = NewTri(w, u, p);
      const int32_t h = hedge_[size_t(u)];
      Link(t, 0, h / 3, h % 3);
      if (before >= 0)
        Link(before, 2, t, 1);
      else
        first = t;
      before = t;
      next_[size_t(u)] = -1;
      u = w;
    }
    SetHullEdge(s, p, first, 1);
    SetHullEdge(p, e, before, 2);
    return true;
  }

  bool CanFlip(int32_t t, int i) const {
    const Tri& T = t_[size_t(t)];
    if (T.nb[i] < 0) return false;
    const int32_t a = T.v[i], b = T.v[Next(i)], c = T.v[Prev(i)], d = Opposite(t, i);
    return Orient(P(c), P(a), P(d)) > 0 && Orient(P(d), P(b), P(c)) > 0;
  }

  void Replace(int32_t t, int32_t from, int32_t to) {
    if (t < 0) return;
    for (int k = 0; k < 3; ++k)
      if (t_[size_t(t)].nb[k] == from) {
        t_[size_t(t)].nb[k] = to;
        return;
      }
  }

  // (a, b, c) and (b, a, d) become (c, a, d) and (d, b, c).
  void Flip(int32_t t, int i) {
    Tri& T = t_[size_t(t)];
    const int32_t u = T.nb[i];
    Tri& U = t_[size_t(u)];
    int j = 0;
    while (U.nb[j] != t) ++j;
    const int32_t a = T.v[i], b = T.v[Next(i)], c = T.v[Prev(i)], d = U.v[Prev(j)];
    const int32_t nbc = T.nb[Next(i)], nca = T.nb[Prev(i)];
    const int32_t nad = U.nb[Next(j)], ndb = U.nb[Prev(j)];
    const uint8_t fbc = T.fixed >> Next(i) & 1, fca = T.fixed >> Prev(i) & 1;
    const uint8_t fad = U.fixed >> Next(j) & 1, fdb = U.fixed >> Prev(j) & 1;
    T = Tri{{c, a, d}, {nca, nad, u}, uint8_t(fca | fad << 1)};
    U = Tri{{d, b, c}, {ndb, nbc, t}, uint8_t(fdb | fbc << 1)};
    Replace(nad, u, t);
    Replace(nbc, t, u);
    vtri_[size_t(a)] = vtri_[size_t(c)] = vtri_[size_t(d)] = t;
    vtri_[size_t(b)] = u;
  }

  // The triangles around v, counter-clockwise where the star is closed.
  void Star(int32_t v, std::vector<int32_t>& out) const {
    out.clear();
    const int32_t start = vtri_[size_t(v)];
    if (start < 0) return;
    auto corner = [&](int32_t t) {
      for (int k = 0; k < 3; ++k)
        if (t_[size_t(t)].v[k] == v) return k;
      return -1;
    };
    int32_t t = start;
    do {
      out.push_back(t);
      t = t_[size_t(t)].nb[Prev(corner(t))];
    } while (t >= 0 && t != start && out.size() <= t_.size());
    if (t == start) return;
    for (t = t_[size_t(start)].nb[corner(start)]; t >= 0 && out.size() <= t_.size();
         t = t_[size_t(t)].nb[corner(t)])
      out.push_back(t);
  }

  bool FindEdge(int32_t a, int32_t b, int32_t& t, int& i) {
    Star(a, star_);
    for (int32_t s : star_)
      for (int k = 0; k < 3; ++k)
        if (t_[size_t(s)].v[k] == a && t_[size_t(s)].v[Next(k)] == b) {
          t = s;
          i = k;
          return true;
        }
    return false;
  }
  bool HasEdge(int32_t a, int32_t b) {
    int32_t t;
    int i;
    return FindEdge(a, b, t, i) || FindEdge(b, a, t, i);
  }

  bool Crosses(int32_t a, int32_t b, int32_t c, int32_t d) const {
    return Orient(P(a), P(b), P(c)) * Orient(P(a), P(b), P(d)) < 0 &&
           Orient(P(c), P(d), P(a)) * Orient(P(c), P(d), P(b)) < 0;
  }

  // The edges that the segment a→b crosses, walking from a to b.
  bool CrossingEdges(int32_t a, int32_t b, std::deque<std::pair<int32_t, int32_t>>& out) {
    Star(a, star_);
    int32_t cur = -1;
    int e = 0;
    for (int32_t s : star_) {
      const Tri& S = t_[size_t(s)];
      int k = 0;
      while (S.v[k] != a) ++k;
      const int32_t v1 = S.v[Next(k)], v2 = S.v[Prev(k)];
      for (int32_t w : {v1, v2}) {
        // A point on the segment: the mesh's edge would run through it.
        const IPt &pa = P(a), &pb = P(b), &pw = P(w);
        if (Orient(pa, pb, pw) == 0 &&
            (i128(pw.x) - pa.x) * (i128(pb.x) - pa.x) + (i128(pw.y) - pa.y) * (i128(pb.y) - pa.y) > 0)
          return false;
      }
      if (Orient(P(a), P(v1), P(b)) > 0 && Orient(P(a), P(v2), P(b)) < 0) {
        cur = s;
        e = Next(k);
        break;
      }
    }
    if (cur < 0) return false;
    for (size_t guard = 0; guard <= t_.size(); ++guard) {
      const Tri& C = t_[size_t(cur)];
      if (C.fixed >> e & 1) return false;
      const int32_t r = C.v[e], l = C.v[Next(e)];
      out.push_back({r, l});
      const int32_t n = C.nb[e];
      if (n < 0) return false;
      const Tri& N = t_[size_t(n)];
      int f = 0;
      while (N.nb[f] != cur) ++f;
      const int32_t w = N.v[Prev(f)];
      if (w == b) return true;
      const int o = Orient(P(a), P(b), P(w));
      if (o == 0) return false;
      e = o > 0 ? Next(f) : Prev(f);
      cur = n;
    }
    return false;
  }

  std::vector<IPt> p_;
  std::vector<Tri> t_;
  std::vector<int32_t> vtri_;
  std::vector<int32_t> next_, prev_;  // the hull, counter-clockwise
  std::vector<int32_t> hedge_;        // triangle * 3 + edge of the hull edge from v
  std::vector<int32_t> star_;
};

}  // namespace Delaunay::exact
