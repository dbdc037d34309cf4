#pragma once
// Where a computation run takes a horizon's mesh from. Without a source the
// run triangulates every horizon afresh; the window and the command line's
// balance hand it one that keeps the meshes of unchanged points.
#include <cstdint>

namespace Delaunay {
class TDelaunay;
}

namespace zelmaro {

struct Horizon;
struct RunState;

// Settings that change a mesh beyond the points offered to it. A mesh made
// with other settings is another mesh, so they belong to every key a kept
// mesh is found by.
struct MeshOptions {
  bool complete_outline = false;  // RunState::complete_outline
  uint64_t breaklines = 0;        // RunState::preparedBreaklines.digest
  friend bool operator==(const MeshOptions&, const MeshOptions&) = default;
};

// Asked on the run's own thread, before and after the horizon's meshing.
class MeshSource {
 public:
  virtual ~MeshSource() = default;
  // True when ws.*horizon.mesh as it stands is the mesh a triangulation of
  // the horizon's points of ws.P would make; the outline figures of the
  // horizon are then set as that triangulation measured them. False: the
  // run makes the mesh and tells Made.
  virtual bool Reusable(RunState& ws, const Horizon& horizon) = 0;
  virtual void Made(const RunState& ws, const Horizon& horizon) = 0;
  // The run could not read its point file: what it computes on is not what
  // a kept mesh was made from, as far as anyone can tell.
  virtual void PointFileUnread() {}
  // Distinct for every mesh the source keeps, and the same for as long as
  // it keeps it; 0 for a mesh it does not know. What depends on a mesh
  // alone may be kept under it.
  virtual uint64_t Generation(const Delaunay::TDelaunay* mesh) const {
    (void)mesh;
    return 0;
  }
};

}  // namespace zelmaro
