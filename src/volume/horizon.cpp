#include "volume/horizon.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <iterator>
#include <system_error>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "text/errors.h"
#include "text/format.h"

namespace zelmaro {

namespace {
// Expressions are evaluated with a 64-bit significand and rounded to double
// where they are stored, as in the triangulation.
using ext = long double;

// Right-aligns [b, e) in width columns at out; a wider text widens the line.
char* PutPadded(char* out, const char* b, const char* e, int width) {
  const int n = static_cast<int>(e - b);
  for (int k = n; k < width; ++k) *out++ = ' ';
  std::memcpy(out, b, static_cast<size_t>(n));
  return out + n;
}

char* PutInt(char* out, int32_t v, int width) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return PutPadded(out, buf, r.ptr, width);
}

// "%*.2f". A double has 53 significant bits and 100 needs 7, so v * 100 is
// exact in the 64-bit significand of the extended type; rounding that to an
// integer in the default mode (to nearest, halves to even) is the rounding
// printf does on the exact binary value. Beyond 1e15 the integer would not
// fit comfortably, and to_chars (exact as well) takes over.
char* PutFixed2(char* out, double v, int width) {
  char buf[400];
  char* const end = buf + sizeof buf;
  if (std::fabs(v) < 1e15) {
    const long long n = std::llrintl(ext(v) * 100);
    unsigned long long u = n < 0 ? 0ull - static_cast<unsigned long long>(n)
                                 : static_cast<unsigned long long>(n);
    char* q = end;
    *--q = static_cast<char>('0' + u % 10);
    u /= 10;
    *--q = static_cast<char>('0' + u % 10);
    u /= 10;
    *--q = '.';
    do {
      *--q = static_cast<char>('0' + u % 10);
      u /= 10;
    } while (u != 0);
    if (std::signbit(v)) *--q = '-';  // "-0.00" as printf prints it
    return PutPadded(out, q, end, width);
  }
  if (!std::isfinite(v)) {
    const std::string s = Format("%.2f", v);
    return PutPadded(out, s.data(), s.data() + s.size(), width);
  }
  auto r = std::to_chars(buf, end, v, std::chars_format::fixed, 2);
  return PutPadded(out, buf, r.ptr, width);
}

bool IsReference(int8_t code) { return code == 1; }
bool IsTerrain(int8_t code) { return code == 0 || code == 1; }

// What the volume loop reads of a vertex, side by side in one array by
// vertex slot: the point table's coordinates (not the mesh's rounded copies)
// and the point number.
struct Corner {
  double X, Y, Z;
  int32_t NR;
};

// The head lines and the triangle lines of a horizon table, each formatted
// straight into the file's buffer, with the area and volume sums, in
// triangle order.
void TableLines(const Horizon& horizon, const PointTable& P, const Delaunay::TDelaunay& mesh,
                double H0, double& sumA, double& V, ProtocolOutput& out,
                const BoundaryClip* clip) {
  out.Lines({horizon.heading, kColumnHeader, kRule});
  const int32_t n = mesh.HowMany;
  if (n <= 0) return;
  std::vector<Corner> corner(static_cast<size_t>(mesh.tPoints));
  for (int32_t v = 1; v < mesh.tPoints; ++v) {
    const TPunkt& p = P[static_cast<size_t>(mesh.Vertex[v].ID)];
    corner[static_cast<size_t>(v)] = Corner{p.X, p.Y, p.Z, p.NR};
  }
  const Delaunay::dTriangle* triangle = &mesh.Triangle[0];
  for (int32_t t = 1; t <= n; ++t) {
    const Delaunay::dTriangle& tr = triangle[t];
    const Corner& p0 = corner[static_cast<size_t>(tr.vv0)];
    const Corner& p1 = corner[static_cast<size_t>(tr.vv1)];
    const Corner& p2 = corner[static_cast<size_t>(tr.vv2)];
    double A, Ma;
    if (clip) {
      // The prism over the triangle's part inside the boundary; a triangle
      // with no part inside has no line.
      const double X[3] = {p0.X, p1.X, p2.X}, Y[3] = {p0.Y, p1.Y, p2.Y}, Z[3] = {p0.Z, p1.Z, p2.Z};
      clip->Prism(X, Y, Z, H0, A, Ma);
      if (A == 0) continue;
    } else {
      A = static_cast<double>(
          std::fabs((ext(p1.Y) - p2.Y) * p0.X + (ext(p2.Y) - p0.Y) * p1.X +
                    (ext(p0.Y) - p1.Y) * p2.X) /
          2);
      Ma = static_cast<double>(((ext(p0.Z) + p1.Z + p2.Z) / 3 - H0) * A);
    }
    sumA = static_cast<double>(ext(sumA) + A);
    V = static_cast<double>(ext(V) + Ma);
    // Only coordinates near the double range get here; an overflow is an
    // error, never an "inf" in the protocol.
    if (!std::isfinite(sumA) || !std::isfinite(V)) throw EOverflow();
    char* b = out.Begin();
    out.End(b, FormatTriangleLine(b, t, p0.NR, p1.NR, p2.NR, A, Ma));
  }
}

// Release of the previous mesh, a new one, the horizon's points, Mesh and
// the outline. The mesh is in place before it is filled, so that a failure
// leaves it as far as it got; outline_reset tells whether the outline
// result was reset before the failure.
void BuildMesh(const PointTable& P, const Horizon& horizon, bool complete_outline,
               const std::vector<std::pair<int32_t, int32_t>>* breaklines,
               std::unique_ptr<Delaunay::TDelaunay>& mesh, RunState::OutlineResult& outline,
               bool& outline_reset, const Delaunay::TDelaunay::CoincidenceHandler& on_coincidence) {
  mesh.reset();
  mesh = std::make_unique<Delaunay::TDelaunay>();
  OfferHorizonPoints(P, horizon, *mesh);
  // The mesh outlives the run (the plot keeps it), the handler does not.
  mesh->SetCoincidenceHandler(on_coincidence);
  struct DropHandler {
    Delaunay::TDelaunay& m;
    ~DropHandler() { m.SetCoincidenceHandler(nullptr); }
  } drop{*mesh};
  outline = {};
  outline_reset = true;
  outline.added = MeshHorizon(*mesh, complete_outline);
  if (breaklines) {
    outline.constraints = Delaunay::ForceEdges(*mesh, MeshSegments(*mesh, *breaklines));
    // Reported by the points' slots in the table, which outlive the mesh.
    for (auto& [a, b] : outline.constraints.failed)
      a = mesh->Vertex[static_cast<size_t>(a)].ID, b = mesh->Vertex[static_cast<size_t>(b)].ID;
  }
  outline.coverage = Delaunay::MeasureOutline(*mesh);
}

// The table of a horizon whose mesh stands in the workspace: the head lines
// and the triangle lines (written now, or written by another thread and
// handed in as their pane lines with their sums and the failure that ended
// them), the fields and the sum lines.
struct Preformatted {
  ProtocolBlock& block;
  double sumA, V;
  std::exception_ptr error;
};

HorizonResult WriteTable(RunState& ws, const Horizon& horizon, RunHost& host, ProtocolOutput& out,
                         Preformatted* pre) {
  double V = 0;
  double& sumA = ws.*horizon.area_sum;
  sumA = 0;
  if (pre) {
    out.Block(pre->block);
    sumA = pre->sumA;
    V = pre->V;
    if (pre->error) std::rethrow_exception(pre->error);
  } else {
    TableLines(horizon, ws.P, *(ws.*horizon.mesh), host.ReferenceHeight(), sumA, V, out,
               ws.boundary.get());
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

}  // namespace

const Horizon kReferenceHorizon{"Bezugshorizont", IsReference, &RunState::Mesh0,
                                &RunState::sumA0, &RunState::outline0, ResultField::EditA0,
                                ResultField::EditM0, true};
const Horizon kTerrain{"Gelände", IsTerrain, &RunState::Mesh1, &RunState::SumA1,
                       &RunState::outline1, ResultField::EditA1, ResultField::EditM1, false};

char* FormatTriangleLine(char* out, int32_t t, int32_t nr0, int32_t nr1, int32_t nr2, double A,
                         double Ma) {
  out = PutInt(out, t, 4);
  *out++ = ' ';
  out = PutInt(out, nr0, 10);
  *out++ = ' ';
  out = PutInt(out, nr1, 10);
  *out++ = ' ';
  out = PutInt(out, nr2, 10);
  *out++ = ' ';
  out = PutFixed2(out, A, 10);
  *out++ = ' ';
  return PutFixed2(out, Ma, 10);
}

std::string TriangleLine(int32_t t, int32_t nr0, int32_t nr1, int32_t nr2, double A, double Ma) {
  char buf[ProtocolOutput::kTriangleLineMax];
  return std::string(buf, FormatTriangleLine(buf, t, nr0, nr1, nr2, A, Ma));
}

void ProtocolOutput::Lines(std::initializer_list<std::string> group) {
  for (const std::string& line : group) file_.WriteLine(line);
  if (keep_pane_) pane_.insert(pane_.end(), group.begin(), group.end());
}

void ProtocolOutput::Line(std::string line) {
  file_.WriteLine(line);
  if (keep_pane_) pane_.push_back(std::move(line));
}

void ProtocolOutput::End(char* begin, char* end) {
  if (keep_pane_) pane_.emplace_back(begin, end);
  file_.EndLine(end);
}

void ProtocolOutput::Block(ProtocolBlock& block) {
  if (keep_pane_) pane_.insert(pane_.end(), std::make_move_iterator(block.pane.begin()),
                               std::make_move_iterator(block.pane.end()));
}

void OfferHorizonPoints(const PointTable& P, const Horizon& horizon, Delaunay::TDelaunay& mesh) {
  int32_t n = 0;
  for (int i = 1; i <= High(P); ++i) n += horizon.takes(P[static_cast<size_t>(i)].Code);
  mesh.ReservePoints(n);
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    if (!horizon.takes(p.Code)) continue;
    try {
      mesh.AddPoint(i, p.X, p.Y, p.Z);
    } catch (const zelmaro::EInvalidOp&) {
      // The mesh keeps coordinates in micrometres of a 64-bit integer.
      const double bad = !(std::fabs(p.X) < 9.2e12) ? p.X : !(std::fabs(p.Y) < 9.2e12) ? p.Y : p.Z;
      throw zelmaro::ELimitError(zelmaro::Format(
          "Punkt Nr. %d (der %d. Punkt der Punktdatei): die Koordinate %g liegt außerhalb des "
          "Bereichs, den die Vermaschung rechnen kann (höchstens 9.2e12 m vom Nullpunkt).",
          p.NR, i, bad));
    }
  }
}

int32_t MeshHorizon(Delaunay::TDelaunay& mesh, bool complete_outline) {
  mesh.Mesh();
  return complete_outline ? Delaunay::CompleteOutline(mesh) : 0;
}

namespace {
void ReplayCoincidences(const Delaunay::TDelaunay& mesh, RunHost& host) {
  for (int32_t k = mesh.Coincidences(); k > 0; --k) host.Coincidence();
}
}  // namespace

const std::vector<std::pair<int32_t, int32_t>>* BreaklineSegments(const RunState& ws) {
  return ws.breaklines ? &ws.preparedBreaklines.segments : nullptr;
}

void ProvideHorizonMesh(RunState& ws, const Horizon& horizon, RunHost& host) {
  if (ws.mesh_source && ws.mesh_source->Reusable(ws, horizon)) {
    ReplayCoincidences(*(ws.*horizon.mesh), host);
    return;
  }
  host.Progress(std::string("Dreiecksvermaschung ") + horizon.heading + " …");
  bool outline_reset = false;
  BuildMesh(ws.P, horizon, ws.complete_outline, BreaklineSegments(ws), ws.*horizon.mesh,
            ws.*horizon.outline, outline_reset, [&host] { host.Coincidence(); });
  if (ws.mesh_source) ws.mesh_source->Made(ws, horizon);
}

namespace {
// Whether a horizon's mesh may go once its table is written.
bool DropsMeshes(const RunState& ws, RunHost& host) {
  return !ws.mesh_source && !host.KeepsMeshes();
}

// Lets the workspace's mesh of a horizon go when the table is done with it,
// also when the table failed.
class MeshDrop {
 public:
  MeshDrop(RunState& ws, const Horizon& horizon, RunHost& host)
      : mesh_(DropsMeshes(ws, host) ? &(ws.*horizon.mesh) : nullptr) {}
  ~MeshDrop() {
    if (mesh_) mesh_->reset();
  }
  MeshDrop(const MeshDrop&) = delete;
  MeshDrop& operator=(const MeshDrop&) = delete;

