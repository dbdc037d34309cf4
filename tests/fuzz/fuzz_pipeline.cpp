// Fuzz target for the whole computation: the bytes become a point file, which
// a run reads and meshes into both horizons with its protocol, whose meshes
// give contour lines, and whose reference horizon a short balance levels.
// Every failure must be one of the program's own German reports; anything
// else (a crash, a sanitizer report, another exception) is a finding.
// Built with the reader's target by scripts/fuzz.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "text/errors.h"
#include "volume/balance.h"
#include "volume/number_field.h"
#include "volume/run.h"
#include "workspace/workspace.h"

namespace {

class FuzzHost : public zelmaro::RunHost {
 public:
  FuzzHost(std::string file, zelmaro::NumberFieldModel& field) : file_(std::move(file)), field_(field) {}
  std::string PointFileName() override { return file_; }
  std::string ProjectDesignation() override { return "Fuzz"; }
  double ReferenceHeight() override { return field_.Value(); }
  std::string ReferenceHeightText() override { return field_.Text(); }
  void ShowProtocol(const std::vector<std::string>&) override {}
  void SetResultField(zelmaro::ResultField, const std::string&) override {}
  void Coincidence() override {}

 private:
  std::string file_;
  zelmaro::NumberFieldModel& field_;
};

// One folder for the whole fuzzing process; each input overwrites the file.
// In memory where there is a tmpfs: every run syncs its protocol to the disk.
const std::string& Folder() {
  static const std::string folder = [] {
    std::string name = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/zelmaro-fuzz-XXXXXX"
                                                       : "/tmp/zelmaro-fuzz-XXXXXX";
    if (!::mkdtemp(name.data())) std::abort();
    return name;
  }();
  return folder;
}

template <typename F>
void Expect(F&& step) {
  try {
    step();
  } catch (const zelmaro::EZelmaroError&) {
    // A German report of the program's own: the expected end of bad input.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first byte picks the contour interval, the rest is the point file.
  if (size < 1) return 0;
  static const double intervals[] = {0.1, 1, 0.01, 0.5, 10, 0.001, 2.5, 1e-6};
  const double interval = intervals[data[0] % 8];
  const std::string file = Folder() + "/punkte.asc";
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
  } else {
    std::abort();
  }

  zelmaro::Workspace ws;
  zelmaro::NumberFieldModel field;
  FuzzHost host(file, field);
  // A regular file that is there reads, unless it holds no point at all.
  if (!ws.LiesPunkte(file)) {
    if (ws.read_result != zelmaro::ReadResult::NotPointFile) std::abort();
    return 0;
  }
  Expect([&] {
    field.SetValue(ws.bounds.MinZ);
    zelmaro::ToolButton1Click(ws, host);
  });
  for (Delaunay::TDelaunay* mesh : {ws.Mesh0.get(), ws.Mesh1.get()}) {
    if (!mesh) continue;
    Expect([&] {
      mesh->InitialiseContourLevels(mesh->zMin, mesh->zMax, interval);
      mesh->CalculateContours();
      mesh->SortContourLines();
    });
  }
  Expect([&] {
    auto run = [&] { zelmaro::ToolButton1Click(ws, host); };
    field.OnChangeValue = run;
    zelmaro::SpeedButton1Click(ws, field, run);
  });
  return 0;
}
