// The redraw's picture on Qt, pixel for pixel the picture of the plain
// drawing: leaving out what lies outside the image and handing the contour
// lines over in batches change nothing that can be seen. (Qt's own batch
// of lines would: it sets some end pixels otherwise.)
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <cmath>
#include <memory>
#include <random>

#include "plot/plain_plot.h"
#include "plot/plot.h"
#include "ui/PlotCanvas.h"

namespace {

using zelmaro::ui::QtCanvas;
using zelmaro::ui::QtPlotTarget;

std::unique_ptr<Delaunay::TDelaunay> MeshOf(const zelmaro::PointTable& P, bool reference) {
  auto m = std::make_unique<Delaunay::TDelaunay>();
  for (int i = 1; i <= zelmaro::High(P); ++i) {
    const zelmaro::TPunkt& p = P[static_cast<size_t>(i)];
    if (!reference || p.Code == 1) m->AddPoint(i, p.X, p.Y, p.Z);
  }
  m->Mesh();
  return m;
}

TEST(PlotPixels, ZoomedInPictureIsThePlainPicture) {
  zelmaro::Workspace ws;
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> u(0, 200);
  zelmaro::ResetToSlotZero(ws.P);
  for (int i = 1; i <= 600; ++i) {
    const double x = u(rng), y = u(rng);
    ws.P.push_back({i, x, y, 50 + 5 * std::sin(x / 17) * std::cos(y / 23),
                    static_cast<int8_t>(i % 4 == 0 ? 1 : 0)});
  }
  ws.Mesh0 = MeshOf(ws.P, true);
  ws.Mesh1 = MeshOf(ws.P, false);
  zelmaro::TPlotSettings s;
  s.PNR = s.Mesh0 = s.Mesh1 = s.Isoline = true;
  s.HLIntervall = "0.5";
  const QSize size(500, 400);
  QPrinter printer(QPrinter::HighResolution);

  // Whole, then zoomed in about the middle so that most shapes lie outside.
  for (const zelmaro::ViewValues view :
       {zelmaro::ViewValues{0.45, 205, -5, 0, 0}, zelmaro::ViewValues{0.05, 110, 90, 0, 0}}) {
    SCOPED_TRACE(view.MF);
    ws.view = view;
    QImage culled;
    QtPlotTarget target(size, culled, printer);
    uint8_t display = 0;
    double plot_mf = 0;
    zelmaro::ZeigPPunkte(ws, ws.view, display, plot_mf, s, target);
    ASSERT_TRUE(target.FinishScreen());

    QImage plain(size, QImage::Format_RGB32);
    plain.fill(Qt::white);
    QPainter painter(&plain);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QtCanvas canvas(painter, 1, 1, false, 96.0 / 72.0);
    zelmaro::testing::PlainScreenPlot(canvas, ws, s, size.width(), size.height());
    painter.end();

    ASSERT_EQ(culled.size(), plain.size());
    int differing = 0, inked = 0;
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) {
        differing += culled.pixel(x, y) != plain.pixel(x, y);
        inked += plain.pixel(x, y) != qRgb(255, 255, 255);
      }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inked, 1000);
  }
}

}  // namespace
