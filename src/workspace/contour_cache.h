#pragma once
// The contour lines of the shown meshes, kept between redraws. They follow
// from a mesh and an interval alone, while zoom, pan, the toggles, page
// changes and printing redraw far more often than either changes.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "plot/plot.h"
#include "workspace/mesh_cache.h"

namespace zelmaro {

class ContourCache : public ContourSource {
 public:
  explicit ContourCache(const MeshCache& meshes) : meshes_(meshes) {}

  // Computes the contour lines unless the mesh already holds those of this
  // interval. Only meshes the mesh cache made are known; the contours of
  // any other mesh are computed at every call.
  void Contours(Delaunay::TDelaunay& mesh, double interval) override;

  // Told before contour lines are computed (not when kept ones are used).
  std::function<void(const std::string& what)> on_compute;

  int Computations() const { return computations_; }

 private:
  struct Kept {
    const Delaunay::TDelaunay* mesh = nullptr;
    uint64_t generation = 0;  // 0: nothing kept
    uint64_t interval_bits = 0;
  };

  const MeshCache& meshes_;
  std::array<Kept, 2> kept_{};  // the two meshes of the workspace
  size_t next_slot_ = 0;
  int computations_ = 0;
};

}  // namespace zelmaro
