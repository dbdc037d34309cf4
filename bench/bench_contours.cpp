// Contour lines of a hilly terrain: the plot's whole sequence (levels twice,
// segments, chaining) with the indexed operations, and the same on the same
// mesh with the plain scans that they replace.
//
// The terrain spans 316 m x 316 m with about 100 m of relief, contoured at
// 1 m: about 100 levels. Its grid has 10,000, 31,684 or 100,489 points. The
// plain scans grow with the square of the contour points, so they run once
// per size and by default only on the two smaller grids; pass
// --benchmark_filter=Plain/317 to time them on the large one as well (that
// takes many minutes).
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>

#include "../tests/mesh/contour_reference.h"
#include "../tests/mesh/contour_terrain.h"
#include "mesh/delaunay.h"

namespace {

namespace ref = zelmaro::testing::contour_ref;
using Delaunay::TDelaunay;

double Hills(double x, double y) {
  return 200 + 30 * std::sin(x / 40) * std::cos(y / 35) + 20 * std::sin((x + y) / 70) +
         8 * std::cos(x / 13 - y / 17) + 0.37 * std::sin(x * 1.7) * std::cos(y * 2.3);
}

TDelaunay& Terrain(int n) {
  static std::map<int, std::unique_ptr<TDelaunay>> meshes;
  auto& m = meshes[n];
  if (!m) {
    m = std::make_unique<TDelaunay>();
    zelmaro::testing::GridMesh(*m, n, n, 316.0 / (n - 1), Hills);
  }
  return *m;
}

constexpr double kInterval = 1.0;

void Counters(benchmark::State& state, const TDelaunay& m) {
  size_t segments = 0;
  for (const auto& list : m.Contour.Contours) segments += list.size();
  state.counters["points"] = static_cast<double>(m.tPoints - 1);
  state.counters["points_per_s"] = benchmark::Counter(static_cast<double>(m.tPoints - 1),
                                                      benchmark::Counter::kIsIterationInvariantRate);
  state.counters["levels"] = m.Contour.NoLevels;
  state.counters["segments"] = static_cast<double>(segments);
  state.counters["contour_points"] = static_cast<double>(m.Contour.Points.size());
}

void Fast(TDelaunay& m) {
  m.InitialiseContourLevels(m.zMin, m.zMax, kInterval);
  m.InitialiseContourLevels(m.zMin, m.zMax, kInterval);
  m.CalculateContours();
  m.SortContourLines();
}

void BM_ContoursIndexed(benchmark::State& state) {
  TDelaunay& m = Terrain(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Fast(m);
    benchmark::DoNotOptimize(m.Contour.Points.data());
  }
  Counters(state, m);
}

void BM_ContoursPlain(benchmark::State& state) {
  TDelaunay& m = Terrain(static_cast<int>(state.range(0)));
  Fast(m);
  const Delaunay::TContourSetup indexed = m.Contour;
  for (auto _ : state) {
    m.InitialiseContourLevels(m.zMin, m.zMax, kInterval);
    m.InitialiseContourLevels(m.zMin, m.zMax, kInterval);
    ref::CalculateContours(m, m.Contour);
    ref::SortContourLines(m.Contour);
    benchmark::DoNotOptimize(m.Contour.Points.data());
  }
  Counters(state, m);
  const std::string diff = ref::ContourDifference(m.Contour, indexed);
  if (!diff.empty()) state.SkipWithError(("indexed and plain results differ: " + diff).c_str());
}

BENCHMARK(BM_ContoursIndexed)->Arg(100)->Arg(178)->Arg(317)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContoursPlain)->Arg(100)->Arg(178)->Arg(317)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Without a filter of one's own the plain run on the large grid is left out.
  bool filtered = false;
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]).rfind("--benchmark_filter", 0) == 0) filtered = true;
  benchmark::Initialize(&argc, argv);
  if (filtered) {
    benchmark::RunSpecifiedBenchmarks();
  } else {
    benchmark::RunSpecifiedBenchmarks(nullptr, "Indexed|Plain/(100|178)");
  }
  benchmark::Shutdown();
  return 0;
}
