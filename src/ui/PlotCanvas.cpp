#include "ui/PlotCanvas.h"

#include <QFontMetricsF>
#include <QPolygonF>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

namespace zelmaro::ui {

namespace {

QColor ToQColor(TColor c) { return QColor(c.r, c.g, c.b); }

// A mesh of fewer triangles is drawn at once; more are shared out over the
// cores, each drawing its part on a layer of its own.
constexpr size_t kSharedTriangles = 20000;
constexpr unsigned kMaxLayers = 4;  // cores, the bitmap included

// Joins the threads on every way out.
struct Joined {
  std::vector<std::thread>& threads;
  ~Joined() {
    for (std::thread& t : threads)
      if (t.joinable()) t.join();
  }
};

}  // namespace

QtCanvas::QtCanvas(QPainter& painter, double dots_per_unit_x, double dots_per_unit_y, bool y_up,
                   double dots_per_point, QImage* image)
    : painter_(painter),
      image_(image && image->format() == QImage::Format_RGB32 ? image : nullptr),
      cores_(std::clamp(std::thread::hardware_concurrency(), 1u, kMaxLayers)),
      sx_(dots_per_unit_x),
      sy_(y_up ? -dots_per_unit_y : dots_per_unit_y),
      screen_(dots_per_unit_x == 1 && dots_per_unit_y == 1 && !y_up),
      dots_per_point_(dots_per_point) {
  ApplyPen();
  ApplyBrush();
}

QPointF QtCanvas::Map(int x, int y) const { return QPointF(x * sx_, y * sy_); }

QRectF QtCanvas::MapRect(int left, int top, int right, int bottom) const {
  return QRectF(Map(left, top), Map(right, bottom)).normalized();
}

void QtCanvas::ApplyPen() {
  if (!Active()) return;
  QPen pen(ToQColor(pen_color_));
  // A width of 1 is one pixel on the screen and 0.1 mm on paper.
  pen.setWidthF(screen_ ? pen_width_ : pen_width_ * std::fabs(sx_));
  if (pen_style_ == TPenStyle::psDash) {
    pen.setStyle(Qt::CustomDashLine);
    pen.setDashPattern({18, 6});  // long dashes, as the frame is usually seen
  } else {
    pen.setStyle(Qt::SolidLine);
  }
  pen.setCapStyle(Qt::FlatCap);
  pen.setJoinStyle(Qt::MiterJoin);
  painter_.setPen(pen);
}

void QtCanvas::ApplyBrush() {
  if (!Active()) return;
  if (brush_style_ == TBrushStyle::bsClear)
    painter_.setBrush(Qt::NoBrush);
  else
    painter_.setBrush(ToQColor(brush_color_));
}

void QtCanvas::SetPenColor(TColor color) {
  pen_color_ = color;
  ApplyPen();
}

void QtCanvas::SetPenWidth(int width) {
  pen_width_ = width;
  ApplyPen();
}

void QtCanvas::SetPenStyle(TPenStyle style) {
  pen_style_ = style;
  ApplyPen();
}

void QtCanvas::SetBrushColor(TColor color) {
  brush_color_ = color;
  ApplyBrush();
}

void QtCanvas::SetBrushStyle(TBrushStyle style) {
  brush_style_ = style;
  ApplyBrush();
}

void QtCanvas::SetFontName(const std::string& name) { font_name_ = QString::fromStdString(name); }
void QtCanvas::SetFontSize(int points) { font_size_ = points; }
void QtCanvas::SetFontColor(TColor color) { font_color_ = color; }

void QtCanvas::FillRect(int left, int top, int right, int bottom) {
  if (!Active()) return;
  painter_.fillRect(MapRect(left, top, right, bottom), ToQColor(brush_color_));
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  if (!Active()) return;
  QFont font(font_name_);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(font_size_ * dots_per_point_))));
  painter_.setFont(font);
  const QFontMetricsF metrics(font, painter_.device());
  const QPointF at = Map(x, y);
  painter_.save();
  painter_.setPen(ToQColor(font_color_));
  painter_.setBackgroundMode(Qt::TransparentMode);
  painter_.drawText(QPointF(at.x(), at.y() + metrics.ascent()), QString::fromStdString(text));
  painter_.restore();
}

