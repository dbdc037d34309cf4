#pragma once
// Limits of the contour computation of TDelaunay.
#include <cstdint>

namespace Delaunay {

// The most contour levels InitialiseContourLevels accepts. A plot with more
// lines than this shows nothing but ink, and each level costs a pass over
// the cut triangles; the bound keeps an interval typed too small from
// exhausting memory or time.
#ifdef ZELMARO_FUZZ_CAPACITIES
// Small enough that the fuzz build reaches both bounds within its input sizes.
constexpr int32_t MaxContourLevels = 1000;
#else
constexpr int32_t MaxContourLevels = 100000;
#endif

// The most cuts of a level through a triangle CalculateContours computes.
// Each cut costs about 100 bytes on its way to a segment (its entry in the
// per-level lists, a pooled point, the segment, their cell indexes), so the
// bound keeps a call near 1 GB. Only the level count is bounded above, and a
// small file with a fine interval over a large height range has few levels
// but every one of them cuts most of its triangles. A plot of a survey cuts
// far fewer: a million triangles at 0.1 m on a 20 m heap are a few million.
#ifdef ZELMARO_FUZZ_CAPACITIES
constexpr int64_t MaxContourCuts = 20'000;
#else
constexpr int64_t MaxContourCuts = 10'000'000;
#endif

}  // namespace Delaunay
