#include "mesh/contour_interval.h"

#include "text/convert.h"

namespace zelmaro {

bool TryContourInterval(const std::string& text, double& interval) {
  return TryFieldToFloat(text, interval);
}

double ContourInterval(const std::string& text) {
  double v = 0;
  return TryContourInterval(text, v) ? v : 1.0;
}

void ComputeContours(Delaunay::TDelaunay& mesh, double interval) {
  mesh.InitialiseContourLevels(mesh.zMin, mesh.zMax, interval);
  mesh.InitialiseContourLevels(mesh.zMin, mesh.zMax, interval);
  mesh.CalculateContours();
  mesh.SortContourLines();
}

}  // namespace zelmaro
