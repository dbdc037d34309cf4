#pragma once
// The boundary ("Begrenzung"): a closed polygon in plan, with holes, that
// limits a computation to the stockpile, pit or lot the surveyor means. Each
// prism is cut exactly to it: the triangle's piece inside the polygon is
// found as a polygon, and the prism over that piece is exact because the
// triangle's top is a plane.
#include <cstdint>
#include <string>
#include <vector>

#include "points/point_table.h"

namespace zelmaro {

// A corner in plan: E is the easting (the point file's Y), N the northing (X).
struct PlanPoint {
  double E = 0, N = 0;
};

struct Boundary {
  // rings[0] the outer ring, the others holes; each ring without repeating
  // its first corner at the end.
  std::vector<std::vector<PlanPoint>> rings;
  bool Empty() const { return rings.empty(); }
  size_t Corners() const;
};

// The text of a boundary file: one corner "Y X" per line (further fields are
// ignored), "." as the decimal point; an empty line or a line "#hole" starts a
// hole, other lines beginning with "#" are comments. Rings close themselves.
// Throws ELimitError with the line at fault.
Boundary ParseBoundaryText(const std::string& text);
// Reads and parses a boundary file; a file that cannot be read is an error.
Boundary ReadBoundaryFile(const std::string& file_name);
// The outer ring through the points of the table with these numbers, in this
// order (the first point of a number where several have it).
Boundary BoundaryFromPoints(const PointTable& P, const std::vector<int32_t>& numbers);
// "12,13,14" or "12 13 14": point numbers.
std::vector<int32_t> ParsePointNumbers(const std::string& text);

// Plan area with its first moments: the integrals of 1, E and N over a region,
// E and N taken relative to the clip's origin.
struct Moments {
  long double A = 0, SE = 0, SN = 0;
};

// A boundary checked and made ready to cut triangles: outer ring turned
// counter-clockwise in (E, N), holes clockwise, so that the signed pieces of
// all rings add up to the region. A grid over the polygon holds, per cell,
// whether the cell is wholly inside, wholly outside or cut by the outline,
// and for a cut cell the rings' pieces inside it; a triangle is then cut
// against the few pieces its cells hold, not against the whole outline.
class BoundaryClip {
 public:
  // Throws ELimitError for a ring of fewer than three corners, a ring without
  // area, or rings that cross themselves or each other.
  explicit BoundaryClip(Boundary b);

  const Boundary& Polygon() const { return boundary_; }
  double Area() const { return area_; }
  double CentroidE() const { return centroidE_; }
  double CentroidN() const { return centroidN_; }

  // The prism over the part of a triangle inside the polygon, the triangle
  // given by its corners' northing X, easting Y and height Z: the part's
  // plan area A and its volume Ma above H0. A triangle wholly inside gets
  // exactly the figures of the uncut prism.
  void Prism(const double X[3], const double Y[3], const double Z[3], double H0, double& A,
             double& Ma) const;
  // The same prism split by the plane z = H0: the volumes above and below
  // it and the plan areas where the top is above and below (a top lying on
  // the plane counts to neither area), added to the sums.
  void AddCutFill(const double X[3], const double Y[3], const double Z[3], double H0,
                  long double& above, long double& below, long double& areaAbove,
                  long double& areaBelow) const;
  // The part of a triangle (corners E, N relative to the origin) inside;
  // with a half-plane g0 + gE E + gN N >= 0 only the part inside that too.
  Moments Inside(const PlanPoint t[3], const long double* half = nullptr) const;

  double OriginE() const { return e0_; }
  double OriginN() const { return n0_; }

 private:
  enum class Cell : uint8_t { Outside, Inside, Cut };
  using Ring = std::vector<PlanPoint>;

  Boundary boundary_;
  double area_ = 0, centroidE_ = 0, centroidN_ = 0;
  double e0_ = 0, n0_ = 0;  // origin: the polygon's lower left corner
  double width_ = 0, height_ = 0;
  int nx_ = 1, ny_ = 1;
  double cw_ = 0, ch_ = 0;  // cell size
  std::vector<Cell> cells_;
  std::vector<std::vector<Ring>> pieces_;  // per cut cell: the rings' pieces in it
};

}  // namespace zelmaro
