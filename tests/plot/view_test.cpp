#include <gtest/gtest.h>

#include "plot/view.h"

namespace zelmaro {
namespace {

PointTable Table(std::initializer_list<std::pair<double, double>> xy) {
  PointTable P(1);
  int nr = 1;
  for (auto [x, y] : xy) P.push_back({nr++, x, y, 0, 0});
  return P;
}

TEST(SetMinMaxOffset, FitsTheNorthingRangeIntoTheImage) {
  TableBounds b;
  ViewValues v;
  SetMinMaxOffset(Table({{5000, 1000}, {5215, 1000}, {5100, 1100}}), b, v, 235);
  EXPECT_EQ(v.MF, 1);
  EXPECT_EQ(v.YOffset, 990);
  EXPECT_EQ(v.XOFFset, 5225);
  EXPECT_EQ(b.MinX, 5000);
  EXPECT_EQ(b.MaxY, 1100);
  // The northern-most point on row 10, the southern-most on row h - 10.
  EXPECT_EQ((v.XOFFset - 5215) / v.MF, 10);
  EXPECT_EQ((v.XOFFset - 5000) / v.MF, 225);

  SetMinMaxOffset(Table({{0, 0}, {430, 7}}), b, v, 235);
  EXPECT_EQ(v.MF, 2);
  EXPECT_EQ((v.XOFFset - 0) / v.MF, 225);
}

TEST(SetMinMaxOffset, SurveyCoordinatesKeepTheirExtendedResult) {
  TableBounds b;
  ViewValues v;
  SetMinMaxOffset(Table({{5656791.906, 3486904.307}, {5656847.299, 3486990.62}}), b, v, 235);
  using ext = long double;
  const ext mf = (ext(5656847.299) - 5656791.906) / 215;
  EXPECT_EQ(v.MF, static_cast<double>(mf));
  EXPECT_EQ(v.YOffset, static_cast<double>(ext(3486904.307) - 10 * ext(v.MF)));
  EXPECT_EQ(v.XOFFset, static_cast<double>(ext(5656847.299) + 10 * ext(v.MF)));
}

// A flat northing range or a tiny image would give a scale of 0 or a division
// by zero: the fit then takes the easting range, or 1.
TEST(SetMinMaxOffset, DegenerateTablesAndImagesGetAUsableScale) {
  TableBounds b;
  ViewValues v;
  SetMinMaxOffset(Table({{100, 50}}), b, v, 235);
  EXPECT_EQ(v.MF, 1);
  EXPECT_EQ(v.XOFFset, 110);
  EXPECT_EQ(v.YOffset, 40);

  SetMinMaxOffset(Table({{100, 0}, {100, 430}}), b, v, 235);
  EXPECT_EQ(v.MF, 2);

  SetMinMaxOffset(Table({{0, 0}, {430, 0}}), b, v, 20);
  EXPECT_EQ(v.MF, 430);
  SetMinMaxOffset(Table({{0, 0}, {430, 0}}), b, v, -5);
  EXPECT_EQ(v.MF, 430);
  EXPECT_GT(v.MF, 0);

  // A file without points: the bounds' start values give a negative scale,
  // mirrored but finite.
  SetMinMaxOffset(PointTable(1), b, v, 235);
  EXPECT_EQ(b.MinX, 1e12);
  EXPECT_LT(v.MF, 0);
  EXPECT_NE(v.MF, 0);
}

}  // namespace
}  // namespace zelmaro
