#pragma once
// What the exports (LandXML, DXF, PDF report) read: the results of the last
// computation run, as read-only views into the program's state, and the few
// texts of that run the window or the command line knew.
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
#include "volume/run_record.h"
#include "volume/run_state.h"

namespace zelmaro {

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
