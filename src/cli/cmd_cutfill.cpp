// cutfill, and the cut-and-fill figures of run --json.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/options.h"
#include "points/reader.h"
#include "text/convert.h"
#include "text/format.h"
#include "volume/cut_fill.h"
#include "volume/horizon.h"
#include "volume/number_field.h"

namespace zelmaro::cli {

namespace {

void HorizonJson(JsonWriter& w, const HorizonCutFill& h) {
  w.Object().Key("area").Number(h.area).Key("hullArea").Number(h.hullArea);
  w.Key("above").Number(h.above).Key("below").Number(h.below);
  w.Key("areaAbove").Number(h.areaAbove).Key("areaBelow").Number(h.areaBelow).End();
}

}  // namespace

void CutFillJson(JsonWriter& w, const CutFill& c) {
  w.Object().Key("reference");
  HorizonJson(w, c.reference);
  w.Key("terrain");
  HorizonJson(w, c.terrain);
  const auto& b = c.between;
  w.Key("between").Object().Key("fill").Number(b.fill).Key("cut").Number(b.cut);
  w.Key("areaFill").Number(b.areaFill).Key("areaCut").Number(b.areaCut);
  w.Key("commonArea").Number(b.commonArea).Key("onlyReference").Number(b.onlyReference);
  w.Key("onlyTerrain").Number(b.onlyTerrain).End().End();
}

std::string CutFillTable(const CutFill& c) {
  // Labels are UTF-8; their width in columns is their count of characters.
  auto fill = [](const std::string& text, size_t width) {
    size_t chars = 0;
    for (unsigned char ch : text) chars += (ch & 0xC0) != 0x80;
    return std::string(width > chars ? width - chars : 0, ' ');
  };
  auto pad = [&](const std::string& label, size_t width) { return label + fill(label, width); };
  std::string out = "Auf- und Abtrag bei der Bezugshöhe " + HeightText(c.H0) + " m\n\n";
  out += fill("", 42) + fill("Bezugshorizont", 16) + "Bezugshorizont " + fill("Gelände", 16) +
         "Gelände\n";
  for (const HorizonRow& row : kHorizonRows)
    out += pad(row.label, 42) +
           Format("%16.2f %16.2f\n", c.reference.*row.value, c.terrain.*row.value);
  out += "\nGelände gegen Bezugshorizont\n";
  for (const BetweenRow& row : kBetweenRows)
    out += pad(row.label, 42) + Format("%16.2f\n", c.between.*row.value);
  return out;
}

// zelmaro-cli cutfill FILE [--h0 H] [--complete-outline]: both horizons
// triangulated as a run does it, without writing the protocol, and the cut
// and fill of them.
int CmdCutFill(const Args& args) {
  ParsedOptions o;
  if (int rc = ParseOptions(args, {{"--h0", true}, {"--complete-outline", false}}, o)) return rc;
  double h0 = 0;
  bool has_h0 = false;
  if (int rc = NumberOption(o, "--h0", "keine Höhe", h0, has_h0)) return rc;
  const bool complete_outline = o.Has("--complete-outline");

  PointTable P;
  if (!ReadPointsOrReport(o, P)) return 1;
  if (!has_h0) {
    double minx, miny, maxx, maxy, maxz;
    GetMinMax(P, minx, miny, h0, maxx, maxy, maxz);
  }
  long coincidences = 0;
  auto build = [&](const Horizon& horizon) {
    auto mesh = std::make_unique<Delaunay::TDelaunay>();
    OfferHorizonPoints(P, horizon, *mesh);
    MeshHorizon(*mesh, complete_outline);
    coincidences += mesh->Coincidences();
    return mesh;
  };
  const auto reference = build(kReferenceHorizon);
  const auto terrain = build(kTerrain);
  const std::string out = CutFillTable(ComputeCutFill(P, reference.get(), terrain.get(), h0));
  std::fwrite(out.data(), 1, out.size(), stdout);
  ReportCoincidences(coincidences);
  return 0;
}

}  // namespace zelmaro::cli
