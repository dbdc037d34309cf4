#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/options.h"
#include "text/format.h"
#include "workspace/workspace.h"

namespace zelmaro::cli {

int CmdPoints(const Args& args) {
  ParsedOptions o;
  if (int rc = ParseOptions(args, {{"--json", false}}, o)) return rc;
  const bool json = o.Has("--json");
  Workspace ws;
  if (!ReadPointsOrReport(o, ws)) return 1;
  const TableBounds& b = ws.bounds;
  std::string out;
  if (json) {
    JsonWriter w;
    w.Object().Key("points").Array();
    for (int i = 1; i <= High(ws.P); ++i) {
      const TPunkt& p = ws.P[static_cast<size_t>(i)];
      w.Object().Key("NR").Number(p.NR).Key("Code").Number(int32_t{p.Code});
      w.Key("Y").Number(p.Y).Key("X").Number(p.X).Key("Z").Number(p.Z).End();
    }
    w.End().Key("bounds").Object();
    w.Key("MinX").Number(b.MinX).Key("MinY").Number(b.MinY).Key("MinZ").Number(b.MinZ);
    w.Key("MaxX").Number(b.MaxX).Key("MaxY").Number(b.MaxY).Key("MaxZ").Number(b.MaxZ);
    w.End().End();
    out = w.Text() + "\n";
  } else {
    out = Format("%6s %10s %5s %14s %14s %10s\n", "ID", "NR", "Code", "Y", "X", "Z");
    for (int i = 1; i <= High(ws.P); ++i) {
      const TPunkt& p = ws.P[static_cast<size_t>(i)];
      out += Format("%6d %10d %5d %14.3f %14.3f %10.3f\n", i, p.NR, p.Code, p.Y, p.X, p.Z);
    }
    out += Format("%d Punkte\n", High(ws.P) < 0 ? 0 : High(ws.P));
    if (High(ws.P) >= 1)
      out += Format("Y %.3f .. %.3f   X %.3f .. %.3f   Z %.3f .. %.3f\n", b.MinY, b.MaxY, b.MinX,
                    b.MaxX, b.MinZ, b.MaxZ);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace zelmaro::cli
