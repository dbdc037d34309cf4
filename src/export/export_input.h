#pragma once
// What the exports (LandXML, DXF, PDF report) read: the results of the last
// computation run, as read-only views into the program's state, and the few
// texts of that run the window or the command line knew.
#include <array>
#include <ctime>
#include <string>
#include <vector>

#include "export/export_options.h"
#include "mesh/contour_interval.h"
#include "mesh/contour_polylines.h"
#include "mesh/delaunay.h"
#include "points/point_table.h"
#include "volume/cut_fill.h"
#include "volume/run.h"
#include "volume/run_state.h"

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

struct ExportHorizon {
  const char* name = "";  // "Bezugshorizont" or "Gelände"
  const Delaunay::TDelaunay* mesh = nullptr;  // null before the first run
  double area = 0;    // sumA0 / SumA1
  double volume = 0;  // m0 / m1
  const Delaunay::TContourSetup* contour = nullptr;  // null: no contour lines
  std::vector<Delaunay::ContourPolyline> polylines;
};

struct ExportInput {
  const PointTable* P = nullptr;
  std::string version;  // "1.1"
  const RunRecord* run = nullptr;
  std::tm created{};    // local time of the export
  double contour_interval = 0.1;
  ExportHorizon reference;
  ExportHorizon terrain;
  // Cut and fill of the run, where it computed them; null otherwise.
  const CutFill* cut_fill = nullptr;
  // The user's choices; the writers set nothing here.
  ExportOptions options;
};

// The export of the last run: contours of both meshes at the interval (the
// plot's), taken from contours when given (the window's cache, so that the
// plot and the export share them), polylines joined, views set. ws and run
// must outlive the result. Throws ERangeError when a mesh refers to points
// the run's table does not have (the meshes are not that run's).
ExportInput MakeExportInput(RunState& ws, const RunRecord& run, double interval,
                            const std::tm& created, ContourSource* contours = nullptr);

// The local time now.
std::tm LocalTimeNow();

// The shortest decimal text that reads back as the same double, "." as the
// decimal separator, never an exponent.
std::string ShortestNumber(double v);

}  // namespace zelmaro
