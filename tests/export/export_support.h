#pragma once
// A computation run on a generated survey, ready to export, and the
// independent readers the export tests use.
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "export/export_input.h"
#include "support/command.h"
#include "text/format.h"
#include "volume/volume_support.h"
#include "workspace/workspace.h"

namespace zelmaro::testing {

// A stockpile on Gauss-Krüger coordinates (large values make the shoelace
// sums cancel, the hard case for reading volumes back): the rim and every
// fifth inner point belong to the reference horizon, every 23rd point to no
// horizon. Point numbers start at first_nr; with repeat_numbers every tenth
// point repeats its predecessor's number.
inline std::string SurveyText(int side, int first_nr = 1001, bool repeat_numbers = false) {
  std::string text;
  int nr = first_nr;
  for (int i = 0; i < side; ++i) {
    for (int j = 0; j < side; ++j) {
      const int k = i * side + j;
      // A fixed jitter keeps the grid from being cocircular everywhere.
      const double jx = std::fmod(k * 0.6180339887, 1.0) - 0.5;
      const double jy = std::fmod(k * 0.4142135623, 1.0) - 0.5;
      const double x = 5656800.0 + i * 2.0 + jx;
      const double y = 3486900.0 + j * 2.0 + jy;
      const double r2 = (i - side / 2.0) * (i - side / 2.0) + (j - side / 2.0) * (j - side / 2.0);
      const bool rim = i == 0 || j == 0 || i == side - 1 || j == side - 1;
      int code = rim || k % 5 == 0 ? 1 : 0;
      if (k % 23 == 7 && !rim) code = 7;
      // The base is a tilted plane, the pile a bell on it.
      const double base = 282.5 + 0.04 * i + 0.03 * j;
      const double z = code == 1 ? base : base + 0.4 + 4.0 * std::exp(-r2 / (side * 3.0));
      if (!(repeat_numbers && k % 10 == 9)) ++nr;
      text += Format("%16d %5d %12.3f %12.3f %10.3f\r\n", nr, code, y, x, z);
    }
  }
  return text;
}

// The export of one run, as the window or the command line makes it.
struct ExportRun {
  ScratchDir dir;
  Workspace ws;
  FakeHost host;
  std::unique_ptr<RunRecord> record;
  ExportInput in;

  explicit ExportRun(const std::string& point_text, double interval = 0.5,
                     std::string bem = "Halde S\xC3\xBC" "d <1> & \"2\"", double h0 = NAN) {
    host.point_file = dir / "halde.asc";
    WriteBytes(host.point_file, point_text);
    host.bem = std::move(bem);
    ws.LiesPunkte(host.point_file);
    host.field.SetValue(std::isnan(h0) ? ws.bounds.MinZ : h0);
    RecordingHost recorder(host);
    ToolButton1Click(ws, recorder);
    record = std::make_unique<RunRecord>(recorder.Finish(ws.P));
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 4;
    t.tm_mday = 4;
    t.tm_hour = 3;
    t.tm_min = 2;
    t.tm_sec = 1;
    in = MakeExportInput(ws, *record, interval, t);
  }
};

// An independent reader on the machine, or why there is none.
inline bool HaveTool(const std::string& probe, std::string& why) {
  std::string out;
  if (RunCommand(probe + " >/dev/null 2>&1", out) == 0) return true;
  why = "'" + probe + "' fails: the reader is not installed (scripts/setup installs it)";
  return false;
}

// Relative agreement, for sums recomputed from a file.
inline bool Close(double a, double b, double rel) {
  return std::fabs(a - b) <= rel * std::max(std::fabs(a), std::fabs(b)) || a == b;
}

}  // namespace zelmaro::testing
