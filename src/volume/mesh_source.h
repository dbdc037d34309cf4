#pragma once
// Where a computation run takes a horizon's mesh from. Without a source the
// run triangulates every horizon afresh; the window and the command line's
// balance hand it one that keeps the meshes of unchanged points.
namespace zelmaro {

class RunHost;
struct Horizon;
struct Workspace;

// Settings that change a mesh beyond the points offered to it. A mesh made
// with other settings is another mesh, so they belong to every key a kept
// mesh is found by.
struct MeshOptions {
  bool complete_outline = false;  // Workspace::complete_outline
  friend bool operator==(const MeshOptions&, const MeshOptions&) = default;
};

class MeshSource {
 public:
  virtual ~MeshSource() = default;
  // Leaves in ws.*horizon.mesh the triangulation of the horizon's points of
  // ws.P, and reports its coincidences to the host as its triangulation did.
  virtual void ProvideMesh(Workspace& ws, const Horizon& horizon, RunHost& host) = 0;
  // The run could not read its point file: what it computes on is not what
  // a kept mesh was made from, as far as anyone can tell.
  virtual void PointFileUnread() {}
};

}  // namespace zelmaro
