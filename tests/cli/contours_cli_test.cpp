#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace zelmaro {
namespace {

using testing::Cli;

// Number, code, Y, X, Z. The reference horizon is the triangle of points 1
// to 3; the terrain adds point 4; point 5 belongs to no horizon.
constexpr const char* kPoints =
    "1 1 0 0 10\r\n"
    "2 1 5 10 11\r\n"
    "3 1 0 20 12\r\n"
    "4 0 20 10 9\r\n"
    "5 7 3 3 500\r\n";

TEST(CliContours, ReferenceHorizonAsJson) {
  testing::TempDir dir;
  const std::string f = dir.Write("dreieck.asc", kPoints);
  std::string out;
  ASSERT_EQ(Cli("contours " + f + " --horizon reference --interval 1 --json", out), 0) << out;
  // Level 10 touches the triangle only at its corner (0, 0): a segment of
  // one point, open at both ends. Level 11 runs from the corner (10, 5) to
  // the middle of the opposite edge. Both are lines of one segment.
  EXPECT_EQ(out,
            "{\"MinValue\":10,\"MaxValue\":12,\"Range\":2,\"Step\":1,\"NoLevels\":2,"
            "\"Levels\":[10,11],\"Points\":[[0,0,1],[10,5,1],[10,0,1]],"
            "\"Contours\":[[[0,0,\"A\"]],[[1,2,\"A\"]]]}\n");
}

TEST(CliContours, TerrainLevelsAndTextSummary) {
  testing::TempDir dir;
  const std::string f = dir.Write("gelaende.asc", kPoints);
  std::string out;
  ASSERT_EQ(Cli("contours " + f + " --json --interval 0.5 --horizon terrain", out), 0) << out;
  EXPECT_EQ(out.rfind("{\"MinValue\":9,\"MaxValue\":12,\"Range\":3,\"Step\":0.5,\"NoLevels\":6,"
                      "\"Levels\":[9,9.5,10,10.5,11,11.5],\"Points\":[",
                      0),
            0u)
      << out;
  EXPECT_NE(out.find("]],\"Contours\":[[[0,0,\"A\"]],"), std::string::npos) << out;
  EXPECT_EQ(out.find("500"), std::string::npos);  // point 5 is in no horizon

  ASSERT_EQ(Cli("contours " + f + " --horizon terrain --interval 0", out), 0) << out;
  EXPECT_EQ(out.rfind("16 Höhenlinien im Abstand 0.2 von 8.8 bis 12", 0), 0u) << out;
}

TEST(CliContours, UsageErrorsExitTwoFailuresOneInGerman) {
  testing::TempDir dir;
  const std::string f = dir.Write("p.asc", kPoints);
  std::string out;
  EXPECT_EQ(Cli("contours --horizon terrain --interval 1", out), 2);
  EXPECT_EQ(Cli("contours " + f + " --interval 1", out), 2);
  EXPECT_EQ(Cli("contours " + f + " --horizon beide --interval 1", out), 2);
  EXPECT_EQ(Cli("contours " + f + " --horizon terrain", out), 2);
  EXPECT_EQ(Cli("contours " + f + " --horizon terrain --interval", out), 2);
  EXPECT_EQ(Cli("contours " + f + " --horizon terrain --interval 0,5", out), 2);
  EXPECT_NE(out.find("'0,5' ist kein gültiger Gleitkommawert"), std::string::npos) << out;
  EXPECT_EQ(Cli("contours " + f + " --horizon terrain --interval nan", out), 2);

  EXPECT_EQ(Cli("contours " + f + " --horizon terrain --interval -0.5 --json", out), 1);
  EXPECT_EQ(out,
            "Das Höhenlinienintervall muss positiv sein, nicht '-0.5' (0 lässt das Programm "
            "eines wählen).\n");
  EXPECT_EQ(Cli("contours " + f + " --horizon terrain --interval 1e-9 --json", out), 1);
  EXPECT_NE(out.find("zu klein für den Höhenbereich"), std::string::npos) << out;

  // A file that is not there is not computed on as if it had no points.
  EXPECT_EQ(Cli("contours " + dir.File("fehlt.asc") + " --horizon reference --interval 1 --json",
                out),
            1);
  EXPECT_EQ(out, "Die Punktdatei '" + dir.File("fehlt.asc") + "' gibt es nicht.\n");
}

}  // namespace
}  // namespace zelmaro
