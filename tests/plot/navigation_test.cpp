#include "plot/navigation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zelmaro {
namespace {

PointTable Table(std::initializer_list<TPunkt> points) {
  PointTable P(1);
  for (const TPunkt& p : points) P.push_back(p);
  return P;
}

double WorldY(const ViewValues& v, int c) { return v.YOffset + c * v.MF; }
double WorldX(const ViewValues& v, int r) { return v.XOFFset - r * v.MF; }

struct Redraws {
  int count = 0;
  std::function<void()> fn() {
    return [this] { ++count; };
  }
};

TEST(Zoom, ButtonsZoomAboutThePressAndKeepItsWorldPoint) {
  ViewValues v{1, 5656850, 3486900, 0, 0};
  const double y = WorldY(v, 100), x = WorldX(v, 50);
  // A point right there is what the press picks after the zoom.
  const PointTable P = Table({{1, x + 30, y - 30, 0, 0}, {2, x, y, 0, 0}});
  Redraws r;
  EXPECT_EQ(ImageMouseDown(P, v, TNavMode::Zoom, TMouseButton::Left, 100, 50, r.fn()), 2);
  EXPECT_EQ(v.MF, 0.8);
  EXPECT_EQ(r.count, 1);
  EXPECT_NEAR(WorldY(v, 100), y, 1e-9);
  EXPECT_NEAR(WorldX(v, 50), x, 1e-9);
  EXPECT_NE(WorldY(v, 0), 3486900);  // the corner moved

  ViewValues w{1, 5656850, 3486900, 0, 0};
  ImageMouseDown(P, w, TNavMode::Zoom, TMouseButton::Right, 100, 50, r.fn());
  EXPECT_EQ(w.MF, 1.25);
  EXPECT_EQ(r.count, 2);
  EXPECT_NEAR(WorldY(w, 100), y, 1e-9);
  EXPECT_NEAR(WorldX(w, 50), x, 1e-9);
}

TEST(Zoom, FollowsTheFiveStepsInExtendedPrecision) {
  using ext = long double;
  ViewValues v{0.3, 5656847.299, 3486904.307, 0, 0};
  ZoomAbout(v, 333, 217, TZoom::In);
  const double y1 = static_cast<double>(3486904.307 + ext(333) * 0.3);
  const double x1 = static_cast<double>(5656847.299 - ext(217) * 0.3);
  const double mf = static_cast<double>(ext(0.3) / 1.25);
  EXPECT_EQ(v.MF, mf);
  EXPECT_EQ(v.YOffset, static_cast<double>(y1 - ext(333) * mf));
  EXPECT_EQ(v.XOFFset, static_cast<double>(x1 + ext(217) * mf));
}

TEST(Zoom, MiddleButtonAndOtherModesDoNotZoom) {
  const PointTable P = Table({{1, 990, 1010, 0, 0}});
  Redraws r;
  ViewValues v{1, 1000, 1000, 0, 0};
  EXPECT_EQ(ImageMouseDown(P, v, TNavMode::Zoom, TMouseButton::Middle, 10, 10, r.fn()), 1);
  EXPECT_EQ(v.MF, 1);
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(ImageMouseDown(P, v, TNavMode::Pick, TMouseButton::Left, 10, 10, r.fn()), 1);
  EXPECT_EQ(v.MF, 1);
  EXPECT_EQ(v.MouseSaveX, 0);  // only pan mode keeps the press
  EXPECT_EQ(r.count, 0);
}

TEST(Zoom, InThenOutReturnsUpToRounding) {
  ViewValues v{0.257, 5656847.299, 3486904.307, 0, 0};
  const ViewValues before = v;
  ZoomAbout(v, 412, 288, TZoom::In);
  ZoomAbout(v, 412, 288, TZoom::Out);
  EXPECT_NEAR(v.MF, before.MF, 1e-15);
  EXPECT_NEAR(v.XOFFset, before.XOFFset, 1e-8);
  EXPECT_NEAR(v.YOffset, before.YOffset, 1e-8);
}

// From a scale of 0 or infinity no zoom gets back, so such a step is not made.
TEST(Zoom, NeverReachesAScaleOfZeroOrInfinity) {
  ViewValues v{0, 10, 20, 0, 0};
  ZoomAbout(v, 5, 5, TZoom::Out);
  EXPECT_EQ(v.MF, 0);
  EXPECT_EQ(v.XOFFset, 10);

  ViewValues tiny{std::numeric_limits<double>::denorm_min(), 10, 20, 0, 0};
  ZoomAbout(tiny, 5, 5, TZoom::In);
  EXPECT_EQ(tiny.MF, std::numeric_limits<double>::denorm_min());

  ViewValues huge{std::numeric_limits<double>::max(), 0, 0, 0, 0};
  ZoomAbout(huge, 5, 5, TZoom::Out);
  EXPECT_EQ(huge.MF, std::numeric_limits<double>::max());
  ZoomAbout(huge, 5, 5, TZoom::In);  // its first step leaves the doubles
  EXPECT_EQ(huge.MF, std::numeric_limits<double>::max());
  ZoomAbout(huge, 0, 0, TZoom::In);
  EXPECT_EQ(huge.MF, std::numeric_limits<double>::max() / 1.25);
  EXPECT_TRUE(std::isfinite(huge.XOFFset));

  for (int i = 0; i < 4000; ++i) ZoomAbout(huge, 300, 200, TZoom::Out);
  EXPECT_TRUE(std::isfinite(huge.MF));
  EXPECT_TRUE(std::isfinite(huge.XOFFset) && std::isfinite(huge.YOffset));
}

TEST(Pan, MovesThePictureByTheDragOnRelease) {
  const PointTable P = Table({});
  Redraws r;
  ViewValues v{2, 5000, 1000, 0, 0};
  ImageMouseDown(P, v, TNavMode::Pan, TMouseButton::Right, 100, 100, r.fn());
  EXPECT_EQ(v.MouseSaveX, 100);
  EXPECT_EQ(v.MouseSaveY, 100);
  EXPECT_EQ(r.count, 0);  // nothing moves while the button is held
  ImageMouseUp(v, TNavMode::Pan, 150, 120, r.fn());
  EXPECT_EQ(v.YOffset, 900);
  EXPECT_EQ(v.XOFFset, 5040);
  EXPECT_EQ(r.count, 1);

  // Releases outside pan mode do nothing.
  ImageMouseUp(v, TNavMode::Zoom, 0, 0, r.fn());
  ImageMouseUp(v, TNavMode::Pick, 0, 0, r.fn());
  EXPECT_EQ(v.YOffset, 900);
  EXPECT_EQ(r.count, 1);
}

TEST(Pan, ReleaseWithoutPressStartsFromTheStoredPixel) {
  ViewValues v{1, 100, 200, 0, 0};
  ImageMouseUp(v, TNavMode::Pan, 30, 20, nullptr);
  EXPECT_EQ(v.XOFFset, 120);
  EXPECT_EQ(v.YOffset, 170);
}

TEST(GetPoint, NearestEarliestAndStrictlyCloserThanTenThousandMillion) {
  const ViewValues v{1, 100, 0, 0, 0};
  // Pixel (10, 10) is world X 90, Y 10.
  const PointTable P = Table({{1, 95, 10, 0, 0}, {2, 90, 15, 0, 0}, {3, 90, 12, 0, 0},
                              {4, 88, 10, 0, 0}, {5, 90, 8, 0, 0}});
  // 2 and 3 and 4 and 5 at 5, 2, 2, 2: the earliest of the nearest is 3.
  EXPECT_EQ(GetPoint(P, v, 10, 10), 3);
  EXPECT_EQ(GetPoint(Table({}), v, 10, 10), -1);
  EXPECT_EQ(GetPoint(PointTable{}, v, 10, 10), -1);
  // Every code counts; exactly 1.0E10 away is not near enough.
  EXPECT_EQ(GetPoint(Table({{1, 90, 10 + 1e10, 0, 77}}), v, 10, 10), -1);
  EXPECT_EQ(GetPoint(Table({{1, 90, 9.9e9, 0, 77}}), v, 10, 10), 1);
}

TEST(GetPoint, StatusTextOfAPickedPoint) {
  const TPunkt p{64, 5656820.914, 3486946.169, 286.684, 9};
  EXPECT_EQ(PointStatusText(p), "        64 3486946.169 5656820.914  286.684   9");
  EXPECT_EQ(PointStatusText({-3, 0.0005, -12.25, -1.5, -1}),
            "        -3    -12.250      0.001   -1.500  -1");
}

}  // namespace
}  // namespace zelmaro
