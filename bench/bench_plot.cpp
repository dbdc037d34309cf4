// One redraw of the plot as every zoom and pan step makes it: all points,
// the triangles of the terrain and its contour lines computed afresh, onto a
// surface that only counts what it is given (the cost of the drawing itself
// belongs to the window toolkit).
//
// The terrain is a grid of 10,000 or 100,489 points over 316 m x 316 m with
// about 100 m of relief; the contour interval is 1 m or 5 m.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "../tests/mesh/contour_terrain.h"
#include "plot/plot.h"
#include "workspace/workspace.h"

namespace {

double Hills(double x, double y) {
  return 200 + 30 * std::sin(x / 40) * std::cos(y / 35) + 20 * std::sin((x + y) / 70) +
         8 * std::cos(x / 13 - y / 17) + 0.37 * std::sin(x * 1.7) * std::cos(y * 2.3);
}

class CountingCanvas : public zelmaro::TCanvas {
 public:
  size_t shapes = 0;
  zelmaro::TColor PenColor() const override { return {}; }
  void SetPenColor(zelmaro::TColor) override {}
  void SetPenWidth(int) override {}
  void SetPenStyle(zelmaro::TPenStyle) override {}
  void SetBrushColor(zelmaro::TColor) override {}
  void SetBrushStyle(zelmaro::TBrushStyle) override {}
  void SetFontName(const std::string&) override {}
  void SetFontSize(int) override {}
  void SetFontColor(zelmaro::TColor) override {}
  void FillRect(int, int, int, int) override { ++shapes; }
  void TextOut(int, int, const std::string&) override { ++shapes; }
  void Ellipse(int, int, int, int) override { ++shapes; }
  void Polygon(std::span<const zelmaro::TPoint>) override { ++shapes; }
  void MoveTo(int, int) override {}
  void LineTo(int, int) override { ++shapes; }
  void Rectangle(int, int, int, int) override { ++shapes; }
};

class Screen : public zelmaro::TPlotTarget {
 public:
  CountingCanvas canvas;
  int ScreenWidth() override { return 1180; }
  int ScreenHeight() override { return 830; }
  zelmaro::TCanvas& ScreenCanvas(int, int) override { return canvas; }
  void RepaintScreen() override {}
  zelmaro::TPrinterDevice PrinterDevice() override { return {4800, 6600, 600, 600, 203, 279}; }
  zelmaro::TCanvas& BeginDoc() override { return canvas; }
  void EndDoc() override {}
  void AbortDoc() override {}
};

void Redraw(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  zelmaro::Workspace ws;
  ws.Mesh1 = std::make_unique<Delaunay::TDelaunay>();
  zelmaro::testing::GridMesh(*ws.Mesh1, n, n, 316.0 / (n - 1), Hills);
  zelmaro::ResetToSlotZero(ws.P);
  for (int v = 1; v < ws.Mesh1->tPoints; ++v) {
    const Delaunay::dVertex& d = ws.Mesh1->Vertex[v];
    ws.P.push_back({v, d.x, d.y, d.z, 0});
  }
  ws.view = {316.0 / 800, 326, -10, 0, 0};
  zelmaro::TPlotSettings s;
  s.Mesh1 = s.Isoline = s.PNR = s.OutputArea = true;
  s.HLIntervall = std::to_string(state.range(1));
  uint8_t display = 0;
  double plot_mf = 0;
  Screen screen;
  for (auto _ : state) {
    zelmaro::ZeigPPunkte(ws, ws.view, display, plot_mf, s, screen);
    benchmark::DoNotOptimize(screen.canvas.shapes);
  }
  state.counters["points"] = n * n;
  state.counters["points_per_s"] =
      benchmark::Counter(n * n, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["levels"] = ws.Mesh1->Contour.NoLevels;
}

BENCHMARK(Redraw)->Args({100, 1})->Args({100, 5})->Args({317, 1})->Args({317, 5})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
