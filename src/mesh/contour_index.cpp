#include "mesh/contour_index.h"

#include <cmath>

namespace Delaunay {

namespace {
constexpr size_t kInitialSlots = 64;  // a power of two
}

CellChains::CellChains() : slots_(kInitialSlots, Slot{0, 0, -1}), mask_(kInitialSlots - 1) {}

int64_t CellChains::Cell(double v) {
  // 50 cells per unit: cells of 0.02, twice the window. The product rounds
  // monotonically, so two coordinates at most 0.01 apart still land in the
  // same or in adjacent cells; far out, where doubles are coarser than the
  // window, such coordinates are equal anyway.
  const double c = std::floor(v * 50.0);
  if (!(c > -4e18)) return -4000000000000000000;
  if (!(c < 4e18)) return 4000000000000000000;
  return static_cast<int64_t>(c);
}

void CellChains::Span(double v, int64_t& lo, int64_t& hi) {
  const int64_t c = Cell(v);
  lo = c - 1;
  hi = c + 1;
  // The window is half a cell wide on each side. Within 1e9 of the origin
  // the scaled coordinate is exact to far better than the 0.01 cell kept as
  // margin; beyond, all three cells are looked at.
  if (std::fabs(v) < 1e9) {
    const double scaled = v * 50.0;
    const double f = scaled - std::floor(scaled);
    if (f >= 0.51) lo = c;
    if (f <= 0.49) hi = c;
  }
}

uint64_t CellChains::Hash(int64_t cx, int64_t cy) {
  uint64_t h = static_cast<uint64_t>(cx) * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<uint64_t>(cy) + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2);
  h ^= h >> 31;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 29;
  return h;
}

size_t CellChains::Find(int64_t cx, int64_t cy) const {
  // Blocks of 4 x 4 cells share one run of 16 slots: the cells of one query
  // and of the next triangle's query are mostly in the same cache lines.
  const uint64_t block = Hash(cx >> 2, cy >> 2) << 4;
  size_t i = static_cast<size_t>(block | static_cast<uint64_t>(((cx & 3) << 2) | (cy & 3))) & mask_;
  while (slots_[i].head >= 0 && (slots_[i].cx != cx || slots_[i].cy != cy)) i = (i + 1) & mask_;
  return i;
}

void CellChains::Reserve(size_t items) {
  size_t want = slots_.size();
  while (want < items * 3) want *= 2;
  if (want > slots_.size()) Grow(want);
  item_.reserve(items);
  next_.reserve(items);
}

void CellChains::Grow(size_t size) {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(size, Slot{0, 0, -1});
  mask_ = slots_.size() - 1;
  occupied_.clear();
  for (const Slot& s : old)
    if (s.head >= 0) {
      const size_t i = Find(s.cx, s.cy);
      slots_[i] = s;
      occupied_.push_back(i);
    }
}

void CellChains::Clear() {
  // Only the slots in use are reset: a level with few segments after one
  // with many must not pay for the large table.
  for (size_t i : occupied_) slots_[i].head = -1;
  occupied_.clear();
  item_.clear();
  next_.clear();
}

void CellChains::Insert(double x, double y, int32_t item) {
  if ((occupied_.size() + 1) * 3 > slots_.size()) Grow(slots_.size() * 2);  // at most a third in use: misses end fast
  const int64_t cx = Cell(x), cy = Cell(y);
  const size_t i = Find(cx, cy);
  Slot& s = slots_[i];
  if (s.head < 0) {
    s.cx = cx;
    s.cy = cy;
    occupied_.push_back(i);
  }
  const auto e = static_cast<int32_t>(item_.size());
  item_.push_back(item);
  next_.push_back(s.head);
  s.head = e;
}

void PointPositions::Build(const std::vector<TLine>& segs, size_t points) {
  if (count_.size() < points) {
    count_.resize(points, 0);
    start_.resize(points, 0);
  }
  for (const TLine& s : segs) {
    if (count_[static_cast<size_t>(s.sp)]++ == 0) touched_.push_back(s.sp);
    if (s.ep != s.sp && count_[static_cast<size_t>(s.ep)]++ == 0) touched_.push_back(s.ep);
  }
  size_t end = 0;
  for (int32_t p : touched_) {
    end += static_cast<size_t>(count_[static_cast<size_t>(p)]);
    start_[static_cast<size_t>(p)] = end;
  }
  pos_.assign(end, 0);
  // Filled from the back, which leaves each start_ at its group's first slot.
  for (size_t j = segs.size(); j-- > 0;) {
    const TLine& s = segs[j];
    pos_[--start_[static_cast<size_t>(s.sp)]] = static_cast<int32_t>(j);
    if (s.ep != s.sp) pos_[--start_[static_cast<size_t>(s.ep)]] = static_cast<int32_t>(j);
  }
}

void PointPositions::Reset() {
  for (int32_t p : touched_) count_[static_cast<size_t>(p)] = 0;
  touched_.clear();
  pos_.clear();
}

int32_t PointPositions::LowestOther(int32_t p, int32_t j) const {
  const size_t b = start_[static_cast<size_t>(p)];
  const size_t e = b + static_cast<size_t>(count_[static_cast<size_t>(p)]);
  int32_t best = -1;
  for (size_t i = b; i < e; ++i) {
    const int32_t k = pos_[i];
    if (k != j && (best < 0 || k < best)) best = k;
  }
  return best;
}

void PointPositions::Move(int32_t p, int32_t from, int32_t to) {
  const size_t b = start_[static_cast<size_t>(p)];
  const size_t e = b + static_cast<size_t>(count_[static_cast<size_t>(p)]);
  for (size_t i = b; i < e; ++i)
    if (pos_[i] == from) {
      pos_[i] = to;
      return;
    }
}

void PointPositions::Exchange(const TLine& a, int32_t j, const TLine& b, int32_t k) {
  if (j == k) return;
  // A point of both segments keeps both positions; only the others move.
  auto in = [](int32_t p, const TLine& s) { return p == s.sp || p == s.ep; };
  if (!in(a.sp, b)) Move(a.sp, j, k);
  if (a.ep != a.sp && !in(a.ep, b)) Move(a.ep, j, k);
  if (!in(b.sp, a)) Move(b.sp, k, j);
  if (b.ep != b.sp && !in(b.ep, a)) Move(b.ep, k, j);
}

}  // namespace Delaunay
