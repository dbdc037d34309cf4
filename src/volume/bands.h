#pragma once
// Volume per height band ("Höhenstufen", stage and storage) of one horizon:
// from the lowest to the highest level, each level's plan area of the
// surface above it and the volume between it and the level below, exact for
// the triangulated surface.
#include <vector>

#include "mesh/delaunay.h"
#include "points/point_table.h"

namespace zelmaro {

struct BandRow {
  double height = 0;      // the level, H0 + k * step
  double area = 0;        // plan area where the surface lies above the level
  double volume = 0;      // between the level below and this one (0 in the first row)
  double cumulative = 0;  // from the lowest level up to this one
};

// The levels run in steps from H0 down to the first at or below both H0 and
// the lowest corner, and up to the first at or above both H0 and the highest. A band above H0 holds
// the material between its two levels (positive), a band below H0 the room
// between the surface and its upper level (negative), so that the
// cumulative volume at the top is the horizon's volume against H0. Heights
// and plan positions are the point table's, as in the run. Throws
// ELimitError for a step that is not positive or gives too many levels.
std::vector<BandRow> HeightBands(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0,
                                 double step);

}  // namespace zelmaro
