#pragma once
// The window as far as a run needs it, for the commands that run one.
#include <string>
#include <utility>
#include <vector>

#include "volume/number_field.h"
#include "volume/run.h"

namespace zelmaro::cli {

class CliHost : public RunHost {
 public:
  CliHost(std::string file, std::string bem, NumberFieldModel& field)
      : file_(std::move(file)), bem_(std::move(bem)), field_(field) {}
  std::string PointFileName() override { return file_; }
  std::string ProjectDesignation() override { return bem_; }
  double ReferenceHeight() override { return field_.Value(); }
  std::string ReferenceHeightText() override { return field_.Text(); }
  void ShowProtocol(const std::vector<std::string>&) override {}
  bool ShowsProtocol() override { return false; }
  bool ShowsCutFill() override { return shows_cut_fill; }
  bool KeepsMeshes() override { return keeps_meshes; }
  void SetResultField(ResultField f, const std::string& text) override {
    fields[static_cast<size_t>(f)] = text;
  }
  void Coincidence() override { ++coincidences; }

  std::string fields[6];
  long coincidences = 0;
  bool shows_cut_fill = false;  // where something reports or exports it
  bool keeps_meshes = true;     // where something reads them after the run

 private:
  std::string file_;
  std::string bem_;
  NumberFieldModel& field_;
};

}  // namespace zelmaro::cli
