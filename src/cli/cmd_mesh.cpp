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

  JsonWriter w;
  w.Object()
      .Key("HowMany").Number(mesh->HowMany)
      .Key("zMin").Number(mesh->zMin)
      .Key("zMax").Number(mesh->zMax)
      .Key("coincidences").Number(mesh->Coincidences())
      .Key("vertices").Array();
  for (int32_t v = 1; v < mesh->tPoints; ++v) {
    const Delaunay::dVertex& d = mesh->Vertex[v];
    w.Object().Key("x").Number(d.x).Key("y").Number(d.y).Key("z").Number(d.z);
    w.Key("ID").Number(d.ID).End();
  }
  w.End().Key("triangles").Array();
  for (int32_t t = 1; t <= mesh->HowMany; ++t) {
    const Delaunay::dTriangle& d = mesh->Triangle[t];
    w.Array().Number(d.vv0).Number(d.vv1).Number(d.vv2).End();
  }
  w.End().End();
  const std::string out = w.Text() + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace zelmaro::cli
