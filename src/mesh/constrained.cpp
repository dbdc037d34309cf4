#include "mesh/constrained.h"

#include <deque>
#include <unordered_set>

namespace Delaunay {

namespace {
using ext = long double;

// Half-edge h = 3 (t - 1) + k runs from corner k of triangle t to corner
// k + 1; its twin runs the other way in the neighbour, -1 on the outline.
class HalfEdges {
 public:
  explicit HalfEdges(TDelaunay& mesh) : mesh_(mesh) {
    const size_t n = static_cast<size_t>(mesh.HowMany) * 3;
    V_.resize(n);
    for (int32_t t = 1; t <= mesh.HowMany; ++t) {
      const dTriangle& tr = mesh.Triangle[t];
      const size_t b = static_cast<size_t>(t - 1) * 3;
      V_[b] = tr.vv0, V_[b + 1] = tr.vv1, V_[b + 2] = tr.vv2;
    }
    changed_.assign(static_cast<size_t>(mesh.HowMany), 0);
    const size_t nv = static_cast<size_t>(mesh.tPoints) + 3;
    // Outgoing half-edges by vertex, to find each twin among a few.
    std::vector<int32_t> start(nv + 1, 0), out(n);
    for (size_t h = 0; h < n; ++h) ++start[static_cast<size_t>(V_[h]) + 1];
    for (size_t v = 0; v < nv; ++v) start[v + 1] += start[v];
    std::vector<int32_t> fill(start.begin(), start.end() - 1);
    for (size_t h = 0; h < n; ++h) out[static_cast<size_t>(fill[static_cast<size_t>(V_[h])]++)] = static_cast<int32_t>(h);
    twin_.assign(n, -1);
    vout_.assign(nv, -1);
    for (size_t h = 0; h < n; ++h) {
      const int32_t a = V_[h], b = Target(static_cast<int32_t>(h));
      vout_[static_cast<size_t>(a)] = static_cast<int32_t>(h);
      for (int32_t k = start[static_cast<size_t>(b)]; k < start[static_cast<size_t>(b) + 1]; ++k) {
        const int32_t g = out[static_cast<size_t>(k)];
        if (Target(g) == a) {
          twin_[h] = g;
          break;
        }
      }
    }
  }

  static int32_t Next(int32_t h) { return h % 3 == 2 ? h - 2 : h + 1; }
  static int32_t Prev(int32_t h) { return h % 3 == 0 ? h + 2 : h - 1; }
  int32_t Origin(int32_t h) const { return V_[static_cast<size_t>(h)]; }
  int32_t Target(int32_t h) const { return V_[static_cast<size_t>(Next(h))]; }
  int32_t Twin(int32_t h) const { return twin_[static_cast<size_t>(h)]; }

  // The half-edges leaving a, around it both ways from the one known.
  void Around(int32_t a, std::vector<int32_t>& out) const {
    out.clear();
    const int32_t first = vout_[static_cast<size_t>(a)];
    if (first < 0) return;
    int32_t h = first;
    do {
      out.push_back(h);
      h = Twin(Prev(h));
    } while (h >= 0 && h != first);
    if (h == first) return;
    for (int32_t g = Twin(first); g >= 0;) {
      h = Next(g);
      if (h == first) break;
      out.push_back(h);
      g = Twin(h);
    }
  }

  int32_t Find(int32_t a, int32_t b) const {
    std::vector<int32_t>& around = scratch_;
    Around(a, around);
    for (int32_t h : around)
      if (Target(h) == b) return h;
    return -1;
  }

  // Edge a-b of triangles (a, b, c) and (b, a, d) becomes c-d, as
  // (d, c, a) and (c, d, b): both keep the turn of the mesh.
  void Flip(int32_t h) {
    const int32_t g = Twin(h);
    const int32_t a = Origin(h), b = Target(h), c = Origin(Prev(h)), d = Origin(Prev(g));
    const int32_t tca = Twin(Prev(h)), tbc = Twin(Next(h)), tad = Twin(Next(g)), tdb = Twin(Prev(g));
    const int32_t b1 = h - h % 3, b2 = g - g % 3;
    Set(b1, d, c, a);
    Set(b2, c, d, b);
    Link(b1, b2);
    Link(b1 + 1, tca);
    Link(b1 + 2, tad);
    Link(b2 + 1, tdb);
    Link(b2 + 2, tbc);
    vout_[static_cast<size_t>(a)] = b1 + 2;
    vout_[static_cast<size_t>(c)] = b1 + 1;
    vout_[static_cast<size_t>(d)] = b2 + 1;
    vout_[static_cast<size_t>(b)] = b2 + 2;
    changed_[static_cast<size_t>(b1 / 3)] = changed_[static_cast<size_t>(b2 / 3)] = 1;
  }

