#pragma once
// Prism volumes of one horizon: every triangle of the horizon's mesh is the
// top of a vertical prism standing on the reference height H0.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/textfile.h"
#include "volume/run.h"
#include "volume/workspace.h"

namespace zelmaro {

// The lines of a run go to the protocol file first and then, with the same
// text, to the pane's list; the pane itself is filled once at the end of the
// run (or at its failure) from that list.
class ProtocolOutput {
 public:
  ProtocolOutput(TextFileWriter& file, std::vector<std::string>& pane) : file_(file), pane_(pane) {}
  // Writes the whole group to the file, then appends it to the pane.
  void Lines(std::initializer_list<std::string> group);
  void Line(std::string line);

 private:
  TextFileWriter& file_;
  std::vector<std::string>& pane_;
};

// Everything in which the reference horizon and the terrain differ.
struct Horizon {
  const char* heading;
  bool (*takes)(int8_t code);
  std::unique_ptr<Delaunay::TDelaunay> Workspace::*mesh;
  double Workspace::*area_sum;
  Workspace::OutlineResult Workspace::*outline;
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
// because a large run writes millions of them.
std::string TriangleLine(int32_t t, int32_t nr0, int32_t nr1, int32_t nr2, double A, double Ma);

// Offers the horizon's points of the table to the mesh, in table order, each
// with its slot as the vertex ID.
void OfferHorizonPoints(const PointTable& P, const Horizon& horizon, Delaunay::TDelaunay& mesh);

// Triangulates the offered points and, with complete_outline, closes the gap
// to their convex hull; returns the triangles that added.
int32_t MeshHorizon(Delaunay::TDelaunay& mesh, bool complete_outline);

// Replaces the horizon's mesh with a new one made from the point table's
// points of the horizon (MeshHorizon), coincidences reported to the host,
// and measures its outline.
void TriangulateHorizon(Workspace& ws, const Horizon& horizon, RunHost& host);

struct HorizonResult {
  double volume = 0;
  std::string area_text;    // as shown in the area field
  std::string volume_text;  // as shown in the volume field
};

// Rebuilds the horizon's mesh from the point table (or takes it from
// ws.mesh_source), writes its table and
// fills its two result fields. H0 is the field's value, read once.
HorizonResult CalcHorizon(Workspace& ws, const Horizon& horizon, RunHost& host,
                          ProtocolOutput& out);

inline double CalcBezugshorizont(Workspace& ws, RunHost& host, ProtocolOutput& out) {
  return CalcHorizon(ws, kReferenceHorizon, host, out).volume;
}
inline double CalcGelaende(Workspace& ws, RunHost& host, ProtocolOutput& out) {
  return CalcHorizon(ws, kTerrain, host, out).volume;
}

}  // namespace zelmaro
