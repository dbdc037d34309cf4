#include "volume/run.h"

#include <fcntl.h>

#include <new>
#include <optional>
#include <utility>

#include "points/reader.h"
#include "text/convert.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/atomic_file.h"
#include "text/version.h"
#include "volume/horizon.h"

namespace zelmaro {

namespace {
using ext = long double;

// Start of the last n characters of UTF-8 text (a character's continuation
// bytes are 10xxxxxx), or npos when the text has fewer.
size_t LastCharsStart(const std::string& s, int n) {
  size_t pos = s.size();
  while (n > 0) {
    if (pos == 0) return std::string::npos;
    --pos;
    while (pos > 0 && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) --pos;
    --n;
  }
  return pos;
}

bool EndsInLst(const std::string& point_file) {
  const size_t start = LastCharsStart(point_file, 3);
  if (start == std::string::npos || point_file.size() - start != 3) return false;
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  return upper(point_file[start]) == 'L' && upper(point_file[start + 1]) == 'S' &&
         upper(point_file[start + 2]) == 'T';
}

// The cut and fill of the meshes a run has just finished. The areas of each
// mesh and of its hull are those its triangulation measured (outline0,
// outline1); the between-horizons figures are taken from keptBetween when
// the mesh source still knows both meshes under the generations they were
// computed for.
CutFill RunCutFill(RunState& ws, double H0) {
  const Delaunay::TDelaunay none;
  const Delaunay::TDelaunay& ref = ws.Mesh0 ? *ws.Mesh0 : none;
  const Delaunay::TDelaunay& ter = ws.Mesh1 ? *ws.Mesh1 : none;
  const uint64_t g0 = ws.mesh_source ? ws.mesh_source->Generation(ws.Mesh0.get()) : 0;
  const uint64_t g1 = ws.mesh_source ? ws.mesh_source->Generation(ws.Mesh1.get()) : 0;
  RunState::KeptBetween& kept = ws.keptBetween;
  if (g0 == 0 || g1 == 0 || kept.reference != g0 || kept.terrain != g1)
    kept = {g0, g1, CutFillBetween(ws.P, ref, ter, ws.horizon_threads)};
  CutFill r;
  r.H0 = H0;
  const Delaunay::OutlineCoverage &c0 = ws.outline0.coverage, &c1 = ws.outline1.coverage;
  if (ws.boundary) {
    // The area inside, as the run's sums.
    r.reference = CutAndFill(ws.P, ref, H0, ws.sumA0, c0.hullArea, *ws.boundary);
    r.terrain = CutAndFill(ws.P, ter, H0, ws.SumA1, c1.hullArea, *ws.boundary);
  } else {
    r.reference = CutAndFill(ws.P, ref, H0, c0.meshArea, c0.hullArea);
    r.terrain = CutAndFill(ws.P, ter, H0, c1.meshArea, c1.hullArea);
  }
  r.between = kept.figures;
  r.valid = true;
  return r;
}

// The crossing points the last run appended to P, where P still ends in
// them (it was not read anew), come off; then this run's breaklines are
// prepared, appending their crossing points.
void PrepareRunBreaklines(RunState& ws) {
  const PreparedBreaklines& last = ws.preparedBreaklines;
  if (ws.crossingPoints > 0 && ws.P.size() == ws.tableWithCrossings) {
    size_t slot = ws.P.size() - ws.crossingPoints;
    bool same = true;
    for (const BreaklineCrossing& x : last.crossings) {
      if (!x.added) continue;
      const TPunkt& p = ws.P[slot++];
      same = same && p.NR == x.NR && p.X == x.X && p.Y == x.Y && p.Z == x.Z;
    }
    if (same) ws.P.resize(ws.P.size() - ws.crossingPoints);
  }
  ws.preparedBreaklines = PreparedBreaklines{};
  ws.crossingPoints = ws.tableWithCrossings = 0;
  if (!ws.breaklines) return;
  const size_t before = ws.P.size();
  ws.preparedBreaklines = PrepareBreaklines(ws.P, *ws.breaklines);
  ws.crossingPoints = ws.P.size() - before;
  ws.tableWithCrossings = ws.P.size();
}

// The block a run with a boundary or breaklines adds after the difference
// line, so that a stored protocol says what it was computed for.
void ExtraBlock(const RunState& ws, ProtocolOutput& out) {
  out.Line("");
  if (ws.boundary) {
    const Boundary& b = ws.boundary->Polygon();
    out.Line(Format("Begrenzung: %zu Eckpunkte, %zu Löcher, Fläche %.2f m2", b.Corners(),
                    b.rings.size() - 1, ws.boundary->Area()));
    out.Line(Format("Nicht überdeckt Bezugshorizont: %.2f m2", UncoveredArea(ws, kReferenceHorizon)));
    out.Line(Format("Nicht überdeckt Gelände: %.2f m2", UncoveredArea(ws, kTerrain)));
  }
  if (ws.breaklines) {
    const PreparedBreaklines& p = ws.preparedBreaklines;
    out.Line(Format("Bruchkanten: %zu Linien, %zu Segmente, %zu Kreuzungen",
                    ws.breaklines->lines.size(), p.segments.size(), p.crossings.size()));
    for (const BreaklineCrossing& x : p.crossings)
      out.Line(Format("Kreuzung Punkt %d: Y %.3f X %.3f Z %.3f (Bruchkanten %d und %d)%s", x.NR,
                      x.Y, x.X, x.Z, x.line1, x.line2, x.added ? "" : ", kein gemeinsamer Horizont"));
    for (const Horizon* h : {&kReferenceHorizon, &kTerrain}) {
      const Delaunay::ConstraintResult& c = (ws.*h->outline).constraints;
      out.Line(Format("Dreiecksvermaschung %s mit Bruchkanten: %d Segmente erzwungen, %zu nicht",
                      h->heading, c.forced, c.failed.size()));
      for (const auto& [a, b] : c.failed)
        out.Line(Format("Nicht erzwungen: Punkt %d - Punkt %d", ws.P[static_cast<size_t>(a)].NR,
                        ws.P[static_cast<size_t>(b)].NR));
    }
  }
}

void HandOverProtocol(RunHost& host, std::vector<std::string>& pane) {
  host.ShowProtocol(pane);
  ProtocolLines kept;
  try {
    kept = std::make_shared<const std::vector<std::string>>(std::move(pane));
  } catch (const std::bad_alloc&) {
    // Most likely on the way out of a run that ran out of memory: better
    // the lines not kept than that run's own report lost.
    return;
  }
  host.KeepProtocol(kept);
}
}  // namespace

double UncoveredArea(const RunState& ws, const Horizon& horizon) {
  if (!ws.boundary) return 0;
  const double rest = ws.boundary->Area() - ws.*horizon.area_sum;
  // What rounding leaves of a covered boundary is no gap.
  return rest > ws.boundary->Area() * 1e-12 ? rest : 0.0;
}

std::string ProtocolFileName(const std::string& point_file) {
  // The rule takes letters of the file's own name only, never of its folder.
  const size_t slash = point_file.rfind('/');
  const size_t name = slash == std::string::npos ? 0 : slash + 1;
  const size_t start = LastCharsStart(point_file.substr(name), 3);
  // No name at all (no point file chosen yet) keeps the plain "LST".
  if (start == std::string::npos) return point_file + (name < point_file.size() ? ".LST" : "LST");
  return point_file.substr(0, name + start) + "LST";
}

std::string OwnProtocolRefusal(const std::string& point_file) {
  if (EndsInLst(point_file))
    return "Die Punktdatei '" + point_file +
           "' endet auf LST und würde von ihrer eigenen Protokolldatei überschrieben. Die "
           "Berechnung wird nicht ausgeführt; bitte die Punktdatei umbenennen.";
  const std::string protocol = ProtocolFileName(point_file);
  if (SameFile(point_file, protocol))
    return "Die Protokolldatei '" + protocol + "' ist dieselbe Datei wie die Punktdatei '" +
           point_file + "' und würde sie überschreiben. Die Berechnung wird nicht ausgeführt.";
  return "";
}

bool ProtocolWouldOverwrite(const std::string& point_file) {
  return !OwnProtocolRefusal(point_file).empty();
}

void ToolButton1Click(RunState& ws, RunHost& host) {
  const std::string point_file = host.PointFileName();
  // Its protocol would be the point file itself, emptied before it is read.
  const std::string refusal = OwnProtocolRefusal(point_file);
  if (!refusal.empty()) throw ELimitError(refusal);

  // The protocol goes to a temporary file and takes the protocol's name only
  // once the run has written all of it: a failed run leaves the former
  // protocol whole, two runs at once leave the one or the other, never a mix,
  // and a link under the protocol's name is replaced, never written through.
  AtomicFile f1;
  const std::string protocol_file = ProtocolFileName(point_file);
  // Where the lines go when the protocol cannot be created but the host
  // wants the figures all the same.
  TextFileWriter nowhere;
  std::optional<EProtocolNotWritten> not_written;
  try {
    f1.Create(protocol_file);  // a failure here changes nothing
  } catch (const EInOutError& e) {
    if (!host.RunsWithoutProtocolFile()) throw;
    not_written.emplace(e, protocol_file);
    const int fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (fd < 0) throw;
    nowhere.Attach(fd);
  }
  ws.cutFill = CutFill{};  // the meshes it belonged to are replaced from here on

  std::vector<std::string> pane;  // the cleared pane, shown in one step
  ProtocolOutput out(not_written ? nowhere : f1.Out(), pane, host.ShowsProtocol());
  HorizonResult reference, terrain;
  host.ProtocolBegins();
  try {
    try {
      out.Lines({"Massenberechnung Zelmaro Ver. " + VersionText(), host.ProjectDesignation()});
      if (!ws.LiesPunkte(point_file) && ws.mesh_source) ws.mesh_source->PointFileUnread();
      // Its former table would be computed under the new name.
      if (ws.read_result == ReadResult::NotPointFile)
        throw ELimitError(ReadFailureMessage(ws.read_result, point_file));
      // What the reading passed over belongs beside the figures it gave.
      if (ws.read_result == ReadResult::Ok && !ws.read_report.Note().empty())
        out.Line(ws.read_report.Note());
      if (ws.breaklines || ws.crossingPoints > 0) PrepareRunBreaklines(ws);
      out.Line("Höhenbezug" + host.ReferenceHeightText() + " m");
      if (ws.horizon_threads >= 2) {
        TwoHorizons both(ws, host, out);
        reference = both.Reference(out);
        ws.m0 = reference.volume;
        terrain = both.Terrain(out);
        ws.m1 = terrain.volume;
      } else {
        reference = CalcHorizon(ws, kReferenceHorizon, host, out);
        ws.m0 = reference.volume;
        terrain = CalcHorizon(ws, kTerrain, host, out);
        ws.m1 = terrain.volume;
      }
      out.Line("");
      out.Line(Format("Differenz Gelände - Bezugshorizont:   %10.2Lf %10.2Lf",
                      ext(ws.SumA1) - ws.sumA0, ext(ws.m1) - ws.m0));
      if (ws.boundary || ws.breaklines) ExtraBlock(ws, out);
      if (!not_written) f1.Commit();
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory();
    }
  } catch (EZelmaroError& e) {
    // The pane shows what was made; the file on disk is the former protocol.
    f1.Discard();
    HandOverProtocol(host, pane);
    e.AddLine(kNoProtocolWritten);
    throw;
  } catch (...) {
    f1.Discard();
    HandOverProtocol(host, pane);
    throw;
  }
  HandOverProtocol(host, pane);

  host.SetResultField(ResultField::EditM2, Format("%10.2Lf", ext(ws.m1) - ws.m0));
  // The difference of the areas as displayed, not of the unrounded sums.
  const double a = StrToFloat(Trim(terrain.area_text));
  const double b = StrToFloat(Trim(reference.area_text));
  host.SetResultField(ResultField::EditA2, Format("%10.2Lf", ext(a) - b));

  // From the finished meshes, after every result of the run is out.
  if (host.ShowsCutFill()) ws.cutFill = RunCutFill(ws, host.ReferenceHeight());
  if (not_written) throw *not_written;
}

EProtocolNotWritten::EProtocolNotWritten(const EInOutError& cause, const std::string& protocol_file)
    : EInOutError(cause) {  // with the cause's reason, which the report names
  SetFileName(protocol_file);
  SetMessage("Die Protokolldatei '" + protocol_file + "' konnte nicht geschrieben werden: " +
             cause.what());
}

}  // namespace zelmaro
