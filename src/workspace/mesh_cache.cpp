#include "workspace/mesh_cache.h"

#include <bit>

#include "volume/run_state.h"

namespace zelmaro {

namespace {

uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

// The finaliser of splitmix64: every input bit reaches every output bit.
uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

// Two independent 64-bit lanes over the words in order; the order matters,
// since the triangulation depends on the offer order too.
class Digest {
 public:
  void Add(uint64_t w) {
    a_ = std::rotl(a_ ^ Mix(w + 0x9e3779b97f4a7c15ULL), 27) * 0x9ddfea08eb382d69ULL;
    b_ = std::rotl(b_ + Mix(w ^ 0xc2b2ae3d27d4eb4fULL), 31) * 0xff51afd7ed558ccdULL + 1;
  }
  std::array<uint64_t, 2> Value(uint64_t n) const { return {Mix(a_ ^ n), Mix(b_ + n)}; }

 private:
  uint64_t a_ = 0x243f6a8885a308d3ULL;
  uint64_t b_ = 0x13198a2e03707344ULL;
};

}  // namespace

MeshKey MeshKeyOf(const PointTable& P, const Horizon& horizon, const MeshOptions& options) {
  MeshKey key;
  key.horizon = &horizon;
  key.options = options;
  Digest d;
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    if (!horizon.takes(p.Code)) continue;
    d.Add(static_cast<uint64_t>(i));
    d.Add(Bits(p.X));
    d.Add(Bits(p.Y));
    d.Add(Bits(p.Z));
    ++key.offered;
  }
  key.digest = d.Value(key.offered);
  return key;
}

size_t MeshCache::Slot(const Horizon& horizon) { return horizon.mesh == &RunState::Mesh0 ? 0 : 1; }

bool MeshCache::Reusable(RunState& ws, const Horizon& horizon) {
  MeshOptions options;
  options.complete_outline = ws.complete_outline;
  options.breaklines = ws.breaklines ? ws.preparedBreaklines.digest : 0;
  const size_t slot = Slot(horizon);
  const MeshKey key = MeshKeyOf(ws.P, horizon, options);
  asked_[slot] = key;
  Kept& kept = kept_[slot];
  const Delaunay::TDelaunay* held = (ws.*horizon.mesh).get();
  if (kept.generation != 0 && held && held == kept.mesh && held->HowMany == kept.triangles &&
      kept.key == key) {
    ws.*horizon.outline = kept.outline;
    ++reuses_;
    return true;
  }
  // Forgotten now: the run replaces the mesh, and one that fails to be
  // made leaves a mesh no key fits.
  kept = Kept{};
  return false;
}

void MeshCache::Made(const RunState& ws, const Horizon& horizon) {
  const size_t slot = Slot(horizon);
  const Delaunay::TDelaunay* made = (ws.*horizon.mesh).get();
  ++triangulations_;
  if (!made) return;
  kept_[slot] = Kept{asked_[slot], made, made->HowMany, ws.*horizon.outline, next_generation_++};
}

void MeshCache::PointFileUnread() { kept_ = {}; }

const MeshCache::Kept* MeshCache::Find(const Delaunay::TDelaunay* mesh) const {
  if (!mesh) return nullptr;
  for (const Kept& k : kept_)
    if (k.generation != 0 && k.mesh == mesh && mesh->HowMany == k.triangles) return &k;
  return nullptr;
}

uint64_t MeshCache::Generation(const Delaunay::TDelaunay* mesh) const {
  const Kept* k = Find(mesh);
  return k ? k->generation : 0;
}

const Horizon* MeshCache::HorizonOf(const Delaunay::TDelaunay* mesh) const {
  const Kept* k = Find(mesh);
  return k ? k->key.horizon : nullptr;
}

}  // namespace zelmaro
