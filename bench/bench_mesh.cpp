// Triangulation speed: point intake plus Mesh, in points per second, on
// uniformly random points and on a regular grid with survey coordinates.
// With CGAL installed, its Delaunay_triangulation_2 meshes the same points
// in the same run, and the ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "mesh/delaunay.h"

#ifdef ZELMARO_BENCH_CGAL
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#endif

namespace {

struct Pt {
  double x, y, z;
};

std::vector<Pt> UniformPoints(int n) {
  std::mt19937_64 rng(20261209);
  std::uniform_real_distribution<double> u(0, 1000);
  std::vector<Pt> pts(static_cast<size_t>(n));
  for (Pt& p : pts) p = {u(rng), u(rng), 100 + u(rng) / 100};
  return pts;
}

// Rows of equal y and columns of equal x, 1 m apart, offered row by row.
std::vector<Pt> SurveyGrid(int n) {
  const int side = static_cast<int>(std::ceil(std::sqrt(double(n))));
  std::vector<Pt> pts;
  for (int a = 0; a < side && static_cast<int>(pts.size()) < n; ++a)
    for (int b = 0; b < side && static_cast<int>(pts.size()) < n; ++b)
      pts.push_back({5656820.914 + b, 3486946.169 + a, 280 + ((a * 7 + b * 3) % 11) * 0.1});
  return pts;
}

const std::vector<Pt>& Set(int kind, int n) {
  static std::map<std::pair<int, int>, std::vector<Pt>> sets;
  auto& s = sets[{kind, n}];
  if (s.empty()) s = kind == 0 ? UniformPoints(n) : SurveyGrid(n);
  return s;
}

std::string SetName(int kind, int n) {
  return (kind == 0 ? "uniform/" : "survey_grid/") + std::to_string(n);
}

// Best seconds per run, by set and by triangulator, for the closing table.
std::map<std::string, std::map<std::string, double>> best;

void Record(const std::string& set, const std::string& who, double seconds) {
  auto [it, fresh] = best[set].try_emplace(who, seconds);
  if (!fresh) it->second = std::min(it->second, seconds);
}

void BM_Zelmaro(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<Pt>& pts = Set(kind, n);
  int32_t triangles = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    auto mesh = std::make_unique<Delaunay::TDelaunay>();
    for (size_t i = 0; i < pts.size(); ++i)
      mesh->AddPoint(static_cast<int32_t>(i + 1), pts[i].x, pts[i].y, pts[i].z);
    mesh->Mesh();
    triangles = mesh->HowMany;
    benchmark::DoNotOptimize(triangles);
    Record(SetName(kind, n), "zelmaro",
           std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  state.counters["points/s"] =
      benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["triangles"] = triangles;
}

// Mesh alone, the points already taken in: the part that compares with a
// triangulator that is handed its points.
void BM_ZelmaroMeshOnly(benchmark::State& state) {
  const int kind = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<Pt>& pts = Set(kind, n);
  for (auto _ : state) {
    state.PauseTiming();
    auto mesh = std::make_unique<Delaunay::TDelaunay>();
    for (size_t i = 0; i < pts.size(); ++i)
      mesh->AddPoint(static_cast<int32_t>(i + 1), pts[i].x, pts[i].y, pts[i].z);
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    mesh->Mesh();
    Record(SetName(kind, n), "zelmaro mesh",
           std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    state.PauseTiming();
    mesh.reset();
    state.ResumeTiming();
  }
  state.counters["points/s"] =
      benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
}

#ifdef ZELMARO_BENCH_CGAL
void BM_CGAL(benchmark::State& state) {
  using K = CGAL::Exact_predicates_inexact_constructions_kernel;
  using DT = CGAL::Delaunay_triangulation_2<K>;
  const int kind = static_cast<int>(state.range(0)), n = static_cast<int>(state.range(1));
  const std::vector<Pt>& pts = Set(kind, n);
  std::vector<K::Point_2> in;
  for (const Pt& p : pts) in.emplace_back(p.x, p.y);
  size_t faces = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    DT dt;
    dt.insert(in.begin(), in.end());
    faces = dt.number_of_faces();
    benchmark::DoNotOptimize(faces);
    Record(SetName(kind, n), "cgal",
           std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
  state.counters["points/s"] =
      benchmark::Counter(double(n), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["triangles"] = static_cast<double>(faces);
}
#endif

void Sets(benchmark::internal::Benchmark* b) {
  for (int n : {100000, 400000, 2000000}) b->Args({0, n})->Args({1, n});
  b->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

BENCHMARK(BM_Zelmaro)->Apply(Sets);
BENCHMARK(BM_ZelmaroMeshOnly)->Apply(Sets);
#ifdef ZELMARO_BENCH_CGAL
BENCHMARK(BM_CGAL)->Apply(Sets);
#endif

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // Best times; "all" is AddPoint and Mesh, "mesh" Mesh alone.
  std::printf("\n%-22s %10s %10s %10s %8s %8s\n", "set", "all ms", "mesh ms", "cgal ms", "all/cgal",
              "mesh/cgal");
  for (const auto& [set, by] : best) {
    const auto z = by.find("zelmaro"), m = by.find("zelmaro mesh"), c = by.find("cgal");
    if (z == by.end() || m == by.end()) continue;
    if (c == by.end())
      std::printf("%-22s %10.1f %10.1f %10s %8s %8s\n", set.c_str(), z->second * 1e3,
                  m->second * 1e3, "-", "-", "-");
    else
      std::printf("%-22s %10.1f %10.1f %10.1f %8.2f %8.2f\n", set.c_str(), z->second * 1e3,
                  m->second * 1e3, c->second * 1e3, z->second / c->second, m->second / c->second);
  }
  for (const char* kind : {"uniform/", "survey_grid/"})
    for (int n : {400000, 2000000}) {
      const auto a = best.find(std::string(kind) + "100000"), b = best.find(kind + std::to_string(n));
      if (a == best.end() || b == best.end() || !a->second.count("zelmaro") ||
          !b->second.count("zelmaro"))
        continue;
      std::printf("time per point, %d vs 100000 %s: %.2f\n", n, kind,
                  (b->second["zelmaro"] / n) / (a->second["zelmaro"] / 100000));
    }
  return 0;
}
