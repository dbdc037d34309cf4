// The Qt drawing surface: pixels on the screen, 0.1 mm with y upwards on a
// printer page.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "ui/PlotCanvas.h"

using zelmaro::ui::QtCanvas;

namespace {

bool Dark(const QImage& image, int x, int y) {
  return image.valid(x, y) && qGray(image.pixel(x, y)) < 128;
}

QRect DarkBounds(const QImage& image) {
  QRect r;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (Dark(image, x, y)) r |= QRect(x, y, 1, 1);
  return r;
}

}  // namespace

TEST(QtCanvas, PageUnitsAreTenthsOfAMillimetreUpwardsFromTheTopLeft) {
  // 508 dots per inch: two dots per 0.1 mm.
  QImage page(1200, 1000, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  QtCanvas canvas(painter, 2, 2, true, 508 / 72.0);
  canvas.SetBrushStyle(zelmaro::TBrushStyle::bsClear);
  canvas.Ellipse(499, -401, 501, -399);  // 0.2 mm across, 40 mm down
  painter.end();
  const QRect dot = DarkBounds(page);
  ASSERT_FALSE(dot.isNull());
  EXPECT_NEAR(dot.center().x(), 1000, 2);
  EXPECT_NEAR(dot.center().y(), 800, 2);
  EXPECT_LE(dot.width(), 8);

  // Filling upwards from the origin leaves the page blank.
  page.fill(Qt::white);
  painter.begin(&page);
  QtCanvas blank(painter, 2, 2, true, 508 / 72.0);
  blank.SetBrushColor(zelmaro::clBlack);
  blank.FillRect(0, 0, 203, 279);
  // Text stands upright below its top-left corner.
  blank.SetFontSize(12);
  blank.TextOut(100, -100, "88");
  painter.end();
  const QRect text = DarkBounds(page);
  ASSERT_FALSE(text.isNull());
  EXPECT_GE(text.left(), 200);
  EXPECT_GE(text.top(), 200);
  EXPECT_LT(text.bottom(), 200 + 12 * 508 / 72 + 2);
  EXPECT_GT(text.height(), 20);  // 12 points are 85 dots at this resolution
}

TEST(QtCanvas, ScreenPixelsOutlinesAndFrame) {
  QImage screen(500, 300, QImage::Format_RGB32);
  screen.fill(Qt::white);
  QPainter painter(&screen);
  QtCanvas canvas(painter, 1, 1, false, 96 / 72.0);
  canvas.SetBrushStyle(zelmaro::TBrushStyle::bsClear);
  canvas.SetPenColor(zelmaro::clRed);
  canvas.Rectangle(0, 0, 406, 200);  // 406 columns: 0 to 405
  canvas.SetPenColor(zelmaro::clBlack);
  canvas.Ellipse(99, 79, 101, 81);
  canvas.MoveTo(10, 250);
  canvas.LineTo(60, 250);
  const zelmaro::TPoint triangle[] = {{300, 20}, {350, 20}, {300, 70}};
  canvas.SetPenColor(zelmaro::clBlue);
  canvas.Polygon(triangle);
  painter.end();

  EXPECT_EQ(screen.pixel(405, 100), qRgb(255, 0, 0));
  EXPECT_EQ(screen.pixel(406, 100), qRgb(255, 255, 255));
  EXPECT_EQ(screen.pixel(200, 199), qRgb(255, 0, 0));
  EXPECT_EQ(screen.pixel(200, 200), qRgb(255, 255, 255));
  // The circle lies in its square around (100, 80), not filled beyond it.
  int dark = 0;
  for (int y = 77; y <= 83; ++y)
    for (int x = 97; x <= 103; ++x) dark += Dark(screen, x, y);
  EXPECT_GT(dark, 2);
  EXPECT_FALSE(Dark(screen, 97, 80));
  EXPECT_FALSE(Dark(screen, 103, 80));
  EXPECT_TRUE(Dark(screen, 35, 250));
  // The outline is closed: the last corner back to the first.
  EXPECT_EQ(screen.pixel(300, 45), qRgb(0, 0, 255));
  EXPECT_EQ(screen.pixel(325, 20), qRgb(0, 0, 255));
  EXPECT_EQ(screen.pixel(310, 30), qRgb(255, 255, 255));  // not filled
}
