// The mass balance: how many runs it makes, where it ends and how it stops
// when it cannot succeed.
#include <gtest/gtest.h>

#include <cmath>

#include "text/errors.h"
#include "volume/balance.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

// The program after choosing a point file with "...": the table read, the
// field at MinZ, every value change and click a counted run.
struct Session {
  ScratchDir dir;
  FakeHost host;
  Workspace ws;
  int runs = 0;
  std::vector<double> run_heights;
  std::function<void()> click;

  explicit Session(const std::string& data_file, bool select = true) {
    host.point_file = CopyData(dir, data_file);
    click = [this] {
      ++runs;
      run_heights.push_back(host.field.Value());
      ToolButton1Click(ws, host);
    };
    if (select) {
      ws.LiesPunkte(host.point_file);
      host.field.SetValue(ws.bounds.MinZ);
    }
    host.field.OnChangeValue = click;
  }
};

TEST(Balance, RunCountsOfBothHorizons) {
  {
    Session s("two_triangles.asc");
    SpeedButton1Click(s.ws, s.host.field, s.click);
    EXPECT_EQ(s.runs, 3);
    EXPECT_EQ(s.run_heights, (std::vector<double>{286, 286, 287}));
    EXPECT_EQ(s.host.field.Value(), 287);
    EXPECT_LT(std::fabs(s.ws.m0), 0.001);
  }
  {
    Session s("two_triangles.asc");
    SpeedButton2Click(s.ws, s.host.field, s.click);
    EXPECT_EQ(s.runs, 4);
    EXPECT_EQ(s.run_heights, (std::vector<double>{286, 286, 287, 287}));
    EXPECT_EQ(s.host.field.Value(), 287);
    EXPECT_LT(std::fabs(s.ws.m1), 0.001);
  }
}

TEST(Balance, FieldAlreadyAtTheStartValueSavesTheFirstRun) {
  for (bool terrain : {false, true}) {
    Session s("two_triangles.asc");
    s.host.field.OnChangeValue = nullptr;
    s.host.field.SetValue(286);  // (280 + 292) / 2
    s.host.field.OnChangeValue = s.click;
    if (terrain)
      SpeedButton2Click(s.ws, s.host.field, s.click);
    else
      SpeedButton1Click(s.ws, s.host.field, s.click);
    EXPECT_EQ(s.runs, terrain ? 3 : 2);
    EXPECT_EQ(s.host.field.Text(), "287.000");
  }
}

TEST(Balance, NothingHappensBeforeAPointFileWasRead) {
  Session s("two_triangles.asc", /*select=*/false);
  SpeedButton1Click(s.ws, s.host.field, s.click);
  SpeedButton2Click(s.ws, s.host.field, s.click);
  EXPECT_EQ(s.runs, 0);
  EXPECT_EQ(s.host.field.Value(), 0);
}

TEST(Balance, StartsInTheMiddleOfAllHeights) {
  ScratchDir dir;
  const std::string file = dir / "range.asc";
  // Heights 280 .. 300; the code 9 point at 300 counts for the range too.
  WriteBytes(file, "1 1 0 0 280\r\n2 1 0 10 282\r\n3 1 10 0 284\r\n4 9 50 50 300\r\n");
  FakeHost host;
  host.point_file = file;
  Workspace ws;
  ws.LiesPunkte(file);
  std::vector<double> heights;
  auto click = [&] {
    heights.push_back(host.field.Value());
    ToolButton1Click(ws, host);
  };
  host.field.OnChangeValue = click;
  SpeedButton1Click(ws, host.field, click);
  ASSERT_GE(heights.size(), 2u);
  EXPECT_EQ(heights[0], 290);
  EXPECT_NEAR(host.field.Value(), 282, 1e-9);
}

TEST(Balance, HorizonWithoutTrianglesStopsWithAMessageAtTheStartValue) {
  Session s("few_reference.asc");  // two reference points, a terrain triangle
  try {
    SpeedButton1Click(s.ws, s.host.field, s.click);
    FAIL() << "no error";
  } catch (const ELimitError& e) {
    EXPECT_STREQ(e.what(),
                 "Der Bezugshorizont hat keine Dreiecke (Fläche 0 m2): ein Massenausgleich "
                 "ist nicht möglich.");
  }
  const double start = (10.0 + 99.0) / 2;
  EXPECT_EQ(s.host.field.Value(), start);
  EXPECT_EQ(s.runs, 2);
  EXPECT_EQ(s.host.pane[2], "Höhenbezug54.500 m");

  // The terrain of the same file has its triangle and balances.
  SpeedButton2Click(s.ws, s.host.field, s.click);
  EXPECT_NEAR(s.host.field.Value(), 11, 1e-9);
  EXPECT_LT(std::fabs(s.ws.m1), 0.001);
}

TEST(Balance, EmptyPointFileNamesTheTerrain) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "leer.asc";
  WriteBytes(host.point_file, "");
  Workspace ws;
  ws.LiesPunkte(host.point_file);
  int runs = 0;
  auto click = [&] {
    ++runs;
    ToolButton1Click(ws, host);
  };
  host.field.OnChangeValue = click;
  EXPECT_THROW(
      {
        try {
          SpeedButton2Click(ws, host.field, click);
        } catch (const ELimitError& e) {
          EXPECT_EQ(std::string(e.what()).rfind("Das Gelände hat keine Dreiecke", 0), 0u);
          throw;
        }
      },
      ELimitError);
  EXPECT_EQ(host.field.Value(), 0);  // (1e12 + -1e12) / 2
  EXPECT_EQ(runs, 1);                // the field held 0 already
}

// The limits hold the field at 285: the second pass ends where the first did,
// and every further pass would only repeat the same run.
TEST(Balance, LimitsExcludingTheBalanceHeightStopAsSoonAsNothingMoves) {
  for (bool terrain : {false, true}) {
    Session s("two_triangles.asc");
    s.host.field.OnChangeValue = nullptr;
    s.host.field.SetMinValue(280);
    s.host.field.SetMaxValue(285);
    s.host.field.OnChangeValue = s.click;
    try {
      if (terrain)
        SpeedButton2Click(s.ws, s.host.field, s.click);
      else
        SpeedButton1Click(s.ws, s.host.field, s.click);
      FAIL() << "no error";
    } catch (const ELimitError& e) {
      // At 285: (284 - 285) * 100 + (288 - 285) * 300 = 800.
      EXPECT_STREQ(e.what(),
                   "Massenausgleich nach 2 Durchgängen abgebrochen: Restmasse 800.000 m3 bei "
                   "Bezugshöhe 285.000 m.");
    }
    EXPECT_EQ(s.host.field.Value(), 285);
    EXPECT_EQ(s.runs, 3);  // the assignment and the click of pass 1, the click of pass 2
  }
}

TEST(Balance, FailingRunEndsTheSearchWithItsError) {
  Session s("two_triangles.asc");
  std::filesystem::create_directory(ProtocolFileName(s.host.point_file));
  EXPECT_THROW(SpeedButton1Click(s.ws, s.host.field, s.click), EInOutError);
  EXPECT_EQ(s.runs, 1);
  EXPECT_EQ(s.host.field.Value(), 286);
}

}  // namespace
}  // namespace zelmaro::testing
