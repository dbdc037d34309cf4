#pragma once
// Limits of the contour computation of TDelaunay.
#include <cstdint>

namespace Delaunay {

// The most contour levels InitialiseContourLevels accepts. A plot with more
// lines than this shows nothing but ink, and each level costs a pass over
// the cut triangles; the bound keeps an interval typed too small from
// exhausting memory or time.
constexpr int32_t MaxContourLevels = 100000;

}  // namespace Delaunay