  void WriteBack() {
    for (size_t t = 0; t < changed_.size(); ++t) {
      if (!changed_[t]) continue;
      dTriangle& tr = mesh_.Triangle[t + 1];
      tr.vv0 = V_[3 * t], tr.vv1 = V_[3 * t + 1], tr.vv2 = V_[3 * t + 2];
      tr.PreCalc = 0;
    }
  }

 private:
  void Set(int32_t base, int32_t x, int32_t y, int32_t z) {
    V_[static_cast<size_t>(base)] = x, V_[static_cast<size_t>(base) + 1] = y, V_[static_cast<size_t>(base) + 2] = z;
  }
  void Link(int32_t x, int32_t y) {
    twin_[static_cast<size_t>(x)] = y;
    if (y >= 0) twin_[static_cast<size_t>(y)] = x;
  }

  TDelaunay& mesh_;
  std::vector<int32_t> V_, twin_, vout_;
  std::vector<uint8_t> changed_;
  mutable std::vector<int32_t> scratch_;
};

class Forcer {
 public:
  explicit Forcer(TDelaunay& mesh) : mesh_(mesh), he_(mesh) {}

  bool Force(int32_t a, int32_t b, int depth = 0) {
    if (a == b) return true;
    if (he_.Find(a, b) >= 0 || he_.Find(b, a) >= 0) {
      fixed_.insert(Key(a, b));
      return true;
    }
    // The triangle at a that the segment leaves a through.
    std::vector<int32_t> around;
    he_.Around(a, around);
    int32_t e = -1;
    for (int32_t h : around) {
      const int32_t u = he_.Target(h), w = he_.Origin(He::Prev(h));
      const ext ou = Orient(a, b, u), ow = Orient(a, b, w);
      if (ou == 0 && Ahead(a, b, u)) return depth < 64 && Force(a, u, depth + 1) && Force(u, b, depth + 1);
      if (ow == 0 && Ahead(a, b, w)) return depth < 64 && Force(a, w, depth + 1) && Force(w, b, depth + 1);
      // u and w on either side of the line, and b beyond u-w: the line
      // could also pass through the angle at a backwards.
      if (((ou > 0 && ow < 0) || (ou < 0 && ow > 0)) && Opposite(Orient(u, w, a), Orient(u, w, b))) {
        e = He::Next(h);
        break;
      }
    }
    if (e < 0) return false;
    std::vector<std::pair<int32_t, int32_t>> crossed;
    for (;;) {
      const int32_t x = he_.Origin(e), y = he_.Target(e);
      if (fixed_.count(Key(x, y))) return false;
      crossed.emplace_back(x, y);
      const int32_t g = he_.Twin(e);
      if (g < 0) return false;
      const int32_t p = he_.Origin(He::Prev(g));
      if (p == b) break;
      const ext op = Orient(a, b, p);
      if (op == 0) return depth < 64 && Force(a, p, depth + 1) && Force(p, b, depth + 1);
      // g runs y -> x in (y, x, p); the segment leaves through x-p when p
      // lies on y's side, else through p-y.
      const ext oy = Orient(a, b, y);
      e = (op > 0) == (oy > 0) ? He::Next(g) : He::Prev(g);
      if (crossed.size() > static_cast<size_t>(mesh_.HowMany)) return false;
    }
    // Flip what crosses until nothing does; a quadrilateral that is not
    // convex waits until its neighbours have changed.
    std::deque<std::pair<int32_t, int32_t>> queue(crossed.begin(), crossed.end());
    std::vector<std::pair<int32_t, int32_t>> made;
    const size_t limit = 64 * (queue.size() + 4) * (queue.size() + 4);
    size_t steps = 0;
    while (!queue.empty()) {
      if (++steps > limit) return false;
      const auto [u, w] = queue.front();
      queue.pop_front();
      int32_t h = he_.Find(u, w);
      if (h < 0) h = he_.Find(w, u);
      if (h < 0 || he_.Twin(h) < 0) return false;
      const int32_t g = he_.Twin(h);
      const int32_t hu = he_.Origin(h), hw = he_.Target(h);
      const int32_t c = he_.Origin(He::Prev(h)), d = he_.Origin(He::Prev(g));
      const ext s1 = Orient(c, d, hu), s2 = Orient(c, d, hw);
      if (!((s1 > 0 && s2 < 0) || (s1 < 0 && s2 > 0))) {
        queue.emplace_back(u, w);
        continue;
      }
      he_.Flip(h);
      if (ProperCross(a, b, c, d))
        queue.emplace_back(c, d);
      else
        made.emplace_back(c, d);
    }
    fixed_.insert(Key(a, b));
    // Back towards Delaunay, the forced segments kept. Each flip makes the
    // mesh more Delaunay, so this ends; the bound only guards against
    // rounding that could make two near-cocircular flips undo each other.
    size_t flips = 0;
    const size_t max_flips = 1000 + 64 * made.size() * made.size();
    for (bool again = true; again && flips < max_flips;) {
      again = false;
      for (auto& [u, w] : made) {
        if (fixed_.count(Key(u, w))) continue;
        int32_t h = he_.Find(u, w);
        if (h < 0) h = he_.Find(w, u);
        if (h < 0 || he_.Twin(h) < 0) continue;
        const int32_t g = he_.Twin(h);
        const int32_t c = he_.Origin(He::Prev(h)), d = he_.Origin(He::Prev(g));
        if (!InCircle(he_.Origin(h), he_.Target(h), c, d)) continue;
        const ext s1 = Orient(c, d, he_.Origin(h)), s2 = Orient(c, d, he_.Target(h));
        if (!((s1 > 0 && s2 < 0) || (s1 < 0 && s2 > 0))) continue;
        he_.Flip(h);
        u = c, w = d;
        again = true;
        ++flips;
      }
    }
    return true;
  }

