// What a redraw leaves out: only shapes wholly outside the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "plot/plain_plot.h"
#include "plot/plot.h"
#include "plot/recording_canvas.h"

namespace zelmaro {
namespace {

using testing::PlainScreenPlot;
using testing::RecordingCanvas;
using testing::RecordingTarget;

std::unique_ptr<Delaunay::TDelaunay> MeshOf(const PointTable& P, int8_t code) {
  auto m = std::make_unique<Delaunay::TDelaunay>();
  for (int i = 1; i <= High(P); ++i)
    if (code == 0 || P[static_cast<size_t>(i)].Code == code)
      m->AddPoint(i, P[static_cast<size_t>(i)].X, P[static_cast<size_t>(i)].Y,
                  P[static_cast<size_t>(i)].Z);
  m->Mesh();
  return m;
}

// 300 points over 150 m x 150 m, which the view puts into the image at one
// pixel per 0.25 m with a margin: rows 20 to 620 would not fit 480, so the
// view is set by the caller.
struct Scene {
  Workspace ws;
  TPlotSettings s;
  Scene() {
    std::mt19937 rng(4);
    std::uniform_real_distribution<double> u(0, 150);
    ResetToSlotZero(ws.P);
    for (int i = 1; i <= 300; ++i) {
      const double x = u(rng), y = u(rng);
      ws.P.push_back({i, x, y, 100 + 4 * std::sin(x / 20) + 3 * std::cos(y / 25),
                      static_cast<int8_t>(i % 3 == 0 ? 1 : 0)});
    }
    ws.Mesh0 = MeshOf(ws.P, 1);
    ws.Mesh1 = MeshOf(ws.P, 0);
    s.PNR = s.Mesh0 = s.Mesh1 = s.Isoline = true;
    s.HLIntervall = std::to_string(1);  // a literal here trips a false warning of GCC 12
  }
  std::vector<std::string> Culled() {
    RecordingTarget target;
    uint8_t display = 0;
    double plot_mf = 0;
    ZeigPPunkte(ws, ws.view, display, plot_mf, s, target);
    return target.screen.log;
  }
  std::vector<std::string> Plain() {
    RecordingCanvas c;
    PlainScreenPlot(c, ws, s, 640, 480);
    return c.log;
  }
};

std::vector<long> Numbers(const std::string& line) {
  // The coordinates end where the pen or the label's text begins.
  const size_t end = std::min(line.find(" pen="), line.find(" '"));
  std::string coords;
  for (size_t k = 0; k < line.size() && k < end; ++k) coords += line[k] == ',' ? ' ' : line[k];
  std::istringstream in(coords);
  std::string word;
  in >> word;  // the shape's name
  std::vector<long> out;
  long n;
  while (in >> n) out.push_back(n);
  return out;
}

bool WhollyOutside(const std::vector<long>& xy) {
  long x0 = xy[0], x1 = xy[0], y0 = xy[1], y1 = xy[1];
  for (size_t i = 0; i + 1 < xy.size(); i += 2) {
    x0 = std::min(x0, xy[i]);
    x1 = std::max(x1, xy[i]);
    y0 = std::min(y0, xy[i + 1]);
    y1 = std::max(y1, xy[i + 1]);
  }
  return x1 < 0 || x0 > 640 || y1 < 0 || y0 > 480;
}

TEST(Culling, AViewInsideTheImageIsDrawnAsThePlainPlotDrawsIt) {
  Scene scene;
  scene.ws.view = {0.4, 170, -20, 0, 0};  // 150 m in 375 rows, from row 50
  const std::vector<std::string> culled = scene.Culled();
  const std::vector<std::string> plain = scene.Plain();
  EXPECT_GT(plain.size(), 2000u);
  EXPECT_EQ(culled, plain);
}

TEST(Culling, LeavesOutOnlyShapesWhollyOutsideTheImage) {
  for (const ViewValues view : {ViewValues{0.06, 120, 40, 0, 0}, ViewValues{0.1, 150, -50, 0, 0},
                                ViewValues{0.02, 75, 75, 0, 0}}) {
    SCOPED_TRACE(view.MF);
    Scene scene;
    scene.ws.view = view;
    const std::vector<std::string> culled = scene.Culled();
    const std::vector<std::string> plain = scene.Plain();
    size_t j = 0, dropped = 0;
    for (size_t i = 0; i < plain.size(); ++i) {
      if (j < culled.size() && culled[j] == plain[i]) {
        ++j;
        continue;
      }
      ++dropped;
      std::vector<long> xy = Numbers(plain[i]);
      if (plain[i].rfind("MoveTo", 0) == 0) {
        ASSERT_LT(i + 1, plain.size());
        const std::vector<long> to = Numbers(plain[++i]);
        xy.insert(xy.end(), to.begin(), to.end());
      }
      if (plain[i].rfind("TextOut", 0) == 0) {
        // The label's glyphs run right and down from its corner, at 8
        // points less than 12 pixels high and each less than 12 wide.
        const size_t q = plain[i].find('\'');
        const auto chars = static_cast<long>(plain[i].find('\'', q + 1) - q - 1);
        EXPECT_TRUE(xy[0] > 640 || xy[1] > 480 || xy[1] < -12 || xy[0] + 12 * chars < 0)
            << plain[i];
      } else {
        EXPECT_TRUE(WhollyOutside(xy)) << plain[i];
      }
    }
    EXPECT_EQ(j, culled.size()) << "a shape the plain plot does not draw";
    EXPECT_GT(dropped, plain.size() / 3);
  }
}

}  // namespace
}  // namespace zelmaro
