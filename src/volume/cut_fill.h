#pragma once
// Cut and fill: the volumes of a horizon above and below the reference
// height, and between the two horizons where both are triangulated. Net
// volumes (the run's results) say how much is left over; these figures say
// how much has to be moved in each direction.
#include <vector>

#include "mesh/delaunay.h"
#include "points/point_table.h"
#include "volume/boundary.h"

namespace zelmaro {

// One horizon against the plane z = H0. Volumes and areas are positive; a
// part lying exactly on the plane counts to neither area.
struct HorizonCutFill {
  double area = 0;       // plan area of the triangles
  double hullArea = 0;   // plan area of the convex hull of the mesh's points
  double above = 0;      // volume above H0
  double below = 0;      // volume below H0
  double areaAbove = 0;  // plan area where the surface is above H0
  double areaBelow = 0;
};

// Terrain against the reference horizon over the plan area both cover.
struct BetweenCutFill {
  double fill = 0;      // volume where the terrain is above the reference horizon
  double cut = 0;       // volume where it is below
  double areaFill = 0;
  double areaCut = 0;
  double commonArea = 0;     // covered by both meshes
  double onlyReference = 0;  // covered by the reference horizon alone
  double onlyTerrain = 0;    // covered by the terrain alone
};

struct CutFill {
  bool valid = false;  // false until a run has finished
  double H0 = 0;       // the reference height of that run
  HorizonCutFill reference;
  HorizonCutFill terrain;
  BetweenCutFill between;
};

// The mesh's triangles against H0, with the corners' coordinates taken from
// the point table through Vertex[].ID, as the run's volumes are: above -
// below is the run's volume of that horizon up to rounding.
HorizonCutFill CutAndFill(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0);
// The same with the mesh's plan area (MeshArea) and the area of its hull
// (ConvexHullArea) as they were measured when it was triangulated: neither
// depends on H0.
HorizonCutFill CutAndFill(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0,
                          double area, double hullArea);

// The same for the prisms cut to a boundary: the areas and volumes of the
// part inside it; area is then the horizon's area inside.
HorizonCutFill CutAndFill(const PointTable& P, const Delaunay::TDelaunay& mesh, double H0,
                          double area, double hullArea, const BoundaryClip& clip);
// Overlay of the two triangulations: every overlapping pair of triangles
// gives a convex piece on which both surfaces are planes; the piece is split
// where they meet. With threads >= 2 it runs on that many threads, with
// the same figures as on one.
BetweenCutFill CutFillBetween(const PointTable& P, const Delaunay::TDelaunay& reference,
                              const Delaunay::TDelaunay& terrain, int threads = 1);

// Everything of one run. A missing mesh counts as one without triangles.
CutFill ComputeCutFill(const PointTable& P, const Delaunay::TDelaunay* reference,
                       const Delaunay::TDelaunay* terrain, double H0, int threads = 1);

// The rows of the cut-and-fill table, in the order the window and the
// command line show them.
struct HorizonRow {
  const char* label;
  double HorizonCutFill::*value;
};
inline constexpr HorizonRow kHorizonRows[] = {
    {"Triangulierte Fläche m²", &HorizonCutFill::area},
    {"Fläche der konvexen Hülle m²", &HorizonCutFill::hullArea},
    {"Fläche über H0 m²", &HorizonCutFill::areaAbove},
    {"Fläche unter H0 m²", &HorizonCutFill::areaBelow},
    {"Masse über H0 m³", &HorizonCutFill::above},
    {"Masse unter H0 m³", &HorizonCutFill::below},
};
struct BetweenRow {
  const char* label;
  double BetweenCutFill::*value;
};
inline constexpr BetweenRow kBetweenRows[] = {
    {"Auftrag m³ (Gelände über Bezugshorizont)", &BetweenCutFill::fill},
    {"Abtrag m³ (Gelände unter Bezugshorizont)", &BetweenCutFill::cut},
    {"Auftragsfläche m²", &BetweenCutFill::areaFill},
    {"Abtragsfläche m²", &BetweenCutFill::areaCut},
    {"Gemeinsame Fläche m²", &BetweenCutFill::commonArea},
    {"Nur Bezugshorizont m²", &BetweenCutFill::onlyReference},
    {"Nur Gelände m²", &BetweenCutFill::onlyTerrain},
};

}  // namespace zelmaro
