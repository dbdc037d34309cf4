// The bound on the work of one contour computation: a fine interval over a
// large height range is refused before anything is reserved for it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "mesh/contours.h"
#include "mesh/delaunay.h"
#include "text/errors.h"

namespace Delaunay {
namespace {

// A grid whose heights alternate between 0 and `high`: every triangle spans
// the whole range, so every level cuts every triangle.
std::unique_ptr<TDelaunay> Checkerboard(int n, double high) {
  auto m = std::make_unique<TDelaunay>();
  int id = 1;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) m->AddPoint(id++, i * 10.0, j * 10.0 + i * 0.37, (i + j) % 2 ? high : 0);
  m->Mesh();
  return m;
}

TEST(ContourBound, TooManyCutsAreRefusedWithIntervalAndCountAndNothingChanges) {
  // 162 triangles, each cut by nearly all of 100,000 levels.
  auto m = Checkerboard(10, 1000);
  m->InitialiseContourLevels(m->zMin, m->zMax, 0.01);
  ASSERT_EQ(m->Contour.NoLevels, 100000);
  try {
    m->CalculateContours();
    FAIL() << "no report";
  } catch (const zelmaro::ELimitError& e) {
    const std::string what = e.what();
    EXPECT_EQ(what.rfind("Die Höhenlinien im Intervall 0.01 schneiden die Dreiecke ", 0), 0u) << what;
    EXPECT_NE(what.find("höchstens 10000000 Schnitte"), std::string::npos) << what;
  }
  EXPECT_TRUE(m->Contour.Points.empty());
  for (const auto& list : m->Contour.Contours) ASSERT_TRUE(list.empty());

  // A coarser interval on the same mesh is computed as ever.
  m->InitialiseContourLevels(m->zMin, m->zMax, 1);
  m->CalculateContours();
  EXPECT_FALSE(m->Contour.Points.empty());
}

}  // namespace
}  // namespace Delaunay
