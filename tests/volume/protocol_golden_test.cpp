// Whole protocols of small point files, compared byte for byte with files
// whose numbers were worked out by hand.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "text/cp1252.h"
#include "volume/balance.h"
#include "volume/run.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

// The pane must hold exactly the file's lines.
std::string PaneAsFile(const std::vector<std::string>& pane) {
  std::string utf8;
  for (const std::string& line : pane) utf8 += line + "\r\n";
  return Utf8ToCp1252(utf8);
}

struct Golden {
  const char* input;
  const char* expected;
  double h0;
  const char* bem;
};

class ProtocolGolden : public ::testing::TestWithParam<Golden> {};

TEST_P(ProtocolGolden, RunWritesTheExpectedProtocolAndPane) {
  const Golden& g = GetParam();
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, g.input);
  host.bem = g.bem;
  host.field.SetValue(g.h0);
  Workspace ws;
  ToolButton1Click(ws, host);

  const std::string protocol = ProtocolFileName(host.point_file);
  const std::string written = ReadBytes(protocol);
  EXPECT_EQ(written, ReadBytes(DataFile(g.expected))) << Cp1252ToUtf8(written);
  EXPECT_EQ(PaneAsFile(host.pane), written);
  EXPECT_EQ(host.show_calls, 1);
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, ProtocolGolden,
    ::testing::Values(Golden{"triangle.asc", "triangle_h0_0.LST", 0, "Dreieck"},
                      Golden{"triangle.asc", "triangle_h0_3.LST", 3, ""},
                      Golden{"few_reference.asc", "few_reference.LST", 10, "Halde Süd – Prüfung"},
                      Golden{"same_place_reference_first.asc", "same_place_reference_first.LST", 2, ""},
                      Golden{"same_place_terrain_first.asc", "same_place_terrain_first.LST", 2, ""},
                      Golden{"areas.asc", "areas.LST", 0, ""}),
    [](const ::testing::TestParamInfo<Golden>& info) {
      std::string name = info.param.expected;
      return name.substr(0, name.find('.'));
    });

TEST(ProtocolGoldenFields, ResultFieldsOfTheTriangleAndTheFewPointHorizon) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, "triangle.asc");
  host.field.SetValue(3);
  Workspace ws;
  ToolButton1Click(ws, host);
  EXPECT_EQ(host.fields[ResultField::EditA0], "     50.00");
  EXPECT_EQ(host.fields[ResultField::EditM0], "    -50.00");
  EXPECT_EQ(host.fields[ResultField::EditA1], "     50.00");
  EXPECT_EQ(host.fields[ResultField::EditM1], "    -50.00");
  EXPECT_EQ(host.fields[ResultField::EditA2], "      0.00");
  EXPECT_EQ(host.fields[ResultField::EditM2], "      0.00");
  EXPECT_EQ(ws.m0, -50);
  EXPECT_EQ(ws.sumA0, 50);

  // Fewer than three reference points: no triangles, zeros right-aligned.
  host.point_file = CopyData(dir, "few_reference.asc");
  host.field.SetValue(10);
  ToolButton1Click(ws, host);
  EXPECT_EQ(ws.Mesh0->HowMany, 0);
  EXPECT_EQ(host.fields[ResultField::EditA0], "      0.00");
  EXPECT_EQ(host.fields[ResultField::EditM0], "      0.00");
  EXPECT_EQ(host.fields[ResultField::EditA2], "     50.00");
  EXPECT_EQ(host.fields[ResultField::EditM2], "     50.00");
}

