// bands: the volume per height band (stage and storage) of one horizon.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/options.h"
#include "mesh/constrained.h"
#include "mesh/delaunay.h"
#include "points/reader.h"
#include "text/format.h"
#include "volume/bands.h"
#include "volume/breaklines.h"
#include "volume/horizon.h"

namespace zelmaro::cli {

int CmdBands(const Args& args) {
  ParsedOptions o;
  if (int rc = ParseOptions(args,
                            {{"--json", false},
                             {"--complete-outline", false},
                             {"--horizon", true},
                             {"--step", true},
                             {"--h0", true},
                             {"--breaklines", true}},
                            o))
    return rc;
  std::string horizon;
  if (int rc = HorizonOption(o, horizon)) return rc;
  const std::string breaklines = o.Value("--breaklines");
  const bool json = o.Has("--json"), complete_outline = o.Has("--complete-outline");
  double step = 0, h0 = 0;
  bool has_step = false, has_h0 = false;
  if (int rc = NumberOption(o, "--step", "keine Stufenhöhe", step, has_step)) return rc;
  if (!has_step) return Usage("keine Stufenhöhe angegeben (--step)");
  if (!(step > 0)) return Usage("die Stufenhöhe muss größer als 0 sein");
  if (int rc = NumberOption(o, "--h0", "keine Höhe", h0, has_h0)) return rc;

  PointTable P;
  if (!ReadPointsOrReport(o, P)) return 1;
  if (!has_h0) {
    // As a run: the reference height at the lowest point.
    double x0, y0, x1, y1, z1;
    GetMinMax(P, x0, y0, h0, x1, y1, z1);
  }
  PreparedBreaklines lines;
  if (!breaklines.empty()) lines = PrepareBreaklines(P, ReadBreaklinesFile(breaklines));
  auto mesh = std::make_unique<Delaunay::TDelaunay>();
  long coincidences = 0;
  mesh->SetCoincidenceHandler([&coincidences] { ++coincidences; });
  OfferHorizonPoints(P, horizon == "reference" ? kReferenceHorizon : kTerrain, *mesh);
  MeshHorizon(*mesh, complete_outline);
  if (!lines.segments.empty()) Delaunay::ForceEdges(*mesh, MeshSegments(*mesh, lines.segments));
  const std::vector<BandRow> rows = HeightBands(P, *mesh, h0, step);

  std::string out;
  if (json) {
    JsonWriter w;
    w.Object().Key("horizon").String(horizon).Key("H0").Number(h0);
    w.Key("step").Number(step).Key("bands").Array();
    for (const BandRow& row : rows) {
      w.Object().Key("height").Number(row.height).Key("area").Number(row.area);
      w.Key("volume").Number(row.volume).Key("cumulative").Number(row.cumulative).End();
    }
    w.End().End();
    out = w.Text() + "\n";
  } else {
    out = Format("Höhenstufen %s, Höhenbezug %.3f m, Stufe %g m\n",
                 horizon == "reference" ? "Bezugshorizont" : "Gelände", h0, step);
    out += "    Höhe m  Fläche m2   Masse m3   Summe m3\n";
    for (const BandRow& r : rows)
      out += Format("%10.3f %10.2f %10.2f %10.2f\n", r.height, r.area, r.volume, r.cumulative);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  ReportCoincidences(coincidences);
  return 0;
}

}  // namespace zelmaro::cli
