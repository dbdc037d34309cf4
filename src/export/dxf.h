#pragma once
// DXF (AutoCAD 2000, ASCII) of the plot's content for CAD drawings: the
// survey points with their numbers and heights, both meshes as 3D faces and
// the contour lines as polylines at their heights, one layer each.
#include <ostream>
#include <string>

#include "export/export_input.h"

namespace zelmaro {

// Layer names: ASCII, because CAD programs disagree about anything else.
inline constexpr const char* kLayerPoints = "PUNKTE";
inline constexpr const char* kLayerNumbers = "PUNKTNUMMERN";
inline constexpr const char* kLayerHeights = "PUNKTHOEHEN";
inline constexpr const char* kLayerMesh0 = "DREIECKE_BEZUGSHORIZONT";
inline constexpr const char* kLayerMesh1 = "DREIECKE_GELAENDE";
inline constexpr const char* kLayerContours0 = "HOEHENLINIEN_BEZUGSHORIZONT";
inline constexpr const char* kLayerContours1 = "HOEHENLINIEN_GELAENDE";

void WriteDxf(const ExportInput& in, std::ostream& out);
void WriteDxf(const ExportInput& in, const std::string& file);

// Height of the point labels: a quarter of the mean point spacing over the
// points' bounding box, so that labels of neighbours rarely overlap.
double DxfTextHeight(const PointTable& P);

}  // namespace zelmaro
