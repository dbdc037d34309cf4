#include "workspace/contour_cache.h"

#include <bit>

namespace zelmaro {

void ContourCache::Contours(Delaunay::TDelaunay& mesh, double interval) {
  const uint64_t generation = meshes_.Generation(&mesh);
  const uint64_t bits = std::bit_cast<uint64_t>(interval);
  Kept* slot = nullptr;
  for (Kept& k : kept_) {
    if (k.mesh != &mesh) continue;
    if (generation != 0 && k.generation == generation && k.interval_bits == bits) return;
    slot = &k;
  }
  if (!slot) {
    // Slots are taken in turn: two meshes are shown at most.
    slot = &kept_[next_slot_];
    next_slot_ = (next_slot_ + 1) % kept_.size();
  }
  // Forgotten first: a computation that fails leaves half a contour state.
  *slot = Kept{};
  if (on_compute) {
    const Horizon* horizon = meshes_.HorizonOf(&mesh);
    on_compute(horizon ? std::string("Höhenlinien ") + horizon->heading + " …" : "Höhenlinien …");
  }
  ComputeContours(mesh, interval);
  ++computations_;
  if (generation != 0) *slot = Kept{&mesh, generation, bits};
}

}  // namespace zelmaro
