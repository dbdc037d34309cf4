#pragma once
// The record of one run as its host saw it, for exporting that run later.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "points/point_table.h"
#include "volume/run.h"

namespace zelmaro {

// What a run told its host, kept for exporting that run later: the window's
// fields may have changed since, the run's figures have not.
struct RunRecord {
  std::string point_file;
  std::string project;
  double H0 = 0;        // the reference height the run computed with
  std::string h0_text;  // as the field showed it ("286.684")
  std::array<std::string, 6> fields;  // EditA0, EditM0, EditA1, EditM1, EditA2, EditM2
  ProtocolLines protocol = std::make_shared<const std::vector<std::string>>();  // its lines
  // The table the meshes' vertex IDs point into. A copy: a point file read
  // or a grid edit after the run replaces the program's table, not the
  // meshes.
  PointTable P;
};

// A run host that passes everything on to the real one and keeps a record.
class RecordingHost : public RunHost {
 public:
  explicit RecordingHost(RunHost& inner) : inner_(inner) {}
  std::string PointFileName() override;
  std::string ProjectDesignation() override;
  double ReferenceHeight() override;
  std::string ReferenceHeightText() override;
  void ProtocolBegins() override { inner_.ProtocolBegins(); }
  void ShowProtocol(const std::vector<std::string>& lines) override { inner_.ShowProtocol(lines); }
  void KeepProtocol(const ProtocolLines& lines) override {
    record_.protocol = lines;
    inner_.KeepProtocol(lines);
  }
  // The record keeps the lines for the report, whether or not the host
  // shows them.
  bool ShowsProtocol() override { return true; }
  bool RunsWithoutProtocolFile() override { return inner_.RunsWithoutProtocolFile(); }
  void SetResultField(ResultField field, const std::string& text) override;
  void Coincidence() override { inner_.Coincidence(); }
  void Progress(const std::string& text) override { inner_.Progress(text); }

  // The record of the finished run, with its point table.
  RunRecord& Finish(const PointTable& P) {
    record_.P = P;
    return record_;
  }

 private:
  RunHost& inner_;
  RunRecord record_;
};

}  // namespace zelmaro
