#include "export/export_facts.h"

#include <algorithm>

namespace zelmaro {

int64_t MergedPoints(const ExportInput& in, const ExportHorizon& h) {
  if (!h.mesh || !in.P) return 0;
  // The reference horizon takes code 1, the terrain codes 0 and 1.
  const bool reference = &h == &in.reference;
  int64_t offered = 0;
  for (int i = 1; i <= High(*in.P); ++i) {
    const int8_t code = (*in.P)[static_cast<size_t>(i)].Code;
    offered += code == 1 || (!reference && code == 0);
  }
  return std::max<int64_t>(0, offered - (h.mesh->tPoints - 1));
}

}  // namespace zelmaro
