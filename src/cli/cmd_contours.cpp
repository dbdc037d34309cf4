#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "mesh/contour_interval.h"
#include "mesh/delaunay.h"
#include "points/reader.h"
#include "volume/horizon.h"
#include "text/convert.h"
#include "text/format.h"

namespace zelmaro::cli {

namespace {

std::string Mark(char16_t ae) {
  if (ae == 0) return "";
  return std::string(1, static_cast<char>(ae));
}

}  // namespace

// The contour lines of one horizon as the plot computes them before it draws:
// levels from the mesh's height range, twice, then segments and chaining.
int CmdContours(const Args& args) {
  std::string file, horizon, interval_text;
  bool complete_outline = false;
  bool json = false, have_interval = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      json = true;
    } else if (a == "--complete-outline") {
      complete_outline = true;
    } else if (a == "--horizon" || a == "--interval") {
      if (i + 1 >= args.size()) return Usage("'" + a + "' ohne Wert");
      if (a == "--horizon") {
        horizon = args[++i];
      } else {
        interval_text = args[++i];
        have_interval = true;
      }
    } else if (!a.empty() && a[0] == '-') {
      return Usage("unbekannte Option '" + a + "'");
    } else if (file.empty()) {
      file = a;
    } else {
      return Usage("zu viele Argumente");
    }
  }
  if (file.empty()) return Usage("keine Punktdatei angegeben");
  if (horizon != "reference" && horizon != "terrain")
    return Usage("--horizon muss 'reference' oder 'terrain' sein");
  if (!have_interval) return Usage("kein Höhenlinienintervall angegeben (--interval)");
  double interval = 0;
  if (!TryStrToFloat(interval_text, interval))
    return Usage("'" + interval_text + "' ist kein gültiger Gleitkommawert");

  PointTable P;
  if (Reported(ReadPointFile(file, P), file)) return 1;
  auto mesh = std::make_unique<Delaunay::TDelaunay>();
  mesh->SetCoincidenceHandler(
      [] { std::fputs("INCIRCUM - F - Points are coincident !!\n", stderr); });
  OfferHorizonPoints(P, horizon == "reference" ? kReferenceHorizon : kTerrain, *mesh);
  MeshHorizon(*mesh, complete_outline);
  ComputeContours(*mesh, interval);

  const Delaunay::TContourSetup& c = mesh->Contour;
  std::string out;
  if (json) {
    out.reserve(64 + c.Levels.size() * 24 + c.Points.size() * 48);
    out += "{\"MinValue\":" + JsonNumber(c.MinValue) + ",\"MaxValue\":" + JsonNumber(c.MaxValue) +
           ",\"Range\":" + JsonNumber(c.Range) + ",\"Step\":" + JsonNumber(c.Step) +
           ",\"NoLevels\":" + JsonNumber(c.NoLevels) + ",\"Levels\":[";
    for (size_t i = 0; i < c.Levels.size(); ++i) {
      if (i) out += ',';
      out += JsonNumber(c.Levels[i]);
    }
    out += "],\"Points\":[";
    for (size_t i = 0; i < c.Points.size(); ++i) {
      const Delaunay::TPunkt& p = c.Points[i];
      if (i) out += ',';
      out += '[' + JsonNumber(p.X) + ',' + JsonNumber(p.Y) + ',' + JsonNumber(int32_t{p.ln}) + ']';
    }
    out += "],\"Contours\":[";
    for (size_t i = 0; i < c.Contours.size(); ++i) {
      if (i) out += ',';
      out += '[';
      for (size_t k = 0; k < c.Contours[i].size(); ++k) {
        const Delaunay::TLine& s = c.Contours[i][k];
        if (k) out += ',';
        out += '[' + JsonNumber(s.sp) + ',' + JsonNumber(s.ep) + ',' + JsonString(Mark(s.AE)) +
               ']';
      }
      out += ']';
    }
    out += "]}\n";
  } else {
    out = Format("%d Höhenlinien im Abstand %g von %g bis %g, %zu Punkte\n", c.NoLevels, c.Step,
                 c.MinValue, c.MaxValue, c.Points.size());
    for (size_t i = 0; i < c.Levels.size(); ++i)
      out += Format("%12.3f %8zu Segmente\n", c.Levels[i], c.Contours[i].size());
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace zelmaro::cli
