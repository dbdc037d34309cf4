#pragma once
// The report for the client: A4 pages with the title block, the results,
// the plot of both meshes and their contour lines, and the protocol.
// Drawn with Qt's PDF writer; a QGuiApplication must exist (offscreen will
// do).
#include <ostream>
#include <string>

#include "export/export_input.h"

namespace zelmaro {

void WritePdfReport(const ExportInput& in, std::ostream& out);
void WritePdfReport(const ExportInput& in, const std::string& file);

// Lines of the protocol on one page after the first.
inline constexpr int kProtocolLinesPerPage = 66;

// The length of the scale bar for a plot of this many metres across: the
// largest 1, 2 or 5 times a power of ten that is at most a quarter of it.
double ScaleBarLength(double metres_across);

}  // namespace zelmaro
