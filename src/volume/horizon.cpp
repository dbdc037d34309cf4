#include "volume/horizon.h"

#include <charconv>
#include <cmath>

#include "text/errors.h"
#include "text/format.h"

namespace zelmaro {

namespace {
// Expressions are evaluated with a 64-bit significand and rounded to double
// where they are stored, as in the triangulation.
using ext = long double;

// Right-aligns [b, e) in width columns; a wider text widens the line.
void AppendPadded(std::string& out, const char* b, const char* e, int width) {
  const int n = static_cast<int>(e - b);
  if (n < width) out.append(static_cast<size_t>(width - n), ' ');
  out.append(b, e);
}

void AppendInt(std::string& out, int32_t v, int width) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  AppendPadded(out, buf, r.ptr, width);
}

// Fixed notation with two decimals from to_chars is exactly rounded: the
// same digits printf gives (halves of the binary value to even).
void AppendFixed2(std::string& out, double v, int width) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
  AppendPadded(out, buf, r.ptr, width);
}

bool IsReference(int8_t code) { return code == 1; }
bool IsTerrain(int8_t code) { return code == 0 || code == 1; }
}  // namespace

const Horizon kReferenceHorizon{"Bezugshorizont", IsReference, &Workspace::Mesh0,
                                &Workspace::sumA0, &Workspace::outline0, ResultField::EditA0,
                                ResultField::EditM0, true};
const Horizon kTerrain{"Gelände", IsTerrain, &Workspace::Mesh1, &Workspace::SumA1,
                       &Workspace::outline1, ResultField::EditA1, ResultField::EditM1, false};

std::string TriangleLine(int32_t t, int32_t nr0, int32_t nr1, int32_t nr2, double A, double Ma) {
  if (!std::isfinite(A) || !std::isfinite(Ma))
    return Format("%4d %10d %10d %10d %10.2f %10.2f", t, nr0, nr1, nr2, A, Ma);
  std::string line;
  line.reserve(64);
  AppendInt(line, t, 4);
  line += ' ';
  AppendInt(line, nr0, 10);
  line += ' ';
  AppendInt(line, nr1, 10);
  line += ' ';
  AppendInt(line, nr2, 10);
  line += ' ';
  AppendFixed2(line, A, 10);
  line += ' ';
  AppendFixed2(line, Ma, 10);
  return line;
}

void ProtocolOutput::Lines(std::initializer_list<std::string> group) {
  for (const std::string& line : group) file_.WriteLine(line);
  pane_.insert(pane_.end(), group.begin(), group.end());
}

void ProtocolOutput::Line(std::string line) {
  file_.WriteLine(line);
  pane_.push_back(std::move(line));
}

void OfferHorizonPoints(const PointTable& P, const Horizon& horizon, Delaunay::TDelaunay& mesh) {
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    if (horizon.takes(p.Code)) mesh.AddPoint(i, p.X, p.Y, p.Z);
  }
}

int32_t MeshHorizon(Delaunay::TDelaunay& mesh, bool complete_outline) {
  mesh.Mesh();
  return complete_outline ? Delaunay::CompleteOutline(mesh) : 0;
}

void TriangulateHorizon(Workspace& ws, const Horizon& horizon, RunHost& host) {
  std::unique_ptr<Delaunay::TDelaunay>& mesh = ws.*horizon.mesh;
  mesh.reset();
  mesh = std::make_unique<Delaunay::TDelaunay>();
  OfferHorizonPoints(ws.P, horizon, *mesh);
  host.Progress(std::string("Dreiecksvermaschung ") + horizon.heading + " …");
  // The mesh outlives the run (the plot keeps it), the host does not.
  mesh->SetCoincidenceHandler([&host] { host.Coincidence(); });
  struct DropHandler {
    Delaunay::TDelaunay& m;
    ~DropHandler() { m.SetCoincidenceHandler(nullptr); }
  } drop{*mesh};
  Workspace::OutlineResult& outline = ws.*horizon.outline;
  outline = {};
  outline.added = MeshHorizon(*mesh, ws.complete_outline);
  outline.coverage = Delaunay::MeasureOutline(*mesh);
}

HorizonResult CalcHorizon(Workspace& ws, const Horizon& horizon, RunHost& host,
                          ProtocolOutput& out) {
  if (ws.mesh_source)
    ws.mesh_source->ProvideMesh(ws, horizon, host);
  else
    TriangulateHorizon(ws, horizon, host);
  std::unique_ptr<Delaunay::TDelaunay>& mesh = ws.*horizon.mesh;
  const PointTable& P = ws.P;

  double V = 0;
  double& sumA = ws.*horizon.area_sum;
  sumA = 0;
  out.Lines({horizon.heading, kColumnHeader, kRule});
  const double H0 = host.ReferenceHeight();

  const Delaunay::dVertex* vertex = mesh->Vertex.get();
  const Delaunay::dTriangle* triangle = mesh->Triangle.get();
  for (int32_t t = 1; t <= mesh->HowMany; ++t) {
    const TPunkt& p0 = P[static_cast<size_t>(vertex[triangle[t].vv0].ID)];
    const TPunkt& p1 = P[static_cast<size_t>(vertex[triangle[t].vv1].ID)];
    const TPunkt& p2 = P[static_cast<size_t>(vertex[triangle[t].vv2].ID)];
    const double A = static_cast<double>(
        std::fabs((ext(p1.Y) - p2.Y) * p0.X + (ext(p2.Y) - p0.Y) * p1.X +
                  (ext(p0.Y) - p1.Y) * p2.X) /
        2);
    sumA = static_cast<double>(ext(sumA) + A);
    const double Ma = static_cast<double>(((ext(p0.Z) + p1.Z + p2.Z) / 3 - H0) * A);
    V = static_cast<double>(ext(V) + Ma);
    // Only coordinates near the double range get here; an overflow is an
    // error, never an "inf" in the protocol.
    if (!std::isfinite(sumA) || !std::isfinite(V)) throw EOverflow();
    out.Line(TriangleLine(t, p0.NR, p1.NR, p2.NR, A, Ma));
  }

  HorizonResult r;
  r.volume = V;
  r.area_text = Format("%10.2f", sumA);
  r.volume_text = Format("%10.2f", V);
  host.SetResultField(horizon.area_field, r.area_text);
  host.SetResultField(horizon.volume_field, r.volume_text);
  const std::string sum_line = Format("Summe %42.2f %10.2f", sumA, V);
  if (horizon.empty_line_after)
    out.Lines({kRule, sum_line, ""});
  else
    out.Lines({kRule, sum_line});
  return r;
}

}  // namespace zelmaro
