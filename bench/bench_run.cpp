// A complete computation run: read the point file, triangulate and compute
// both horizons, write the protocol. Seconds per run and protocol MB/s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "bench_survey.h"
#include "text/format.h"
#include "text/textfile.h"
#include "volume/cut_fill.h"
#include "volume/horizon.h"
#include "volume/run.h"
#include "workspace/workspace.h"

namespace {

using bench::QuietHost;

std::string MakeFile(int points) { return bench::MakeSurveyFile("zelmaro-bench-run-", points); }

void BM_ComputationRun(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const std::string file = MakeFile(points);
  QuietHost host(file);
  zelmaro::Workspace ws;
  for (auto _ : state) {
    zelmaro::ToolButton1Click(ws, host);
    benchmark::DoNotOptimize(ws.m1);
  }
  const double bytes =
      static_cast<double>(std::filesystem::file_size(zelmaro::ProtocolFileName(file)));
  state.counters["triangles"] = ws.Mesh0->HowMany + ws.Mesh1->HowMany;
  state.counters["protocol_MB"] = bytes / 1e6;
  state.counters["protocol_MB/s"] = benchmark::Counter(
      bytes * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ComputationRun)
    ->Arg(20000)
    ->Arg(100000)
    ->Arg(400000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

// The protocol alone: formatting and writing the triangle lines, the part of
// a run that does not depend on the triangulation.
void BM_ProtocolLines(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const std::string file =
      (std::filesystem::temp_directory_path() / "zelmaro-bench-protocol.LST").string();
  std::vector<std::string> pane;
  pane.reserve(static_cast<size_t>(lines));
  for (auto _ : state) {
    zelmaro::TextFileWriter f;
    f.Create(file);
    pane.clear();
    zelmaro::ProtocolOutput out(f, pane);
    for (int t = 1; t <= lines; ++t)
      out.Line(zelmaro::TriangleLine(t, t + 1, t + 2, t + 3, 0.37 * (t % 1000), -12.5 + 0.01 * t));
    f.Close();
  }
  const double bytes = static_cast<double>(std::filesystem::file_size(file));
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(lines) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["MB/s"] = benchmark::Counter(
      bytes * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProtocolLines)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Cut and fill of a run on two horizons of its own points each: both splits
// against H0 and the overlay of the two meshes, from finished meshes, on one
// thread and on the run's two.
void BM_CutFill(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const int threads = static_cast<int>(state.range(1));
  std::mt19937_64 rnd(11);
  std::uniform_real_distribution<double> d(0, 1000);
  zelmaro::PointTable P(1);
  auto mound = [](double x, double y) {
    return 280 + 15 * (1 - ((x - 500) * (x - 500) + (y - 500) * (y - 500)) / 5e5);
  };
  for (int i = 0; i < 2 * points; ++i) {
    const double x = d(rnd), y = d(rnd);
    // The reference horizon a tilted plane through the mound's flanks.
    const double z = i < points ? 282 + 0.004 * x : mound(x, y);
    P.push_back({i + 1, 5656000 + x, 3486000 + y, z, static_cast<int8_t>(i < points ? 1 : 0)});
  }
  auto mesh = [&](int first) {
    auto m = std::make_unique<Delaunay::TDelaunay>();
    for (int i = first; i < first + points; ++i) m->AddPoint(i, P[i].X, P[i].Y, P[i].Z);
    m->Mesh();
    return m;
  };
  const auto reference = mesh(1);
  const auto terrain = mesh(points + 1);
  zelmaro::CutFill c;
  for (auto _ : state) {
    c = zelmaro::ComputeCutFill(P, reference.get(), terrain.get(), 285, threads);
    benchmark::DoNotOptimize(c.between.fill);
  }
  state.counters["triangles"] = reference->HowMany + terrain->HowMany;
  state.counters["fill"] = c.between.fill;
  state.counters["cut"] = c.between.cut;
}
BENCHMARK(BM_CutFill)
    ->Args({20000, 1})
    ->Args({200000, 1})
    ->Args({200000, 2})
    ->ArgNames({"points", "threads"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
