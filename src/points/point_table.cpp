#include "points/point_table.h"

namespace zelmaro {

void GetMinMax(const PointTable& P, double& XMin, double& YMin, double& ZMin, double& XMax,
               double& YMax, double& ZMax) {
  XMin = YMin = ZMin = 1e12;
  XMax = YMax = ZMax = -1e12;
  for (int i = 1; i <= High(P); ++i) {
    const TPunkt& p = P[static_cast<size_t>(i)];
    if (p.X > XMax) XMax = p.X;
    if (p.Y > YMax) YMax = p.Y;
    if (p.Z > ZMax) ZMax = p.Z;
    if (p.X < XMin) XMin = p.X;
    if (p.Y < YMin) YMin = p.Y;
    if (p.Z < ZMin) ZMin = p.Z;
  }
}

}  // namespace zelmaro
