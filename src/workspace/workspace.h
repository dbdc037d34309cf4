#pragma once
// The program's state for a whole program run: what the computation runs
// work on and leave, and the plot's view of it.
#include <functional>

#include "plot/view.h"
#include "volume/run_state.h"

namespace zelmaro {

struct Workspace : RunState {
  ViewValues view;

  // The plot image's height at this moment, for the view fit. The window
  // supplies its image; without one the command line's default is used.
  std::function<int()> image_height;

  // Recomputes the bounds from P and fits the view to them.
  void SetMinMaxOffset();

 protected:
  // Every read of the point file refits the view, a run's included.
  void PointsRead() override { SetMinMaxOffset(); }
};

}  // namespace zelmaro
