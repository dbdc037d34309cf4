#include "mesh/contour_polylines.h"

#include <algorithm>

namespace Delaunay {

// The chaining leaves connected segments one after another with matching
// direction, but it is greedy and its marks are not a reliable line end (a
// point's open-end flag may come from another level at the same pooled
// position). Joining on index continuity alone never joins segments that do
// not touch and never drops one.
std::vector<ContourPolyline> ContourPolylines(const TContourSetup& c) {
  std::vector<ContourPolyline> lines;
  const auto points = static_cast<int64_t>(c.Points.size());
  const size_t levels =
      std::min(static_cast<size_t>(std::max<int32_t>(c.NoLevels, 0)), c.Contours.size());
  for (size_t i = 0; i < levels; ++i) {
    ContourPolyline* open = nullptr;
    int32_t last_ep = -1;
    auto finish = [&] {
      // A line that comes back to where it started is a ring; a single
      // segment with sp = ep stays an open line of two equal points.
      if (open && open->points.size() > 2 && open->points.front() == open->points.back()) {
        open->points.pop_back();
        open->closed = true;
      }
      open = nullptr;
    };
    for (const TLine& s : c.Contours[i]) {
      // Segments pointing outside the pool are not drawn by the plot either.
      if (s.sp < 0 || s.sp >= points || s.ep < 0 || s.ep >= points) {
        finish();
        continue;
      }
      if (!open || s.sp != last_ep) {
        finish();
        lines.push_back(ContourPolyline{static_cast<int32_t>(i), {s.sp}, false});
        open = &lines.back();
      }
      open->points.push_back(s.ep);
      last_ep = s.ep;
    }
    finish();
  }
  return lines;
}

}  // namespace Delaunay
