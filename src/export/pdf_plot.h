#pragma once
// The report's plot: both meshes, their contour lines and the points at a
// surveyor's scale, with scale bar, north arrow and legend.
#include "export/export_input.h"
#include "export/pdf_page.h"

namespace zelmaro::pdf {

// Draws the plot in the frame from top down to the footer.
void Plot(Page& pg, const ExportInput& in, double top);

}  // namespace zelmaro::pdf
