#pragma once
// The plot's drawing surface on Qt: a QPainter on the image's bitmap or on a
// printer page, and the target that hands them to the plot.
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <memory>

#include "plot/canvas.h"

class QPrinter;

namespace zelmaro::ui {

// Draws in the plot's units. On the screen one unit is one pixel. On the
// printer one unit is 0.1 mm with y upwards from the page's top-left, which a
// QPainter has no mode for: the canvas maps every coordinate itself and draws
// in device dots, so that text stays upright.
class QtCanvas : public TCanvas {
 public:
  // dots_per_unit: 1 on the screen, dpi / 254 on the printer; y_up mirrors
  // the vertical axis. dots_per_point turns font sizes into glyph heights.
  // image: the screen's bitmap the painter is active on, if it is one; its
  // pixels may then be set directly where that gives the painter's picture.
  QtCanvas(QPainter& painter, double dots_per_unit_x, double dots_per_unit_y, bool y_up,
           double dots_per_point, QImage* image = nullptr);

  TColor PenColor() const override { return pen_color_; }
  void SetPenColor(TColor color) override;
  void SetPenWidth(int width) override;
  void SetPenStyle(TPenStyle style) override;
  void SetBrushColor(TColor color) override;
  void SetBrushStyle(TBrushStyle style) override;
  void SetFontName(const std::string& name) override;
  void SetFontSize(int points) override;
  void SetFontColor(TColor color) override;

  void FillRect(int left, int top, int right, int bottom) override;
  void TextOut(int x, int y, const std::string& text) override;
  void Ellipse(int left, int top, int right, int bottom) override;
  void Polygon(std::span<const TPoint> corners) override;
  void Triangles(std::span<const TPoint> corners) override;

  // How many cores a large mesh on the screen's bitmap is shared out over:
  // all of them by default, at most four.
  void ShareOver(unsigned cores) { cores_ = cores; }
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;
  void Lines(std::span<const TPoint> ends) override;
  void Rectangle(int left, int top, int right, int bottom) override;

 private:
  QPointF Map(int x, int y) const;
  QRectF MapRect(int left, int top, int right, int bottom) const;
  void ApplyPen();
  void ApplyBrush();
  bool Active() const { return painter_.isActive(); }
  // One opaque pixel wide, aliased, nothing filled: what such outlines mark
  // is the same in whatever order, or on whatever layer, they are drawn.
  bool PlainOutlines() const;
  void DrawTriangles(QPainter& painter, std::span<const TPoint> corners) const;

  QPainter& painter_;
  QImage* image_;
  unsigned cores_;
  double sx_, sy_;
  bool screen_;
  double dots_per_point_;
  TColor pen_color_{clBlack};
  int pen_width_ = 1;
  TPenStyle pen_style_ = TPenStyle::psSolid;
  TColor brush_color_{clWhite};
  TBrushStyle brush_style_ = TBrushStyle::bsSolid;
  QString font_name_ = QStringLiteral("Arial");
  int font_size_ = 8;
  TColor font_color_{clBlack};
  QPoint pos_;
  // Where the dash pattern stands at pos_, so that a line drawn on from
  // there continues it instead of starting a dash anew.
  qreal dash_offset_ = 0;
};

// The bitmap of the plot image and the printer chosen in the printer setup.
// The screen's bitmap is drawn afresh by each redraw and becomes the image's
// picture when the redraw ends (ScreenUsed), also after a failure, so that
// what was drawn up to it is shown.
class QtPlotTarget : public TPlotTarget {
 public:
  QtPlotTarget(QSize page_size, QImage& bitmap, QPrinter& printer);
  ~QtPlotTarget() override;

  int ScreenWidth() override { return page_size_.width(); }
  int ScreenHeight() override { return page_size_.height(); }
  TCanvas& ScreenCanvas(int width, int height) override;
  void RepaintScreen() override;

  TPrinterDevice PrinterDevice() override;
  TCanvas& BeginDoc() override;
  void EndDoc() override;
  void AbortDoc() override;

  // Ends the painting on the bitmap; true when this redraw drew on it.
  bool FinishScreen();

 private:
  QSize page_size_;
  QImage& bitmap_;
  QPrinter& printer_;
  QPainter screen_painter_;
  QPainter page_painter_;
  std::unique_ptr<QtCanvas> screen_canvas_;
  std::unique_ptr<QtCanvas> page_canvas_;
};

}  // namespace zelmaro::ui
