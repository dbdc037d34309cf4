#pragma once
// Lookup structures of the contour computation. They answer exactly what the
// straightforward scans over all points or all segments would answer, only
// without visiting everything.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "mesh/delaunay.h"

namespace Delaunay {

// Square cells of 0.02 over the plane, each with the items (point or segment
// indexes) filed under a position in it. Every position within 0.01 in x and
// in y of a query lies in the query's cell or in one of its eight
// neighbours, so a 3 x 3 look-up finds every candidate of the 0.01 windows;
// mostly 2 x 2 suffice, since the window reaches only one side of the cell.
class CellChains {
 public:
  CellChains();

  void Clear();
  // Room for about this many items in distinct cells without regrowing.
  void Reserve(size_t items);
  void Insert(double x, double y, int32_t item);

  // Calls f(item) for the items of the 3 x 3 cells around (x, y), in no
  // particular order, until f returns true; returns whether it did.
  template <class F>
  bool AnyAround(double x, double y, F&& f) const;

  // The cell of a coordinate; NaN and huge values land in end cells.
  static int64_t Cell(double v);
  // The cells [lo, hi] that the window around v can reach on one axis: the
  // cell of v and, unless v lies clearly on the far side of its cell's
  // middle, the neighbour on that side.
  static void Span(double v, int64_t& lo, int64_t& hi);

 private:
  struct Slot {
    int64_t cx, cy;
    int32_t head;  // newest entry of the cell, -1 for a free slot
  };
  static uint64_t Hash(int64_t cx, int64_t cy);
  size_t Find(int64_t cx, int64_t cy) const;
  void Grow(size_t size);

  std::vector<Slot> slots_;
  size_t mask_ = 0;
  std::vector<size_t> occupied_;  // slots in use
  std::vector<int32_t> item_;  // per entry
  std::vector<int32_t> next_;  // per entry: older entry of the same cell, -1 at the end
};

template <class F>
bool CellChains::AnyAround(double x, double y, F&& f) const {
  if (item_.empty()) return false;
  int64_t x0, x1, y0, y1;
  Span(x, x0, x1);
  Span(y, y0, y1);
  for (int64_t cx = x0; cx <= x1; ++cx)
    for (int64_t cy = y0; cy <= y1; ++cy) {
      const Slot& s = slots_[Find(cx, cy)];
      for (int32_t e = s.head; e >= 0; e = next_[static_cast<size_t>(e)])
        if (f(item_[static_cast<size_t>(e)])) return true;
    }
  return false;
}

// For each point index the positions of the segments of one level that
// contain it (once per segment, also when sp = ep). Kept right while
// segments change places, so that the chaining can ask for the lowest
// position holding a point without scanning the level.
class PointPositions {
 public:
  // points: the number of contour points; every index must be below it.
  void Build(const std::vector<TLine>& segs, size_t points);
  // Undoes Build's bookkeeping so the object can serve the next level.
  void Reset();

  // How many segments contain the point.
  int32_t Count(int32_t p) const { return count_[static_cast<size_t>(p)]; }
  // The lowest position other than j of a segment containing p, or -1.
  int32_t LowestOther(int32_t p, int32_t j) const;
  // The segments at positions j and k change places; a and b are the
  // segments that stood at j and at k before.
  void Exchange(const TLine& a, int32_t j, const TLine& b, int32_t k);

 private:
  void Move(int32_t p, int32_t from, int32_t to);

  std::vector<int32_t> count_;   // per point
  std::vector<size_t> start_;    // per point: first slot in pos_
  std::vector<int32_t> pos_;     // positions, grouped by point
  std::vector<int32_t> touched_; // points with a non-zero count
};

}  // namespace Delaunay
