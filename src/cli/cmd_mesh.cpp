#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/options.h"
#include "mesh/delaunay.h"
#include "points/reader.h"
#include "volume/horizon.h"

namespace zelmaro::cli {

// zelmaro-cli mesh FILE --horizon reference|terrain --json: the triangulation
// of one horizon as the computation builds it, with the vertices in store
// order after the sort and the triangles in slot order.
int CmdMesh(const Args& args) {
  ParsedOptions o;
  if (int rc = ParseOptions(
          args, {{"--json", false}, {"--complete-outline", false}, {"--horizon", true}}, o))
    return rc;
  std::string horizon;
  if (int rc = HorizonOption(o, horizon)) return rc;
  if (!o.Has("--json")) return Usage("mesh gibt nur JSON aus (--json)");
  const bool complete_outline = o.Has("--complete-outline");

  PointTable P;
  if (!ReadPointsOrReport(o, P)) return 1;
  auto mesh = std::make_unique<Delaunay::TDelaunay>();
  OfferHorizonPoints(P, horizon == "reference" ? kReferenceHorizon : kTerrain, *mesh);
  MeshHorizon(*mesh, complete_outline);

  // Appended piece by piece: long chains of string + trip a false warning of
  // the compiler.
  std::string out;
  auto field = [&out](const char* name, const std::string& value) {
    out += '"';
    out += name;
    out += "\":";
    out += value;
  };
  out += '{';
  field("HowMany", JsonNumber(mesh->HowMany));
  out += ',';
  field("zMin", JsonNumber(mesh->zMin));
  out += ',';
  field("zMax", JsonNumber(mesh->zMax));
  out += ',';
  field("coincidences", JsonNumber(mesh->Coincidences()));
  out += ",\"vertices\":[";
  for (int32_t v = 1; v < mesh->tPoints; ++v) {
    const Delaunay::dVertex& d = mesh->Vertex[v];
    if (v > 1) out += ',';
    out += '{';
    field("x", JsonNumber(d.x));
    out += ',';
    field("y", JsonNumber(d.y));
    out += ',';
    field("z", JsonNumber(d.z));
    out += ',';
    field("ID", JsonNumber(d.ID));
    out += '}';
  }
  out += "],\"triangles\":[";
  for (int32_t t = 1; t <= mesh->HowMany; ++t) {
    const Delaunay::dTriangle& d = mesh->Triangle[t];
    if (t > 1) out += ',';
    out += '[';
    out += JsonNumber(d.vv0);
    out += ',';
    out += JsonNumber(d.vv1);
    out += ',';
    out += JsonNumber(d.vv2);
    out += ']';
  }
  out += "]}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace zelmaro::cli