bool QtCanvas::PlainOutlines() const {
  return screen_ && pen_style_ == TPenStyle::psSolid && pen_width_ == 1 &&
         brush_style_ == TBrushStyle::bsClear && !painter_.testRenderHint(QPainter::Antialiasing) &&
         painter_.compositionMode() == QPainter::CompositionMode_SourceOver &&
         !painter_.hasClipping() && painter_.worldTransform().isIdentity();
}

void QtCanvas::Ellipse(int left, int top, int right, int bottom) {
  if (!Active()) return;
  // A point's mark, hundreds of thousands of them: in a box two pixels
  // square the painter's ellipse is the four pixels beside the centre, at
  // every whole position and cut off at the image's edges alike, so they
  // are set directly.
  if (image_ && PlainOutlines() && int64_t{right} - left == 2 && int64_t{bottom} - top == 2) {
    const QRgb ink = qRgb(pen_color_.r, pen_color_.g, pen_color_.b);
    const int64_t cx = int64_t{left} + 1, cy = int64_t{top} + 1;
    const int64_t w = image_->width(), h = image_->height();
    auto set = [&](int64_t x, int64_t y) {
      if (x >= 0 && y >= 0 && x < w && y < h)
        reinterpret_cast<QRgb*>(image_->scanLine(static_cast<int>(y)))[x] = ink;
    };
    set(cx, cy - 1);
    set(cx - 1, cy);
    set(cx + 1, cy);
    set(cx, cy + 1);
    return;
  }
  painter_.drawEllipse(MapRect(left, top, right, bottom));
}

void QtCanvas::Polygon(std::span<const TPoint> corners) {
  if (!Active()) return;
  // Corners of a few shapes go on the stack, not into a list of their own.
  constexpr size_t kOnStack = 8;
  if (corners.size() <= kOnStack) {
    QPointF points[kOnStack];
    for (size_t i = 0; i < corners.size(); ++i) points[i] = Map(corners[i].x, corners[i].y);
    painter_.drawPolygon(points, static_cast<int>(corners.size()));
    return;
  }
  QPolygonF polygon;
  polygon.reserve(static_cast<qsizetype>(corners.size()));
  for (const TPoint& p : corners) polygon << Map(p.x, p.y);
  painter_.drawPolygon(polygon);
}

void QtCanvas::DrawTriangles(QPainter& painter, std::span<const TPoint> corners) const {
  for (size_t i = 0; i + 3 <= corners.size(); i += 3) {
    const QPointF points[3] = {Map(corners[i].x, corners[i].y),
                               Map(corners[i + 1].x, corners[i + 1].y),
                               Map(corners[i + 2].x, corners[i + 2].y)};
    painter.drawPolygon(points, 3);
  }
}

void QtCanvas::Triangles(std::span<const TPoint> corners) {
  if (!Active()) return;
  const size_t count = corners.size() / 3;
  const size_t layers =
      image_ && PlainOutlines() && count >= kSharedTriangles && cores_ > 1 ? cores_ - 1 : 0;
  if (layers == 0) {
    DrawTriangles(painter_, corners);
    return;
  }
  // Outlines of one opaque colour mark the same pixels whoever draws them
  // and in whatever order; a layer, clear where nothing was drawn, adds
  // exactly its marks when laid over the bitmap.
  const size_t per = (count + layers) / (layers + 1);
  auto part = [&](size_t k) {
    const size_t first = std::min(count, k * per), last = std::min(count, (k + 1) * per);
    return corners.subspan(3 * first, 3 * (last - first));
  };
  const QPen pen = painter_.pen();
  std::vector<QImage> sheets(layers);
  std::vector<std::thread> threads;
  threads.reserve(layers);
  {
    Joined joined{threads};
    for (size_t k = 1; k <= layers; ++k) {
      QImage& sheet = sheets[k - 1];
      sheet = QImage(image_->size(), QImage::Format_ARGB32_Premultiplied);
      if (!sheet.isNull()) {
        sheet.fill(Qt::transparent);
        try {
          threads.emplace_back([this, &sheet, &pen, p = part(k)] {
            QPainter painter(&sheet);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            DrawTriangles(painter, p);
          });
          continue;
        } catch (const std::system_error&) {
          sheet = QImage();
        }
      }
      DrawTriangles(painter_, part(k));  // no room or no thread for a layer
    }
    DrawTriangles(painter_, part(0));
  }
  for (const QImage& sheet : sheets)
    if (!sheet.isNull()) painter_.drawImage(QPoint(0, 0), sheet);
}

void QtCanvas::MoveTo(int x, int y) {
  if (QPoint(x, y) != pos_) dash_offset_ = 0;
  pos_ = QPoint(x, y);
}

