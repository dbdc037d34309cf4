#include "export/contour_join.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <unordered_map>

namespace zelmaro {

namespace {

using Delaunay::ContourPolyline;

// Places compare by their exact coordinates: the contour points are pooled,
// but two pool entries may still hold the same place.
struct Place {
  double x, y;
  bool operator==(const Place& o) const { return x == o.x && y == o.y; }
};

struct PlaceHash {
  size_t operator()(const Place& p) const {
    uint64_t a, b;
    std::memcpy(&a, &p.x, sizeof a);
    std::memcpy(&b, &p.y, sizeof b);
    return std::hash<uint64_t>()(a * 0x9E3779B97F4A7C15ULL ^ b);
  }
};

class LevelJoiner {
 public:
  explicit LevelJoiner(const Delaunay::TContourSetup& c) : c_(c) {}

  Place At(int32_t i) const {
    const Delaunay::TPunkt& p = c_.Points[static_cast<size_t>(i)];
    return {p.X, p.Y};
  }

  // The piece without its zero-length steps; empty when nothing is left.
  std::vector<int32_t> Clean(const ContourPolyline& piece) const {
    std::vector<int32_t> out;
    for (int32_t i : piece.points)
      if (out.empty() || !(At(out.back()) == At(i))) out.push_back(i);
    if (piece.closed && out.size() > 1 && At(out.front()) == At(out.back())) out.pop_back();
    if (out.size() < 2) out.clear();
    return out;
  }

  void Join(int32_t level, const std::vector<const ContourPolyline*>& pieces,
            std::vector<ContourPolyline>& out) {
    std::vector<std::vector<int32_t>> open;
    for (const ContourPolyline* p : pieces) {
      std::vector<int32_t> pts = Clean(*p);
      if (pts.empty()) continue;
      if (p->closed && pts.size() > 2) {
        out.push_back({level, std::move(pts), true});
        continue;
      }
      open.push_back(std::move(pts));
    }
    // Every open end by its place.
    std::unordered_multimap<Place, size_t, PlaceHash> ends;
    ends.reserve(open.size() * 2);
    for (size_t k = 0; k < open.size(); ++k) {
      ends.emplace(At(open[k].front()), k);
      ends.emplace(At(open[k].back()), k);
    }
    std::vector<bool> used(open.size(), false);
    auto take = [&](const Place& at) -> long {
      auto [lo, hi] = ends.equal_range(at);
      for (auto it = lo; it != hi; ++it)
        if (!used[it->second]) return static_cast<long>(it->second);
      return -1;
    };
    for (size_t k = 0; k < open.size(); ++k) {
      if (used[k]) continue;
      used[k] = true;
      std::vector<int32_t> line = std::move(open[k]);
      // Forwards from its end, then backwards from its start.
      for (int side = 0; side < 2; ++side) {
        for (;;) {
          if (line.size() > 2 && At(line.front()) == At(line.back())) break;
          const long n = take(At(line.back()));
          if (n < 0) break;
          used[static_cast<size_t>(n)] = true;
          std::vector<int32_t>& next = open[static_cast<size_t>(n)];
          if (!(At(next.front()) == At(line.back()))) std::reverse(next.begin(), next.end());
          line.insert(line.end(), next.begin() + 1, next.end());
        }
        std::reverse(line.begin(), line.end());
      }
      ContourPolyline joined{level, std::move(line), false};
      if (joined.points.size() > 3 && At(joined.points.front()) == At(joined.points.back())) {
        joined.points.pop_back();
        joined.closed = true;
      }
      out.push_back(std::move(joined));
    }
  }

 private:
  const Delaunay::TContourSetup& c_;
};

}  // namespace

std::vector<ContourPolyline> JoinContourPieces(const Delaunay::TContourSetup& c,
                                               const std::vector<ContourPolyline>& pieces) {
  std::map<int32_t, std::vector<const ContourPolyline*>> by_level;
  for (const ContourPolyline& p : pieces) by_level[p.level].push_back(&p);
  std::vector<ContourPolyline> out;
  out.reserve(pieces.size());
  LevelJoiner joiner(c);
  for (const auto& [level, list] : by_level) joiner.Join(level, list, out);
  return out;
}

}  // namespace zelmaro
