#include "mesh/edge_canceller.h"

#include <algorithm>

namespace Delaunay {

void EdgeCanceller::Cancel(std::vector<int32_t>& edges) {
  const size_t n = edges.size() / 2;
  if (n < 2) return;
  int bits = 4;
  while ((size_t{1} << bits) < 2 * n) ++bits;
  const size_t size = size_t{1} << bits, mask = size - 1;
  if (table_.size() < size) table_.resize(size);
  std::fill_n(table_.begin(), size, -1);
  pairs_.clear();
  next_.resize(n);
  for (size_t k = 0; k < n; ++k) {
    const int32_t a = edges[2 * k], b = edges[2 * k + 1];
    const int32_t lo = std::min(a, b), hi = std::max(a, b);
    const uint64_t key = (uint64_t{static_cast<uint32_t>(lo)} << 32) | static_cast<uint32_t>(hi);
    size_t h = static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    int32_t c;
    while ((c = table_[h]) >= 0 &&
           (pairs_[static_cast<size_t>(c)].lo != lo || pairs_[static_cast<size_t>(c)].hi != hi))
      h = (h + 1) & mask;
    const int32_t kk = static_cast<int32_t>(k);
    next_[k] = -1;
    if (c < 0) {
      table_[h] = static_cast<int32_t>(pairs_.size());
      pairs_.push_back(Pair{lo, hi, kk, kk});
      continue;
    }
    Pair& p = pairs_[static_cast<size_t>(c)];
    if (p.head < 0) {
      p.head = p.tail = kk;
    } else if (edges[2 * static_cast<size_t>(p.head)] == a) {
      next_[static_cast<size_t>(p.tail)] = kk;  // same way: waits as well
      p.tail = kk;
    } else {
      const size_t j = static_cast<size_t>(p.head);
      p.head = next_[j];
      if (p.head < 0) p.tail = -1;
      edges[2 * j] = edges[2 * j + 1] = edges[2 * k] = edges[2 * k + 1] = 0;
    }
  }
}

}  // namespace Delaunay
