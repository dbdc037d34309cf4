#pragma once
// The survey and the quiet run host that the run and export benchmarks share.
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "text/format.h"
#include "volume/run.h"

namespace bench {

// A survey-like dump heap: a mound of 30 m over 1 km, one point in three on
// the reference horizon, the others terrain. Made once per name in the
// system's temporary folder.
inline std::string MakeSurveyFile(const std::string& prefix, int points) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  std::string name = (dir / (prefix + std::to_string(points) + ".asc")).string();
  if (std::filesystem::exists(name)) return name;
  std::mt19937_64 rnd(7);
  std::uniform_real_distribution<double> d(0, 1000);
  std::string text;
  text.reserve(static_cast<size_t>(points) * 61);
  for (int i = 1; i <= points; ++i) {
    const double y = d(rnd), x = d(rnd);
    const double z = 280 + 15 * (1 - ((x - 500) * (x - 500) + (y - 500) * (y - 500)) / 5e5);
    text += zelmaro::Format("%16d %5d %12.3f %12.3f %10.3f\r\n", i, i % 3 == 0 ? 1 : 0,
                            3486000 + y, 5656000 + x, z);
  }
  std::FILE* f = std::fopen(name.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return name;
}

// A run at H0 = 285 that shows nothing; it counts the protocol lines shown.
class QuietHost : public zelmaro::RunHost {
 public:
  explicit QuietHost(std::string file) : file_(std::move(file)) {}
  std::string PointFileName() override { return file_; }
  std::string ProjectDesignation() override { return "Benchmark"; }
  double ReferenceHeight() override { return 285; }
  std::string ReferenceHeightText() override { return "285.000"; }
  void ShowProtocol(const std::vector<std::string>& lines) override { shown = lines.size(); }
  void SetResultField(zelmaro::ResultField, const std::string&) override {}
  void Coincidence() override {}
  size_t shown = 0;

 private:
  std::string file_;
};

}  // namespace bench