// 100.004 and 100.016 show as 100.00 and 100.02: the field difference is
// that of the shown numbers, the protocol's that of the sums.
TEST(ProtocolGoldenFields, AreaDifferenceFieldUsesTheDisplayedAreas) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, "areas.asc");
  Workspace ws;
  ToolButton1Click(ws, host);
  EXPECT_NEAR(ws.sumA0, 100.004, 1e-9);
  EXPECT_NEAR(ws.SumA1, 100.016, 1e-9);
  EXPECT_EQ(host.fields[ResultField::EditA0], "    100.00");
  EXPECT_EQ(host.fields[ResultField::EditA1], "    100.02");
  EXPECT_EQ(host.fields[ResultField::EditA2], "      0.02");
  EXPECT_EQ(host.pane.back(), "Differenz Gelände - Bezugshorizont:         0.01       0.00");
}

TEST(ProtocolGoldenFields, EmptyPointFileNameWritesLstInTheWorkingFolder) {
  ScratchDir dir(/*enter=*/true);
  FakeHost host;
  host.field.UserEdited("12.5");  // typed, not set by the program
  Workspace ws;
  ToolButton1Click(ws, host);
  EXPECT_EQ(ReadBytes(dir / "LST"), ReadBytes(DataFile("empty_name.LST")));
  EXPECT_TRUE(ws.P.empty());
  EXPECT_EQ(host.fields[ResultField::EditM2], "      0.00");
}

// Whatever the user's regional settings, the protocol's numbers use ".".
TEST(ProtocolGoldenFields, GermanLocaleChangesNoByte) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old ? old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale";
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, "areas.asc");
  Workspace ws;
  ToolButton1Click(ws, host);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(ReadBytes(ProtocolFileName(host.point_file)), ReadBytes(DataFile("areas.LST")));
  EXPECT_EQ(host.fields[ResultField::EditA2], "      0.02");
}

// m1 - m0 = 0.125 - (-2^-60): a double rounds it to the tie 0.125, which
// prints as 0.12; the difference itself lies above the tie and prints 0.13.
TEST(ProtocolGoldenFields, DifferencesArePrintedFromTheirExtendedValue) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "feinheit.asc";
  // Terrain points first: they displace the reference points at the same
  // places from the terrain, so both horizons are the same triangle of
  // area 1 at different heights.
  WriteBytes(host.point_file,
             "4 0 0 0 0.125\r\n5 0 0 1 0.125\r\n6 0 2 0 0.125\r\n"
             "1 1 0 0 -8.673617379884035e-19\r\n2 1 0 1 -8.673617379884035e-19\r\n"
             "3 1 2 0 -8.673617379884035e-19\r\n");
  Workspace ws;
  ToolButton1Click(ws, host);
  EXPECT_EQ(ws.m0, -std::ldexp(1.0, -60));
  EXPECT_EQ(ws.m1, 0.125);
  EXPECT_EQ(ws.m1 - ws.m0, 0.125);  // as a double
  EXPECT_EQ(host.fields[ResultField::EditM0], "     -0.00");
  EXPECT_EQ(host.fields[ResultField::EditM1], "      0.12");
  EXPECT_EQ(host.fields[ResultField::EditM2], "      0.13");
  EXPECT_EQ(host.pane.back(), "Differenz Gelände - Bezugshorizont:         0.00       0.13");
}

TEST(ProtocolGoldenBalance, TwoTrianglesBalanceAt287) {
  for (bool terrain : {false, true}) {
    ScratchDir dir;
    FakeHost host;
    host.point_file = CopyData(dir, "two_triangles.asc");
    host.bem = "Massenausgleich Prüfung";
    Workspace ws;
    ASSERT_TRUE(ws.LiesPunkte(host.point_file));
    host.field.SetValue(ws.bounds.MinZ);
    auto run = [&] { ToolButton1Click(ws, host); };
    host.field.OnChangeValue = run;
    if (terrain)
      SpeedButton2Click(ws, host.field, run);
    else
      SpeedButton1Click(ws, host.field, run);
    EXPECT_EQ(host.field.Text(), "287.000");
    EXPECT_EQ(ReadBytes(ProtocolFileName(host.point_file)),
              ReadBytes(DataFile("two_triangles_287.LST")));
  }
}

}  // namespace
}  // namespace zelmaro::testing
