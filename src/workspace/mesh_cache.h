#pragma once
// The meshes of a run kept for the next one. Every run reads the point file
// again, and most runs (a step of the reference height, each pass of the
// mass balance) read the same points: their triangulation cannot have
// changed, so the mesh of the last run is used again.
#include <array>
#include <cstdint>

#include "mesh/delaunay.h"
#include "points/point_table.h"
#include "volume/horizon.h"
#include "volume/mesh_source.h"
#include "volume/run_state.h"

namespace zelmaro {

// What a horizon's mesh is made from: the points offered to it, in offer
// order (slot, northing, easting, height, bit for bit), and the settings.
// The points enter as a 128-bit digest with their number.
struct MeshKey {
  const Horizon* horizon = nullptr;
  MeshOptions options;
  uint64_t offered = 0;
  std::array<uint64_t, 2> digest{};
  friend bool operator==(const MeshKey&, const MeshKey&) = default;
};

MeshKey MeshKeyOf(const PointTable& P, const Horizon& horizon, const MeshOptions& options);

class MeshCache : public MeshSource {
 public:
  // A kept mesh is used when the workspace still holds it and its key is
  // the key of the points now offered; the run replays its coincidence
  // reports, so that it reports what a new triangulation would. Anything
  // else is triangulated afresh by the run and kept when it is made.
  bool Reusable(RunState& ws, const Horizon& horizon) override;
  void Made(const RunState& ws, const Horizon& horizon) override;
  void PointFileUnread() override;

  // Distinct for every mesh this cache made; 0 for a mesh it does not know.
  // The contour lines of a mesh are kept under it.
  uint64_t Generation(const Delaunay::TDelaunay* mesh) const override;
  // The horizon a known mesh belongs to, for the window's progress texts.
  const Horizon* HorizonOf(const Delaunay::TDelaunay* mesh) const;

  int Triangulations() const { return triangulations_; }
  int Reuses() const { return reuses_; }

 private:
  struct Kept {
    MeshKey key;
    const Delaunay::TDelaunay* mesh = nullptr;  // as held by the workspace
    int32_t triangles = 0;                      // HowMany when it was made
    RunState::OutlineResult outline;           // as its triangulation measured it
    uint64_t generation = 0;                    // 0: nothing kept
  };
  // One per mesh of the workspace (Mesh0, Mesh1).
  static size_t Slot(const Horizon& horizon);
  const Kept* Find(const Delaunay::TDelaunay* mesh) const;

  std::array<Kept, 2> kept_{};
  std::array<MeshKey, 2> asked_{};  // the key of the last question, per mesh
  uint64_t next_generation_ = 1;
  int triangulations_ = 0;
  int reuses_ = 0;
};

}  // namespace zelmaro
