#include "plot/navigation.h"

#include <cmath>

#include "text/format.h"

namespace zelmaro {

namespace {
using ext = long double;
}  // namespace

void ZoomAbout(ViewValues& view, int32_t c, int32_t r, TZoom direction) {
  // Each step is stored before the next one reads it.
  const double y1 = static_cast<double>(view.YOffset + ext(c) * view.MF);
  const double x1 = static_cast<double>(view.XOFFset - ext(r) * view.MF);
  const double mf = direction == TZoom::Out ? static_cast<double>(ext(view.MF) * kZoomFactor)
                                            : static_cast<double>(ext(view.MF) / kZoomFactor);
  const double y2 = static_cast<double>(y1 - ext(c) * mf);
  const double x2 = static_cast<double>(x1 + ext(r) * mf);
  if (!std::isfinite(mf) || mf == 0 || !std::isfinite(x2) || !std::isfinite(y2)) return;
  view.YOffset = y2;
  view.XOFFset = x2;
  view.MF = mf;
}

void PanTo(ViewValues& view, int32_t column, int32_t row) {
  const double x = static_cast<double>(view.XOFFset -
                                       ext(int64_t{view.MouseSaveY} - row) * view.MF);
  const double y = static_cast<double>(view.YOffset +
                                       ext(int64_t{view.MouseSaveX} - column) * view.MF);
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  view.XOFFset = x;
  view.YOffset = y;
}

int32_t GetPoint(const PointTable& P, const ViewValues& view, int32_t x, int32_t y) {
  const double xx = static_cast<double>(view.XOFFset - ext(y) * view.MF);
  const double yy = static_cast<double>(view.YOffset + ext(x) * view.MF);
  double d = 1.0E10;
  int32_t result = -1;
  for (int32_t i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    const ext dx = ext(p.X) - xx;
    const ext dy = ext(p.Y) - yy;
    const double dist = static_cast<double>(std::sqrt(dx * dx + dy * dy));
    if (dist < d) {
      d = dist;
      result = i;
    }
  }
  return result;
}

std::string PointStatusText(const TPunkt& p) {
  return Format("%10d %10.3f %10.3f %8.3f %3d", p.NR, p.Y, p.X, p.Z, int{p.Code});
}

int32_t ImageMouseDown(const PointTable& P, ViewValues& view, TNavMode mode, TMouseButton button,
                       int32_t column, int32_t row, const std::function<void()>& redraw) {
  if (mode == TNavMode::Zoom && button != TMouseButton::Middle) {
    ZoomAbout(view, column, row, button == TMouseButton::Left ? TZoom::In : TZoom::Out);
    if (redraw) redraw();
  }
  if (mode == TNavMode::Pan) {
    view.MouseSaveX = column;
    view.MouseSaveY = row;
  }
  return GetPoint(P, view, column, row);
}

void ImageMouseUp(ViewValues& view, TNavMode mode, int32_t column, int32_t row,
                  const std::function<void()>& redraw) {
  if (mode != TNavMode::Pan) return;
  PanTo(view, column, row);
  if (redraw) redraw();
}

}  // namespace zelmaro