void QtCanvas::LineTo(int x, int y) {
  if (Active()) {
    const QPointF from = Map(pos_.x(), pos_.y()), to = Map(x, y);
    if (pen_style_ == TPenStyle::psDash) {
      // A chain of short lines would otherwise show only the first part of
      // a dash on each.
      QPen pen = painter_.pen();
      pen.setDashOffset(dash_offset_);
      painter_.setPen(pen);
      const qreal width = pen.widthF() > 0 ? pen.widthF() : 1;
      dash_offset_ += std::hypot(to.x() - from.x(), to.y() - from.y()) / width;
    }
    painter_.drawLine(from, to);
  }
  pos_ = QPoint(x, y);
}

void QtCanvas::Lines(std::span<const TPoint> ends) {
  // Line by line: the painter's drawLines sets some end pixels otherwise
  // than single lines do, and the picture must not change.
  for (size_t i = 0; i + 1 < ends.size(); i += 2) {
    QtCanvas::MoveTo(ends[i].x, ends[i].y);
    QtCanvas::LineTo(ends[i + 1].x, ends[i + 1].y);
  }
}

void QtCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (!Active()) return;
  QRectF r = MapRect(left, top, right, bottom);
  // On the screen right and bottom are the first pixels outside, so that a
  // frame of 406 pixels covers 406 columns.
  if (screen_) r.adjust(0, 0, -1, -1);
  painter_.drawRect(r);
}

// ---------------------------------------------------------------------------

QtPlotTarget::QtPlotTarget(QSize page_size, QImage& bitmap, QPrinter& printer)
    : page_size_(page_size), bitmap_(bitmap), printer_(printer) {}

QtPlotTarget::~QtPlotTarget() {
  // On the way out of a failure, which a second one must not turn into the
  // end of the program.
  try {
    if (page_painter_.isActive()) AbortDoc();
    if (screen_painter_.isActive()) screen_painter_.end();
  } catch (...) {
  }
}

TCanvas& QtPlotTarget::ScreenCanvas(int width, int height) {
  // A page not laid out yet has no size; the bitmap keeps at least one pixel.
  bitmap_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
  bitmap_.fill(Qt::white);
  screen_painter_.begin(&bitmap_);
  screen_painter_.setRenderHint(QPainter::Antialiasing, false);
  // Font sizes in points at the 96 pixels per inch the window is laid out for.
  screen_canvas_ = std::make_unique<QtCanvas>(screen_painter_, 1, 1, false, 96.0 / 72.0, &bitmap_);
  return *screen_canvas_;
}

// The bitmap reaches the image when the redraw ends; the frame, the only
// thing drawn after this, is the last element anyway.
void QtPlotTarget::RepaintScreen() {}

TPrinterDevice QtPlotTarget::PrinterDevice() {
  TPrinterDevice d;
  d.PageWidth = printer_.width();
  d.PageHeight = printer_.height();
  d.LogPixelsX = printer_.logicalDpiX();
  d.LogPixelsY = printer_.logicalDpiY();
  d.HorzSize = printer_.widthMM();
  d.VertSize = printer_.heightMM();
  if (!printer_.isValid() || d.PageWidth <= 0 || d.PageHeight <= 0)
    throw EPrinter("Kein Drucker verfügbar");
  return d;
}

TCanvas& QtPlotTarget::BeginDoc() {
  if (!page_painter_.begin(&printer_)) throw EPrinter("Der Druckauftrag konnte nicht gestartet werden");
  const double ux = printer_.logicalDpiX() / 254.0;
  const double uy = printer_.logicalDpiY() / 254.0;
  page_painter_.setRenderHint(QPainter::Antialiasing, true);
  page_canvas_ = std::make_unique<QtCanvas>(page_painter_, ux, uy, true, printer_.logicalDpiY() / 72.0);
  return *page_canvas_;
}

void QtPlotTarget::EndDoc() {
  if (!page_painter_.end()) throw EPrinter("Der Druckauftrag wurde vom Drucker abgewiesen");
}

void QtPlotTarget::AbortDoc() {
  printer_.abort();
  if (page_painter_.isActive()) page_painter_.end();
}

bool QtPlotTarget::FinishScreen() {
  if (!screen_canvas_) return false;
  if (screen_painter_.isActive()) screen_painter_.end();
  return true;
}

}  // namespace zelmaro::ui
