#pragma once
// What a computation run works on and leaves: the point table and its
// bounds, the two meshes and the results of the last computation. The
// program's whole state (with the plot's view) builds on it one floor up.
#include <cstdint>
#include <memory>
#include <string>

#include "mesh/constrained.h"
#include "mesh/delaunay.h"
#include "mesh/outline.h"
#include "volume/boundary.h"
#include "volume/breaklines.h"
#include "volume/cut_fill.h"
#include "points/layout.h"
#include "points/point_table.h"
#include "text/textfile.h"
#include "volume/mesh_source.h"

namespace zelmaro {

struct RunState {
  virtual ~RunState() = default;

  PointTable P;
  TableBounds bounds;

  std::unique_ptr<Delaunay::TDelaunay> Mesh0;  // reference horizon of the last run
  std::unique_ptr<Delaunay::TDelaunay> Mesh1;  // terrain of the last run
  double sumA0 = 0;
  double SumA1 = 0;
  double m0 = 0;
  double m1 = 0;
  // Cut and fill of the last run that finished; not valid while none has,
  // nor after a run whose host shows none (RunHost::ShowsCutFill).
  CutFill cutFill;
  // The between-horizons part of it depends on the two meshes alone, not on
  // H0: kept under the generations the mesh source gives the meshes, it
  // serves every run that keeps both (a step of the reference height, the
  // passes of a mass balance).
  struct KeptBetween {
    uint64_t reference = 0, terrain = 0;  // 0: nothing kept
    BetweenCutFill figures;
  };
  KeptBetween keptBetween;

  // Mesh option: each mesh is followed by the triangles that close the gap
  // between it and the convex hull of its points ("Randdreiecke ergänzen").
  // Off, every result is that of the plain triangulation.
  bool complete_outline = false;

  // How the last run's meshes cover their hulls, and how many triangles the
  // option appended to each.
  struct OutlineResult {
    Delaunay::OutlineCoverage coverage;
    int32_t added = 0;
    // The breakline segments this horizon holds both ends of, as forced.
    Delaunay::ConstraintResult constraints;
  };
  OutlineResult outline0;  // reference horizon
  OutlineResult outline1;  // terrain

  // The boundary: with one, every prism is cut to it, and the sums, the
  // fields and the cut and fill refer to the area inside. None: the whole
  // meshes, every result as without.
  std::shared_ptr<const BoundaryClip> boundary;
  // Breaklines: with them, each horizon is triangulated with those of their
  // segments it holds both ends of forced in as edges.
  std::shared_ptr<const Breaklines> breaklines;
  // What the last run made of them: the segments in table slots, the
  // crossings, and how many crossing points it appended to P (taken off
  // again before the next run prepares them, where P was not read anew).
  PreparedBreaklines preparedBreaklines;
  size_t crossingPoints = 0;
  size_t tableWithCrossings = 0;

  // 2: a run meshes the reference horizon on a thread of its own beside the
  // terrain; 1: one after the other. The results are the same.
  int horizon_threads = 2;

  // Where the runs take the meshes from; none: triangulated afresh each time.
  MeshSource* mesh_source = nullptr;

  // Reads the point file into P and, when it was read, refreshes the bounds
  // (and, one floor up, the view: PointsRead). A file that is not read changes nothing; why, says
  // read_result (ReadFailureMessage gives the German text).
  // Returns whether the file was read.
  bool LiesPunkte(const std::string& file_name);
  ReadResult read_result = ReadResult::Ok;
  // The layout every read takes, the runs' included: the program's own
  // point file unless the user chose another (or Auto, found from the file).
  ImportLayout import_layout;
  // The file it was chosen for; a file of another name (typed into the
  // window's field) is read in the layout found in it. Empty: every file.
  std::string import_file;
  // What the last read passed over and how it read the file; Note() is
  // empty for a point file read as it stands.
  ReadReport read_report;

  // A command of the command line reads its point file once: after this,
  // LiesPunkte of that file takes P as it was just read instead of reading
  // the file again, for the rest of the command. The window reads anew.
  bool LiesPunkteOncePerCommand(const std::string& file_name);

 protected:
  // P has just been read: the bounds follow it. The program's state also
  // refits its view here.
  virtual void PointsRead();

 private:
  std::string read_once_;  // the file whose table P holds, for LiesPunkteOncePerCommand
};

}  // namespace zelmaro