  void Finish() { he_.WriteBack(); }

 private:
  using He = HalfEdges;
  static uint64_t Key(int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    return static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32 | static_cast<uint32_t>(b);
  }
  ext Orient(int32_t p, int32_t q, int32_t r) const {
    const dVertex &a = mesh_.Vertex[static_cast<size_t>(p)], &b = mesh_.Vertex[static_cast<size_t>(q)],
                  &c = mesh_.Vertex[static_cast<size_t>(r)];
    return (ext(b.x) - a.x) * (ext(c.y) - a.y) - (ext(b.y) - a.y) * (ext(c.x) - a.x);
  }
  bool Ahead(int32_t a, int32_t b, int32_t u) const {
    const dVertex &pa = mesh_.Vertex[static_cast<size_t>(a)], &pb = mesh_.Vertex[static_cast<size_t>(b)],
                  &pu = mesh_.Vertex[static_cast<size_t>(u)];
    return (ext(pb.x) - pa.x) * (ext(pu.x) - pa.x) + (ext(pb.y) - pa.y) * (ext(pu.y) - pa.y) > 0;
  }
  static bool Opposite(ext x, ext y) { return (x > 0 && y < 0) || (x < 0 && y > 0); }
  bool ProperCross(int32_t a, int32_t b, int32_t c, int32_t d) const {
    if (c == a || c == b || d == a || d == b) return false;
    const ext o1 = Orient(a, b, c), o2 = Orient(a, b, d), o3 = Orient(c, d, a), o4 = Orient(c, d, b);
    return ((o1 > 0 && o2 < 0) || (o1 < 0 && o2 > 0)) && ((o3 > 0 && o4 < 0) || (o3 < 0 && o4 > 0));
  }
  // Whether d lies strictly inside the circle through the triangle (a, b, c).
  bool InCircle(int32_t a, int32_t b, int32_t c, int32_t d) const {
    const dVertex &pa = mesh_.Vertex[static_cast<size_t>(a)], &pb = mesh_.Vertex[static_cast<size_t>(b)],
                  &pc = mesh_.Vertex[static_cast<size_t>(c)], &pd = mesh_.Vertex[static_cast<size_t>(d)];
    const ext adx = ext(pa.x) - pd.x, ady = ext(pa.y) - pd.y, bdx = ext(pb.x) - pd.x,
              bdy = ext(pb.y) - pd.y, cdx = ext(pc.x) - pd.x, cdy = ext(pc.y) - pd.y;
    const ext det = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) -
                    (bdx * bdx + bdy * bdy) * (adx * cdy - cdx * ady) +
                    (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
    // Positive inside for a counter-clockwise (a, b, c); the sign follows the turn.
    return Orient(a, b, c) > 0 ? det > 0 : det < 0;
  }

  TDelaunay& mesh_;
  HalfEdges he_;
  std::unordered_set<uint64_t> fixed_;
};

}  // namespace

ConstraintResult ForceEdges(TDelaunay& mesh, const std::vector<std::pair<int32_t, int32_t>>& segments) {
  ConstraintResult r;
  if (segments.empty() || mesh.HowMany <= 0) {
    r.failed = segments;
    return r;
  }
  Forcer f(mesh);
  for (const auto& [a, b] : segments) {
    if (f.Force(a, b))
      ++r.forced;
    else
      r.failed.emplace_back(a, b);
  }
  f.Finish();
  return r;
}

}  // namespace Delaunay
