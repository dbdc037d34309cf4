#pragma once
// Zoom, pan and point picking on the plot image. Columns count from the
// image's left edge, rows from its top edge downwards.
#include <cstdint>
#include <functional>
#include <string>

#include "plot/view.h"
#include "points/point_table.h"

namespace zelmaro {

enum class TZoom { In, Out };

// The two grouped toggles of the tool bar: at most one is down.
enum class TNavMode { Pick, Pan, Zoom };

enum class TMouseButton { Left, Right, Middle };

// The step of one zoom: the scale is divided (in) or multiplied (out) by it.
constexpr double kZoomFactor = 1.25;

// Zooms about the pixel (c, r), so that the world point under it stays
// there. A step that would leave the scale 0 or not finite, or an offset
// not finite, leaves the view as it is: from there no zoom would get back.
void ZoomAbout(ViewValues& view, int32_t c, int32_t r, TZoom direction);

// Moves the view by the drag from the stored press pixel to (column, row).
// A result that is not finite leaves the view as it is.
void PanTo(ViewValues& view, int32_t column, int32_t row);

// The slot of the point nearest to the pixel (x column, y row), the earliest
// of equally near ones; -1 when the table has no point nearer than 1.0E10.
int32_t GetPoint(const PointTable& P, const ViewValues& view, int32_t x, int32_t y);

// The status bar line of a picked point: number, easting, northing, height
// and code.
std::string PointStatusText(const TPunkt& p);

// A button pressed on the image: zoom in zoom mode (left in, right out), keep
// the press pixel in pan mode, and pick in every mode. Calls redraw after a
// zoom. Returns the picked slot or -1.
int32_t ImageMouseDown(const PointTable& P, ViewValues& view, TNavMode mode, TMouseButton button,
                       int32_t column, int32_t row, const std::function<void()>& redraw);

// A button released on the image: pans and redraws in pan mode only.
void ImageMouseUp(ViewValues& view, TNavMode mode, int32_t column, int32_t row,
                  const std::function<void()>& redraw);

}  // namespace zelmaro
