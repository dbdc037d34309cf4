#pragma once
// Prism volumes of one horizon: every triangle of the horizon's mesh is the
// top of a vertical prism standing on the reference height H0.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/textfile.h"
#include "volume/run.h"
#include "volume/run_state.h"

namespace zelmaro {

// Lines that another thread wrote to the file while the run's own thread was
// busy elsewhere: their text for the pane.
struct ProtocolBlock {
  std::vector<std::string> pane;
};

// The lines of a run go to the protocol file first and then, with the same
// text, to the pane's list; the pane itself is filled once at the end of the
// run (or at its failure) from that list. Where nobody shows the pane (the
// command line) its lines are not kept at all.
class ProtocolOutput {
 public:
  ProtocolOutput(TextFileWriter& file, std::vector<std::string>& pane, bool keep_pane = true)
      : file_(file), pane_(pane), keep_pane_(keep_pane) {}
  bool KeepsPane() const { return keep_pane_; }
  // Writes the whole group to the file, then appends it to the pane.
  void Lines(std::initializer_list<std::string> group);
  void Line(std::string line);
  // A line of at most kTriangleLineMax ASCII bytes, formatted straight into
  // the file's buffer between Begin and End.
  char* Begin() { return file_.BeginLine(kTriangleLineMax); }
  void End(char* begin, char* end);
  // Lines already in the file (ProtocolBlock), in one piece.
  void Block(ProtocolBlock& block);
  // For a thread that writes lines while nothing else writes to the file.
  TextFileWriter& File() { return file_; }

  static constexpr size_t kTriangleLineMax = 4 * 12 + 2 * 330;

 private:
  TextFileWriter& file_;
  std::vector<std::string>& pane_;
  bool keep_pane_;
};

// Everything in which the reference horizon and the terrain differ.
struct Horizon {
  const char* heading;
  bool (*takes)(int8_t code);
  std::unique_ptr<Delaunay::TDelaunay> RunState::*mesh;
  double RunState::*area_sum;
  RunState::OutlineResult RunState::*outline;
  ResultField area_field;
  ResultField volume_field;
  bool empty_line_after;  // only the reference table ends with its own empty line
};

extern const Horizon kReferenceHorizon;  // code 1, Mesh0, sumA0, EditA0/EditM0
extern const Horizon kTerrain;           // codes 0 and 1, Mesh1, SumA1, EditA1/EditM1

inline constexpr const char* kColumnHeader =
    "Masche    Punkt      Punkt      Punkt  Fläche m2   Masse m3";
inline constexpr const char* kRule = "-----------------------------------------------------------";

// One triangle's line, "%4d %10d %10d %10d %10.2f %10.2f" of its number, the
// corners' point numbers, its area and its volume; built without printf
// because a large run writes millions of them. FormatTriangleLine writes it
// to out, which has room for ProtocolOutput::kTriangleLineMax bytes, and
// returns its end.
char* FormatTriangleLine(char* out, int32_t t, int32_t nr0, int32_t nr1, int32_t nr2, double A,
                         double Ma);
std::string TriangleLine(int32_t t, int32_t nr0, int32_t nr1, int32_t nr2, double A, double Ma);

// Offers the horizon's points of the table to the mesh, in table order, each
// with its slot as the vertex ID.
void OfferHorizonPoints(const PointTable& P, const Horizon& horizon, Delaunay::TDelaunay& mesh);

// Triangulates the offered points and, with complete_outline, closes the gap
// to their convex hull; returns the triangles that added.
int32_t MeshHorizon(Delaunay::TDelaunay& mesh, bool complete_outline);

// The horizon's mesh as a run takes it: the one in the workspace where
// ws.mesh_source finds it unchanged (its coincidence reports passed to the
// host again), else a new one made from the point table's points of the
// horizon, its coincidences reported to the host.
void ProvideHorizonMesh(RunState& ws, const Horizon& horizon, RunHost& host);

// The breakline segments a run forces into its meshes, none without breaklines.
const std::vector<std::pair<int32_t, int32_t>>* BreaklineSegments(const RunState& ws);

struct HorizonResult {
  double volume = 0;
  std::string area_text;    // as shown in the area field
  std::string volume_text;  // as shown in the volume field
};

// Rebuilds the horizon's mesh from the point table (or takes it from
// ws.mesh_source), writes its table and
// fills its two result fields. H0 is the field's value, read once.
HorizonResult CalcHorizon(RunState& ws, const Horizon& horizon, RunHost& host,
                          ProtocolOutput& out);

// Both horizons of a run, the reference horizon meshed and its table
// written to the file on a thread of its own while the caller's thread meshes
// the terrain; from construction until Reference() nothing else may write to
// out's file. Everything that reaches the host, the protocol and the workspace
// is handed on in the order of a run that computes one horizon after the
// other, failures included: Reference() gives what CalcHorizon gives for the
// reference horizon, Terrain() then what it gives for the terrain.
class TwoHorizons {
 public:
  TwoHorizons(RunState& ws, RunHost& host, ProtocolOutput& out);
  ~TwoHorizons();
  TwoHorizons(const TwoHorizons&) = delete;
  TwoHorizons& operator=(const TwoHorizons&) = delete;

  HorizonResult Reference(ProtocolOutput& out);
  HorizonResult Terrain(ProtocolOutput& out);

 private:
  struct Work;
  RunState& ws_;
  RunHost& host_;
  std::unique_ptr<Work> reference_, terrain_;
};

inline double CalcBezugshorizont(RunState& ws, RunHost& host, ProtocolOutput& out) {
  return CalcHorizon(ws, kReferenceHorizon, host, out).volume;
}
inline double CalcGelaende(RunState& ws, RunHost& host, ProtocolOutput& out) {
  return CalcHorizon(ws, kTerrain, host, out).volume;
}

}  // namespace zelmaro
