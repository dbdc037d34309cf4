#include "plot/view.h"

namespace zelmaro {

void SetMinMaxOffset(const PointTable& P, TableBounds& b, ViewValues& view, int image_height) {
  GetMinMax(P, b.MinX, b.MinY, b.MinZ, b.MaxX, b.MaxY, b.MaxZ);
  using ext = long double;
  const int usable = image_height - 20;
  const ext range_x = ext(b.MaxX) - b.MinX;
  if (usable > 0 && range_x != 0) {
    view.MF = static_cast<double>(range_x / usable);
  } else {
    // A flat northing range or a tiny image would give a scale of 0 or a
    // division by zero; fall back on the easting range over the usable height
    // (at least one pixel), and on 1 when the points have no extent at all.
    const ext range_y = ext(b.MaxY) - b.MinY;
    const int pixels = usable > 0 ? usable : 1;
    if (range_x != 0)
      view.MF = static_cast<double>(range_x / pixels);
    else if (range_y != 0)
      view.MF = static_cast<double>(range_y / pixels);
    else
      view.MF = 1;
  }
  view.YOffset = static_cast<double>(b.MinY - 10 * ext(view.MF));
  view.XOFFset = static_cast<double>(b.MaxX + 10 * ext(view.MF));
}

}  // namespace zelmaro