 private:
  std::unique_ptr<Delaunay::TDelaunay>* mesh_;
};
}  // namespace

HorizonResult CalcHorizon(RunState& ws, const Horizon& horizon, RunHost& host,
                          ProtocolOutput& out) {
  ProvideHorizonMesh(ws, horizon, host);
  MeshDrop drop(ws, horizon, host);
  return WriteTable(ws, horizon, host, out, nullptr);
}

// One horizon computed without the host. A failure is kept for the moment
// at which a run of one horizon after the other would have met it.
struct TwoHorizons::Work {
  std::unique_ptr<Delaunay::TDelaunay> mesh;
  RunState::OutlineResult outline;
  bool outline_reset = false;
  bool meshed = false;
  // The workspace's mesh, found unchanged by its mesh source; nothing is
  // meshed then, and the table is made from it.
  const Delaunay::TDelaunay* kept = nullptr;
  std::exception_ptr error;
  ProtocolBlock block;
  double sumA = 0, V = 0;
  int32_t coincidences = 0;  // of the triangulation, kept when the mesh goes
  std::thread thread;

  void Mesh(const PointTable& P, const Horizon& horizon, bool complete_outline,
            const std::vector<std::pair<int32_t, int32_t>>* breaklines) {
    if (kept) return;
    try {
      BuildMesh(P, horizon, complete_outline, breaklines, mesh, outline, outline_reset, nullptr);
      meshed = true;
    } catch (...) {
      error = std::current_exception();
    }
    coincidences = mesh ? mesh->Coincidences() : 0;
  }
  // The table into the file line by line, as WriteTable writes it: a
  // failure, of the writing too, leaves the file's buffer, the pane lines and
  // the sums where writing straight from the run's thread would.
  void Table(const PointTable& P, const Horizon& horizon, double H0, bool keep_pane,
             TextFileWriter& file, const BoundaryClip* clip) {
    if (!meshed) return;
    try {
      ProtocolOutput out(file, block.pane, keep_pane);
      TableLines(horizon, P, kept ? *kept : *mesh, H0, sumA, V, out, clip);
    } catch (...) {
      error = std::current_exception();
    }
  }
  // The reports the run would have passed to the host while meshing, and
  // the mesh and outline in the workspace.
  void HandOn(RunHost& host, RunState& ws, const Horizon& horizon) {
    if (kept) {
      ReplayCoincidences(*kept, host);
      return;
    }
    for (int32_t k = coincidences; k > 0; --k) host.Coincidence();
    ws.*horizon.mesh = std::move(mesh);
    if (outline_reset) ws.*horizon.outline = outline;
    if (meshed && ws.mesh_source) ws.mesh_source->Made(ws, horizon);
  }
  // Asked before any meshing starts, on the run's thread.
  void FindKept(RunState& ws, const Horizon& horizon) {
    if (ws.mesh_source && ws.mesh_source->Reusable(ws, horizon)) {
      kept = (ws.*horizon.mesh).get();
      meshed = true;
    }
  }
};

TwoHorizons::TwoHorizons(RunState& ws, RunHost& host, ProtocolOutput& out)
    : ws_(ws), host_(host), reference_(std::make_unique<Work>()), terrain_(std::make_unique<Work>()) {
  // The field is read here, on the host's thread; a run reads it once per
  // table and nothing changes it in between.
  const double H0 = host.ReferenceHeight();
  const bool keep_pane = host.ShowsProtocol();
  reference_->FindKept(ws, kReferenceHorizon);
  terrain_->FindKept(ws, kTerrain);
  if (!reference_->kept || !terrain_->kept) {
    host.Progress(!terrain_->kept && !reference_->kept ? "Dreiecksvermaschung Bezugshorizont und Gelände …"
                  : terrain_->kept                    ? "Dreiecksvermaschung Bezugshorizont …"
                                                      : "Dreiecksvermaschung Gelände …");
  }
  Work& w = *reference_;
  const PointTable& P = ws.P;
  const bool outline = ws.complete_outline;
  TextFileWriter& file = out.File();
  const bool drop = DropsMeshes(ws, host);
  const auto* breaklines = BreaklineSegments(ws);
  const BoundaryClip* clip = ws.boundary.get();
  auto job = [&w, &P, H0, keep_pane, outline, &file, drop, breaklines, clip] {
    w.Mesh(P, kReferenceHorizon, outline, breaklines);
    w.Table(P, kReferenceHorizon, H0, keep_pane, file, clip);
    if (drop) w.mesh.reset();
#ifdef __GLIBC__
    // What the triangulation freed stays with this thread's heap, where the
    // terrain's triangulation on the other thread, which is at its largest
    // from now on, cannot use it: back to the system with it. Not after a
    // kept mesh: there is little to give back, and the next run would take
    // the same memory anew from the system (an H0 step 0.23 s -> 0.37 s).
    if (!w.kept) malloc_trim(0);
#endif
  };
  try {
    w.thread = std::thread(job);
  } catch (const std::system_error&) {
    job();  // no thread to be had: one after the other
  }
}

TwoHorizons::~TwoHorizons() {
  if (reference_->thread.joinable()) reference_->thread.join();
}

HorizonResult TwoHorizons::Reference(ProtocolOutput& out) {
  terrain_->Mesh(ws_.P, kTerrain, ws_.complete_outline, BreaklineSegments(ws_));
#ifdef __GLIBC__
  // The same for the terrain's triangulation: its working store, freed in
  // pieces, would otherwise stay with the heap beside the volume loop's
  // vertex table and the meshes, the largest the run becomes.
  if (!terrain_->kept) malloc_trim(0);
#endif
  Work& w = *reference_;
  if (w.thread.joinable()) w.thread.join();
  w.HandOn(host_, ws_, kReferenceHorizon);
  if (!w.meshed) std::rethrow_exception(w.error);
  Preformatted pre{w.block, w.sumA, w.V, w.error};
  return WriteTable(ws_, kReferenceHorizon, host_, out, &pre);
}

HorizonResult TwoHorizons::Terrain(ProtocolOutput& out) {
  Work& w = *terrain_;
  w.HandOn(host_, ws_, kTerrain);
  if (!w.meshed) std::rethrow_exception(w.error);
  MeshDrop drop(ws_, kTerrain, host_);
  return WriteTable(ws_, kTerrain, host_, out, nullptr);
}

}  // namespace zelmaro
