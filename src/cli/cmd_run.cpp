// run and balance: the computation run and the mass balance of the desktop
// program on one point file, with the protocol file written beside it.
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cli/cli_host.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/options.h"
#include "mesh/outline.h"
#include "text/convert.h"
#include "text/errors.h"
#include "text/format.h"
#include "volume/balance.h"
#include "volume/boundary.h"
#include "volume/breaklines.h"
#include "volume/horizon.h"
#include "volume/number_field.h"
#include "volume/run.h"
#include "workspace/workspace.h"
#include "workspace/mesh_cache.h"

namespace zelmaro::cli {

namespace {

constexpr const char* kFieldNames[] = {"EditA0", "EditM0", "EditA1", "EditM1", "EditA2", "EditM2"};

// Returns 0 when the options are complete, else the usage exit code.
int Parse(const Args& args, bool balance, ParsedOptions& o) {
  // run only: the boundary (a file or a chain of point numbers) and the
  // breaklines.
  const std::initializer_list<OptionRule> run = {
      {"--json", false},     {"--complete-outline", false}, {"--bem", true},
      {"--h0", true},        {"--boundary", true},          {"--boundary-points", true},
      {"--breaklines", true}};
  const std::initializer_list<OptionRule> mass_balance = {
      {"--json", false}, {"--complete-outline", false}, {"--bem", true}, {"--horizon", true}};
  if (int rc = ParseOptions(args, balance ? mass_balance : run, o)) return rc;
  for (const char* name : {"--boundary", "--boundary-points", "--breaklines"})
    if (o.Has(name) && o.Value(name).empty()) return Usage(std::string(name) + " ohne Wert");
  if (o.Has("--boundary") && o.Has("--boundary-points"))
    return Usage("--boundary und --boundary-points schließen einander aus");
  if (!balance) return 0;
  std::string horizon;
  return HorizonOption(o, horizon);
}

void OutlineJson(JsonWriter& w, const Workspace::OutlineResult& r) {
  w.Object().Key("hullArea").Number(r.coverage.hullArea);
  w.Key("meshArea").Number(r.coverage.meshArea);
  w.Key("missingTriangles").Number(r.coverage.missingTriangles);
  w.Key("addedTriangles").Number(r.added).End();
}

// Members a command puts before or after the common ones of its JSON.
using JsonMembers = std::function<void(JsonWriter&)>;

void Report(const Workspace& ws, const CliHost& host, const std::string& protocol, bool json,
            const JsonMembers& head_json, const std::string& head_text,
            const JsonMembers& tail_json = {}) {
  std::string out;
  if (json) {
    JsonWriter w;
    w.Object();
    if (head_json) head_json(w);
    for (size_t i = 0; i < 6; ++i) w.Key(kFieldNames[i]).String(host.fields[i]);
    w.Key("protocol").String(protocol);
    w.Key("outline").Object().Key("reference");
    OutlineJson(w, ws.outline0);
    w.Key("terrain");
    OutlineJson(w, ws.outline1);
    w.End();
    if (tail_json) tail_json(w);
    w.End();
    out = w.Text() + "\n";
  } else {
    out = head_text;
    const char* labels[] = {"Bezugshorizont Fläche m2", "Bezugshorizont Masse m3",
                            "Gelände Fläche m2",        "Gelände Masse m3",
                            "Differenz Fläche m2",      "Differenz Masse m3"};
    for (size_t i = 0; i < 6; ++i)
      out += std::string(kFieldNames[i]) + "  " + host.fields[i] + "  " + labels[i] + "\n";
    out += "Protokoll: " + protocol + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  ReportCoincidences(host.coincidences);
  for (const std::string& loss : {Delaunay::OutlineLossText("Bezugshorizont", ws.outline0.coverage),
                                  Delaunay::OutlineLossText("Gelände", ws.outline1.coverage)})
    if (!loss.empty()) std::fprintf(stderr, "%s\n", loss.c_str());
}

}  // namespace

int CmdRun(const Args& args) {
  ParsedOptions o;
  if (int rc = Parse(args, false, o)) return rc;
  double h0 = 0;
  bool has_h0 = false;
  if (int rc = NumberOption(o, "--h0", "keine Höhe", h0, has_h0)) return rc;
  const bool json = o.Has("--json");
  // The run refuses it; say so before even reading the file.
  if (ProtocolWouldOverwrite(o.file)) throw ELimitError(OwnProtocolRefusal(o.file));
  Workspace ws;
  ws.complete_outline = o.Has("--complete-outline");
  // As choosing the file in the program: read it, the field at MinZ.
  if (!ReadPointsOrReport(o, ws)) return 1;
  if (o.Has("--boundary"))
    ws.boundary = std::make_shared<const BoundaryClip>(ReadBoundaryFile(o.Value("--boundary")));
  if (o.Has("--boundary-points"))
    ws.boundary = std::make_shared<const BoundaryClip>(
        BoundaryFromPoints(ws.P, ParsePointNumbers(o.Value("--boundary-points"))));
  if (o.Has("--breaklines"))
    ws.breaklines =
        std::make_shared<const Breaklines>(ReadBreaklinesFile(o.Value("--breaklines")));
  NumberFieldModel field;
  field.SetValue(has_h0 ? h0 : ws.bounds.MinZ);
  CliHost host(o.file, o.Value("--bem"), field);
  host.shows_cut_fill = json;  // only run --json reports it
  host.keeps_meshes = json;    // for its cut and fill
  ToolButton1Click(ws, host);
  const auto tail = [&ws](JsonWriter& w) {
    w.Key("cutFill");
    CutFillJson(w, ws.cutFill);
    if (ws.boundary) {
      w.Key("boundary").Object().Key("area").Number(ws.boundary->Area());
      w.Key("uncovered").Object().Key("reference").Number(UncoveredArea(ws, kReferenceHorizon));
      w.Key("terrain").Number(UncoveredArea(ws, kTerrain)).End().End();
    }
    if (ws.breaklines) {
      w.Key("breaklines").Object();
      w.Key("segments").Number(static_cast<int64_t>(ws.preparedBreaklines.segments.size()));
      w.Key("crossings").Number(static_cast<int64_t>(ws.preparedBreaklines.crossings.size()));
      w.End();
    }
  };
  Report(ws, host, ProtocolFileName(o.file), json, {}, "", tail);
  if (!json && ws.boundary)
    std::printf("Begrenzung Fläche m2  %.2f, nicht überdeckt: Bezugshorizont %.2f, Gelände %.2f\n",
                ws.boundary->Area(), UncoveredArea(ws, kReferenceHorizon),
                UncoveredArea(ws, kTerrain));
  if (!json && ws.breaklines)
    std::printf("Bruchkanten: %zu Segmente, %zu Kreuzungen\n",
                ws.preparedBreaklines.segments.size(), ws.preparedBreaklines.crossings.size());
  return 0;
}

int CmdBalance(const Args& args) {
  ParsedOptions o;
  if (int rc = Parse(args, true, o)) return rc;
  Workspace ws;
  ws.complete_outline = o.Has("--complete-outline");
  // The passes read the same file: its meshes are made once.
  MeshCache meshes;
  ws.mesh_source = &meshes;
  NumberFieldModel field;
  CliHost host(o.file, o.Value("--bem"), field);
  if (ProtocolWouldOverwrite(o.file)) throw ELimitError(OwnProtocolRefusal(o.file));
  // As choosing the file with "...": the field at MinZ, limits equal. That
  // selection's own run is left out; the balance's runs replace it anyway.
  if (!ReadPointsOrReport(o, ws)) return 1;
  field.SetValue(ws.bounds.MinZ);
  int runs = 0;
  auto run = [&] {
    ++runs;
    ToolButton1Click(ws, host);
  };
  field.OnChangeValue = run;
  if (o.Value("--horizon") == "reference")
    SpeedButton1Click(ws, field, run);
  else
    SpeedButton2Click(ws, field, run);
  const std::string h0 = HeightText(field.Value());
  Report(ws, host, ProtocolFileName(o.file), o.Has("--json"),
         [&](JsonWriter& w) { w.Key("H0").String(h0).Key("runs").Number(int32_t{runs}); },
         "Bezugshöhe " + h0 + " m nach " + std::to_string(runs) + " Berechnungen\n");
  return 0;
}

}  // namespace zelmaro::cli
