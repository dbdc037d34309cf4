#pragma once
// The plot view: scale and offsets, and their fit to the point table.
#include "points/point_table.h"

namespace zelmaro {

struct ViewValues {
  double MF = 1;       // world units per pixel
  double XOFFset = 0;  // northing at the image's top edge (row 0)
  double YOffset = 0;  // easting at the image's left edge (column 0)
  int MouseSaveX = 0;  // column where a pan started
  int MouseSaveY = 0;  // row where a pan started
};

// The height the command line fits its view to: the plot image of the main
// window at its start size.
constexpr int kDefaultImageHeight = 235;

// Recomputes the bounds from P and fits the view: the northing range fills
// the image height less 20 pixels, with a margin of 10 pixels.
void SetMinMaxOffset(const PointTable& P, TableBounds& bounds, ViewValues& view,
                     int image_height);

}  // namespace zelmaro
