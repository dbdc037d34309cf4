#pragma once
// The plot of the page "Punktgrafik": points, labels, both meshes, their
// contour lines and the output-area frame, drawn onto the screen's bitmap or
// a printer page.
#include <cstdint>
#include <string>

#include "mesh/contour_interval.h"
#include "plot/canvas.h"
#include "plot/pixel.h"
#include "plot/view.h"
#include "volume/run_state.h"

namespace zelmaro {

// What the tool bar and the page's edit fields say at the moment of drawing.
struct TPlotSettings {
  bool PNR = false;         // point numbers
  bool Z = false;           // heights
  bool Mesh0 = false;       // reference horizon: triangles and contour lines
  bool Mesh1 = false;       // terrain: triangles and contour lines
  bool Isoline = false;     // contour lines of the shown meshes
  bool OutputArea = false;  // the frame of one printed page (screen only)
  bool ZeroLines = false;   // where the shown meshes meet the last run's H0
  std::string HLIntervall = "0.1";  // contour interval
  std::string Masstab = "1000";     // plot scale denominator
};

// Redraws everything onto the target that Display selects: 0 the screen,
// otherwise the printer. A print divides MF by 5 while it runs and restores
// it exactly, and leaves Display 0 whether it succeeds or fails. PlotMF
// receives the scale denominator / 1000 whenever the frame is drawn.
//
// An MF of 0 or one that is not finite leaves only the white background:
// every coordinate would divide by it. The frame's scale text is still read,
// so a malformed one is still reported.
void ZeigPPunkte(const RunState& ws, ViewValues& view, uint8_t& Display, double& PlotMF,
                 const TPlotSettings& settings, TPlotTarget& target,
                 ContourSource* contours = nullptr);

}  // namespace zelmaro
