#pragma once
// Unit Delaunay: one triangulated surface with its vertex and triangle
// stores, point intake, the Delaunay triangulation and the contour lines.
//
// A mesh's x is the survey northing X, its y the survey easting Y.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace Delaunay {

// The capacities of the stores as they once were fixed. The stores now grow
// with the survey; these remain as the sizes the plain reference of the
// tests reserves.
#ifdef ZELMARO_FUZZ_CAPACITIES
// The fuzz build's meshes: its inputs are a few kilobytes, and every run
// reserves both stores in full.
constexpr int32_t MaxVertices = 2000;
constexpr int32_t MaxTriangles = 4000;
constexpr int32_t MaxEdges = 12000;
#else
constexpr int32_t MaxVertices = 500000;
constexpr int32_t MaxTriangles = 1000000;
// Edges collected for one inserted point.
constexpr int32_t MaxEdges = 3000000;
#endif
// Points closer than this in x and in y are one point; also the contour
// pooling and duplicate tolerance.
constexpr double ExPtTolerance = 0.01;
// The most points the fixed store took: the super-triangle's three corners
// had to fit behind the last point.
constexpr int32_t MaxMeshPoints = MaxVertices - 3;

// A store of records by slot that grows with the survey and keeps what it
// holds when it grows. Slots are not cleared: each is written before it is
// read. Indexed like the array it replaces.
template <class T>
class TStore {
 public:
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  T* get() const { return data_.get(); }
  size_t size() const { return size_; }
  // At least n slots, of which the first `keep` keep what they hold; grows
  // by half at a time, so that slot by slot growth costs linear time. An
  // allocation failure throws std::bad_alloc and leaves the store as it was.
  void Reserve(size_t n, size_t keep = SIZE_MAX) {
    if (n <= size_) return;
    const size_t grown = std::max(n, size_ + size_ / 2);
    std::unique_ptr<T[]> d(new T[grown]);
    keep = std::min(keep, size_);
    if (keep > 0) std::memcpy(static_cast<void*>(d.get()), data_.get(), keep * sizeof(T));
    data_ = std::move(d);
    size_ = grown;
  }

 private:
  std::unique_ptr<T[]> data_;
  size_t size_ = 0;
};

struct dVertex {
  double x;
  double y;
  double z;
  int32_t ID;  // the Number given to AddPoint: the point's slot in the table
  int8_t ln;
};

struct dTriangle {
  int32_t vv0, vv1, vv2;  // vertex slots of the corners
  int32_t PreCalc;        // 1 when xc, yc, r hold this triangle's circumcircle
  double xc, yc;
  double r;
};

// A contour point (not the survey point of the same name).
struct TPunkt {
  double X;
  double Y;
  double Z;
  int8_t ln;  // 1 once the chaining found the point to be an open end
};

struct TLine {
  int32_t sp;   // start point, index into Points
  int32_t ep;   // end point
  char16_t AE;  // chaining mark: 0, u'A' or u'E'
};

struct TLineCut {
  TPunkt ContourPt;
  bool Found;
};

struct TContourSetup {
  double MinValue = 0;
  double MaxValue = 0;
  double Range = 0;
  double Step = 0;
  int32_t NoLevels = 0;
  std::vector<double> Levels;
  std::vector<TPunkt> Points;
  std::vector<std::vector<TLine>> Contours;
};

class TDelaunay {
 public:
  // Called for every "INCIRCUM - F - Points are coincident !!" of a
  // triangulation; the window shows the message, tests count it.
  using CoincidenceHandler = std::function<void()>;

  TDelaunay();
  virtual ~TDelaunay();
  TDelaunay(const TDelaunay&) = delete;
  TDelaunay& operator=(const TDelaunay&) = delete;

  // Reserved at the former fixed capacity (0 .. MaxVertices, 0 ..
  // MaxTriangles: address space, resident only where written) and grown
  // beyond it as points and triangles come; never cleared. Slot 0 is never used;
  // Vertex holds the points at 1 .. tPoints - 1 and, after a triangulation,
  // the super-triangle's corners behind them.
  TStore<dVertex> Vertex;
  TStore<dTriangle> Triangle;
  int32_t HowMany = 0;
  double zMin = 0;
  double zMax = 0;
  int32_t tPoints = 1;  // next free vertex slot
  TContourSetup Contour;

  // Stores the point unless it lies within ExPtTolerance (strictly, in x and
  // in y) of a stored vertex; coordinates are kept rounded to six decimals.
  // Throws zelmaro::EInvalidOp for a coordinate too large to round (beyond
  // some 9.2e12) and std::bad_alloc when the store cannot grow.
  void AddPoint(int32_t Number, double x, double y, double z);

  // Room for n points and their triangles, where the caller knows how many
  // will come: spares the stores their growing copies.
  void ReservePoints(int32_t n);

  // Sorts the vertices by x and, with three or more, triangulates them.
  void Mesh();

  static void QuickSort(dVertex* A, int32_t Low, int32_t High);
  int32_t Triangulate(int32_t nvert);
  bool InCircle(double xp, double yp, double x1, double y1, double x2, double y2, double x3,
                double y3, double& xc, double& yc, double& r, int32_t j);

  void SetCoincidenceHandler(CoincidenceHandler handler) { coincidence_ = std::move(handler); }
  // Coincidence reports of the last triangulation.
  int32_t Coincidences() const { return coincidences_; }

  // Contour lines.
  void InitialiseContourLevels(double MinZ, double MaxZ, double Step);
  void CalculateContours();
  TLineCut LineCut(double x1, double y1, double x2, double y2, double z1, double z2,
                   double Level);
  int32_t AddContourPoint(TPunkt p);
  void AddContourLine(int32_t Level, TLineCut L1, TLineCut L2);
  void SortContourLines();

 private:
  static void DoQuickSort(dVertex* A, int32_t iLo, int32_t iHi);
  void ReportCoincidence();
  void RebuildIntakeIndex();

  CoincidenceHandler coincidence_;
  int32_t coincidences_ = 0;

  // Duplicate search of the point intake: a hash of grid cells over the
  // stored, rounded vertices. Valid until Mesh sorts the store.
  struct IntakeIndex;
  std::unique_ptr<IntakeIndex> intake_;
};

// Rounds to six decimal places, halves to even, as stored by AddPoint.
double RoundToMicro(double v);

}  // namespace Delaunay
