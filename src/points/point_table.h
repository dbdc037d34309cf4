#pragma once
// The survey points and their bounds.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zelmaro {

// One survey point. X is the northing, Y the easting.
struct TPunkt {
  int32_t NR = 0;
  double X = 0;
  double Y = 0;
  double Z = 0;
  int8_t Code = 0;  // 1 reference horizon; 0 terrain; others belong to no horizon
};

// The point table: slot 0 is allocated whenever the table is filled but never
// holds a point; the points stand at 1 .. High(P). Before the first read the
// table has no slot at all.
using PointTable = std::vector<TPunkt>;

inline int High(const PointTable& P) { return static_cast<int>(P.size()) - 1; }

// Resets the table to slot 0 alone.
inline void ResetToSlotZero(PointTable& P) {
  P.clear();
  P.emplace_back();
}

// Only the low 8 bits of a code read from text are kept, as a signed value.
inline int8_t CodeFromInt(int32_t v) {
  return static_cast<int8_t>(static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFFu));
}

// The table bounds, 0 until the first GetMinMax.
struct TableBounds {
  double MinX = 0, MinY = 0, MinZ = 0;
  double MaxX = 0, MaxY = 0, MaxZ = 0;
};

// Bounds of the points 1 .. High(P); with no point every minimum is 1e12 and
// every maximum -1e12.
void GetMinMax(const PointTable& P, double& XMin, double& YMin, double& ZMin, double& XMax,
               double& YMax, double& ZMax);

}  // namespace zelmaro
