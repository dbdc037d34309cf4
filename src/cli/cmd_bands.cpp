// bands: the volume per height band (stage and storage) of one horizon.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "mesh/constrained.h"
#include "mesh/delaunay.h"
#include "points/reader.h"
#include "text/convert.h"
#include "text/format.h"
#include "volume/bands.h"
#include "volume/breaklines.h"
#include "volume/horizon.h"

namespace zelmaro::cli {

int CmdBands(const Args& args) {
  std::string file, horizon, step_text, h0_text, breaklines;
  bool json = false, complete_outline = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      json = true;
    } else if (a == "--complete-outline") {
      complete_outline = true;
    } else if (a == "--horizon" || a == "--step" || a == "--h0" || a == "--breaklines") {
      if (i + 1 >= args.size()) return Usage("'" + a + "' ohne Wert");
      std::string& to = a == "--horizon" ? horizon
                        : a == "--step"  ? step_text
                        : a == "--h0"    ? h0_text
                                         : breaklines;
      to = args[++i];
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
  double step = 0;
  if (step_text.empty()) return Usage("keine Stufenhöhe angegeben (--step)");
  if (!TryStrToFloat(Trim(step_text), step) || !(step > 0))
    return Usage("'" + step_text + "' ist keine Stufenhöhe größer als 0");

  PointTable P;
  if (Reported(ReadPointFile(file, P), file)) return 1;
  double h0 = 0;
  if (!h0_text.empty()) {
    if (!TryStrToFloat(Trim(h0_text), h0)) return Usage("'" + h0_text + "' ist keine Höhe");
  } else {
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
    out = "{\"horizon\":" + JsonString(horizon) + ",\"H0\":" + JsonNumber(h0) +
          ",\"step\":" + JsonNumber(step) + ",\"bands\":[";
    for (size_t i = 0; i < rows.size(); ++i) {
      if (i) out += ',';
      out += "{\"height\":" + JsonNumber(rows[i].height) + ",\"area\":" + JsonNumber(rows[i].area) +
             ",\"volume\":" + JsonNumber(rows[i].volume) +
             ",\"cumulative\":" + JsonNumber(rows[i].cumulative) + "}";
    }
    out += "]}\n";
  } else {
    out = Format("Höhenstufen %s, Höhenbezug %.3f m, Stufe %g m\n",
                 horizon == "reference" ? "Bezugshorizont" : "Gelände", h0, step);
    out += "    Höhe m  Fläche m2   Masse m3   Summe m3\n";
    for (const BandRow& r : rows)
      out += Format("%10.3f %10.2f %10.2f %10.2f\n", r.height, r.area, r.volume, r.cumulative);
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (coincidences > 0)
    std::fprintf(stderr, "INCIRCUM - F - Points are coincident !! (%ld mal)\n", coincidences);
  return 0;
}

}  // namespace zelmaro::cli
