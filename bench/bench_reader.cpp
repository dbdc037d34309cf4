// Reading a large point file: lines per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "points/reader.h"
#include "text/format.h"

namespace {

std::string MakeFile(int lines) {
  std::string name = (std::filesystem::temp_directory_path() /
                      ("zelmaro-bench-" + std::to_string(lines) + ".asc")).string();
  if (std::filesystem::exists(name)) return name;
  std::mt19937_64 rnd(42);
  std::uniform_real_distribution<double> d(0, 1000);
  std::string text;
  text.reserve(static_cast<size_t>(lines) * 61);
  for (int i = 1; i <= lines; ++i)
    text += zelmaro::Format("%16d %5d %12.3f %12.3f %10.3f\r\n", i, i % 2, 3486000 + d(rnd),
                            5656000 + d(rnd), 280 + d(rnd) / 50);
  std::FILE* f = std::fopen(name.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return name;
}

void BM_LiesPunkte(benchmark::State& state) {
  const int lines = static_cast<int>(state.range(0));
  const std::string file = MakeFile(lines);
  zelmaro::PointTable P;
  for (auto _ : state) {
    zelmaro::LiesPunkte(file, P);
    benchmark::DoNotOptimize(P.data());
  }
  state.counters["lines/s"] =
      benchmark::Counter(static_cast<double>(lines) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["MB/s"] = benchmark::Counter(
      static_cast<double>(std::filesystem::file_size(file)) * static_cast<double>(state.iterations()) / 1e6,
      benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LiesPunkte)->Arg(500000)->Arg(2000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
