#include "export/export_input.h"

#include <charconv>
#include <cmath>

#include "text/errors.h"
#include "text/version.h"

namespace zelmaro {

namespace {
void CheckIds(const Delaunay::TDelaunay* mesh, const PointTable& P) {
  if (!mesh) return;
  const auto n = static_cast<int64_t>(P.size());
  for (int32_t v = 1; v < mesh->tPoints; ++v)
    if (mesh->Vertex[v].ID < 1 || mesh->Vertex[v].ID >= n) throw ERangeError();
  for (int32_t t = 1; t <= mesh->HowMany; ++t) {
    const Delaunay::dTriangle& tri = mesh->Triangle[t];
    for (int32_t v : {tri.vv0, tri.vv1, tri.vv2})
      if (v < 1 || v >= mesh->tPoints) throw ERangeError();
  }
}

void FillHorizon(ExportHorizon& h, const char* name, Delaunay::TDelaunay* mesh, double area,
                 double volume, double interval, ContourSource* contours) {
  h.name = name;
  h.mesh = mesh;
  h.area = area;
  h.volume = volume;
  if (!mesh) return;
  if (contours)
    contours->Contours(*mesh, interval);
  else
    ComputeContours(*mesh, interval);
  h.contour = &mesh->Contour;
  h.polylines = Delaunay::ContourPolylines(mesh->Contour);
}
}  // namespace

ExportInput MakeExportInput(RunState& ws, const RunRecord& run, double interval,
                            const std::tm& created, ContourSource* contours) {
  ExportInput in;
  CheckIds(ws.Mesh0.get(), run.P);
  CheckIds(ws.Mesh1.get(), run.P);
  in.P = &run.P;
  in.version = VersionText();
  in.run = &run;
  in.created = created;
  in.contour_interval = interval;
  FillHorizon(in.reference, "Bezugshorizont", ws.Mesh0.get(), ws.sumA0, ws.m0, interval, contours);
  FillHorizon(in.terrain, "Gelände", ws.Mesh1.get(), ws.SumA1, ws.m1, interval, contours);
  if (ws.cutFill.valid) in.cut_fill = &ws.cutFill;
  return in;
}

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return tm;
}

std::string ShortestNumber(double v) {
  if (!std::isfinite(v)) throw EInvalidOp();
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  return std::string(buf, r.ptr);
}

}  // namespace zelmaro
