#pragma once
// Figures every export reports beside the meshes themselves.
#include <cstdint>

#include "export/export_input.h"

namespace zelmaro {

// Points of the horizon's codes in the run's table that the mesh holds no
// vertex of: the triangulation merged each with a point at the same place.
int64_t MergedPoints(const ExportInput& in, const ExportHorizon& h);

}  // namespace zelmaro
