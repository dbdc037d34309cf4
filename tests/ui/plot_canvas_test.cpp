// The Qt drawing surface: pixels on the screen, 0.1 mm with y upwards on a
// printer page.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <random>
#include <span>
#include <vector>

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

namespace {

// The same shapes drawn on the screen's bitmap with its shortcuts, and by
// the painter alone, one by one: the pictures must agree pixel for pixel.
struct TwoScreens {
  QImage fast{640, 480, QImage::Format_RGB32}, plain{640, 480, QImage::Format_RGB32};
  TwoScreens() {
    fast.fill(Qt::white);
    plain.fill(Qt::white);
  }
  template <typename Draw>
  void Both(unsigned cores, Draw draw) {
    QPainter fp(&fast), pp(&plain);
    fp.setRenderHint(QPainter::Antialiasing, false);
    pp.setRenderHint(QPainter::Antialiasing, false);
    QtCanvas f(fp, 1, 1, false, 96 / 72.0, &fast), p(pp, 1, 1, false, 96 / 72.0);
    f.ShareOver(cores);
    for (QtCanvas* c : {&f, &p}) {
      c->SetBrushStyle(zelmaro::TBrushStyle::bsClear);
      draw(*c, c == &f);
    }
  }
  int Differing() const {
    int n = 0;
    for (int y = 0; y < fast.height(); ++y)
      for (int x = 0; x < fast.width(); ++x) n += fast.pixel(x, y) != plain.pixel(x, y);
    return n;
  }
};

}  // namespace

TEST(QtCanvas, PointMarksAreThePaintersEllipsesAlsoAtTheEdges) {
  TwoScreens s;
  s.Both(1, [&](QtCanvas& c, bool) {
    c.SetPenColor(zelmaro::clBlack);
    for (int x = -2; x <= 642; x += 3)
      for (int y : {-2, -1, 0, 1, 2, 240, 477, 478, 479, 480, 481}) c.Ellipse(x - 1, y - 1, x + 1, y + 1);
    c.SetPenColor(zelmaro::clMaroon);
    for (int y = -2; y <= 482; y += 4)
      for (int x : {-1, 0, 1, 320, 638, 639, 640}) c.Ellipse(x - 1, y - 1, x + 1, y + 1);
    c.Ellipse(100, 100, 110, 104);  // not a point's mark: the painter's own
  });
  EXPECT_EQ(s.Differing(), 0);
  EXPECT_EQ(s.fast.pixel(1, 0), qRgb(0, 0, 0));  // of a mark cut off at the edge
}

TEST(QtCanvas, ALargeMeshSharedOutOverLayersIsThePaintersPicture) {
  std::mt19937 rng(4);
  std::uniform_int_distribution<int> x_of(-60, 700), y_of(-60, 540), step(-25, 25);
  std::vector<zelmaro::TPoint> blue, red;
  for (auto* mesh : {&blue, &red})
    for (int t = 0; t < 25001; ++t) {
      const zelmaro::TPoint a{x_of(rng), y_of(rng)};
      mesh->push_back(a);
      // Mostly small triangles as a mesh has them, some long, some flat.
      const int reach = t % 50 == 0 ? 12 : 1;
      mesh->push_back({a.x + reach * step(rng), a.y + reach * step(rng)});
      mesh->push_back(t % 97 == 0 ? a : zelmaro::TPoint{a.x + step(rng), a.y + step(rng)});
    }
  for (unsigned cores : {2u, 3u, 4u}) {
    SCOPED_TRACE(cores);
    TwoScreens s;
    s.Both(cores, [&](QtCanvas& c, bool fast) {
      c.SetPenColor(zelmaro::clBlack);
      for (int x = 5; x < 640; x += 9) c.Ellipse(x - 1, 239, x + 1, 241);
      c.SetPenColor(zelmaro::clBlue);
      if (fast) {
        c.Triangles(blue);
      } else {
        for (size_t i = 0; i < blue.size(); i += 3) c.Polygon(std::span(blue).subspan(i, 3));
      }
      c.SetPenColor(zelmaro::clRed);  // over the blue ones, as they are drawn
      if (fast) {
        c.Triangles(red);
      } else {
        for (size_t i = 0; i < red.size(); i += 3) c.Polygon(std::span(red).subspan(i, 3));
      }
    });
    EXPECT_EQ(s.Differing(), 0);
    int blue_seen = 0, red_seen = 0;
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x) {
        blue_seen += s.fast.pixel(x, y) == qRgb(0, 0, 255);
        red_seen += s.fast.pixel(x, y) == qRgb(255, 0, 0);
      }
    EXPECT_GT(blue_seen, 1000);
    EXPECT_GT(red_seen, 1000);
  }
}
