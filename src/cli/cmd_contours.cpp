#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/json.h"
#include "cli/options.h"
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
  ParsedOptions o;
  if (int rc = ParseOptions(args,
                            {{"--json", false}, {"--complete-outline", false},
                             {"--horizon", true}, {"--interval", true}},
                            o))
    return rc;
  const bool json = o.Has("--json");
  const bool complete_outline = o.Has("--complete-outline");
  std::string horizon;
  if (int rc = HorizonOption(o, horizon)) return rc;
  if (!o.Has("--interval")) return Usage("kein Höhenlinienintervall angegeben (--interval)");
  double interval = 0;
  bool given = false;
  if (int rc = NumberOption(o, "--interval", "kein gültiger Gleitkommawert", interval, given))
    return rc;
  if (!(interval >= 0)) {
    std::fprintf(stderr, "%s\n", IntervalNotPositive(o.Value("--interval")).c_str());
    return 1;
  }

  PointTable P;
  if (!ReadPointsOrReport(o, P)) return 1;
  auto mesh = std::make_unique<Delaunay::TDelaunay>();
  mesh->SetCoincidenceHandler(ReportCoincidence);
  OfferHorizonPoints(P, horizon == "reference" ? kReferenceHorizon : kTerrain, *mesh);
  MeshHorizon(*mesh, complete_outline);
  ComputeContours(*mesh, interval);

  const Delaunay::TContourSetup& c = mesh->Contour;
  std::string out;
  if (json) {
    JsonWriter w;
    w.Reserve(64 + c.Levels.size() * 24 + c.Points.size() * 48);
    w.Object().Key("MinValue").Number(c.MinValue).Key("MaxValue").Number(c.MaxValue);
    w.Key("Range").Number(c.Range).Key("Step").Number(c.Step);
    w.Key("NoLevels").Number(c.NoLevels).Key("Levels").Array();
    for (double level : c.Levels) w.Number(level);
    w.End().Key("Points").Array();
    for (const Delaunay::TPunkt& p : c.Points)
      w.Array().Number(p.X).Number(p.Y).Number(int32_t{p.ln}).End();
    w.End().Key("Contours").Array();
    for (const auto& contour : c.Contours) {
      w.Array();
      for (const Delaunay::TLine& s : contour)
        w.Array().Number(s.sp).Number(s.ep).String(Mark(s.AE)).End();
      w.End();
    }
    w.End().End();
    out = w.Text() + "\n";
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
