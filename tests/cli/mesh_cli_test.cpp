#include <gtest/gtest.h>

#include <string>

#include "cli/json.h"
#include "support/temp_dir.h"

namespace zelmaro {
namespace {

using testing::Cli;

// Four reference points of a square, a terrain point on one corner (dropped
// there as a duplicate), one on the centre, and a point of no horizon.
constexpr const char* kSquare =
    "1 1 0 0 5\r\n"
    "2 1 10 0 6\r\n"
    "3 1 10 10 7\r\n"
    "4 0 0 10.004 8\r\n"
    "5 1 0 10 9\r\n"
    "6 0 5 5 4.5\r\n"
    "7 3 5 6 1\r\n";

// Three nearly collinear points and one far off: the triangulation leaves
// the thin triangle along the outline out; the option appends it.
TEST(CliMesh, CompleteOutlineAppendsBehindTheDescribedTriangles) {
  testing::TempDir dir;
  const std::string f =
      dir.Write("duenn.asc", "1 1 0 0 1\r\n2 1 0.1 10 2\r\n3 1 0 20 3\r\n4 1 30 10 4\r\n");
  std::string plain, full;
  ASSERT_EQ(Cli("mesh " + f + " --horizon reference --json", plain), 0) << plain;
  ASSERT_EQ(Cli("mesh " + f + " --horizon reference --json --complete-outline", full), 0) << full;
  const size_t end = plain.rfind("]]}");
  ASSERT_NE(end, std::string::npos) << plain;
  EXPECT_NE(plain.find("\"HowMany\":2,"), std::string::npos) << plain;
  EXPECT_NE(full.find("\"HowMany\":3,"), std::string::npos) << full;
  // Everything up to the last described triangle is the same, counts aside.
  EXPECT_EQ(full.substr(full.find(",\"zMin\""), end - plain.find(",\"zMin\"") + 1),
            plain.substr(plain.find(",\"zMin\""), end - plain.find(",\"zMin\"") + 1));
  // (10, 0.1), (20, 0), (0, 0): clockwise like the others.
  EXPECT_EQ(full.substr(full.size() - 11), ",[3,4,1]]}\n") << full;
}

// Empty and nested containers are where a comma goes astray.
TEST(CliJson, CommasOnlyBetweenMembersAndElements) {
  cli::JsonWriter w;
  w.Object().Key("a").Array().End().Key("b").Array().Array().End().Array().Number(1).End().End();
  w.Key("c").Object().End().Key("d").String("\xe4\"").End();
  EXPECT_EQ(w.Text(), "{\"a\":[],\"b\":[[],[1]],\"c\":{},\"d\":\"\\u00e4\\\"\"}");
}

TEST(CliMesh, EachHorizonAsJson) {
  testing::TempDir dir;
  const std::string f = dir.Write("quadrat.asc", kSquare);
  std::string out;
  ASSERT_EQ(Cli("mesh " + f + " --horizon reference --json", out), 0) << out;
  // x is the northing (the file's fourth column); corners are sorted slots.
  EXPECT_EQ(out,
            "{\"HowMany\":2,\"zMin\":5,\"zMax\":9,\"coincidences\":0,\"vertices\":["
            "{\"x\":0,\"y\":10,\"z\":6,\"ID\":2},{\"x\":0,\"y\":0,\"z\":5,\"ID\":1},"
            "{\"x\":10,\"y\":0,\"z\":9,\"ID\":5},{\"x\":10,\"y\":10,\"z\":7,\"ID\":3}],"
            "\"triangles\":[[3,2,4],[2,1,4]]}\n");
  ASSERT_EQ(Cli("mesh " + f + " --json --horizon terrain", out), 0) << out;
  EXPECT_NE(out.find("\"HowMany\":4,\"zMin\":4.5,\"zMax\":8,"), std::string::npos) << out;
  EXPECT_NE(out.find("{\"x\":10.004,\"y\":0,\"z\":8,\"ID\":4}"), std::string::npos) << out;
  EXPECT_EQ(out.find("\"ID\":5"), std::string::npos) << out;
  EXPECT_EQ(out.find("\"ID\":7"), std::string::npos) << out;
}

TEST(CliMesh, UsageErrorsExitTwoFailuresOneInGerman) {
  testing::TempDir dir;
  const std::string f = dir.Write("quadrat.asc", kSquare);
  std::string out;
  EXPECT_EQ(Cli("mesh " + f + " --json", out), 2);
  EXPECT_EQ(Cli("mesh " + f + " --horizon both --json", out), 2);
  EXPECT_EQ(Cli("mesh " + f + " --horizon", out), 2);
  EXPECT_EQ(Cli("mesh --horizon terrain --json", out), 2);
  EXPECT_EQ(Cli("mesh " + f + " " + f + " --horizon terrain --json", out), 2);
  const std::string huge = dir.Write("gross.asc", "1 1 0 0 0\r\n2 1 1 1e13 0\r\n");
  EXPECT_EQ(Cli("mesh " + huge + " --horizon reference --json", out), 1);
  EXPECT_EQ(out,
            "Punkt Nr. 2 (der 2. Punkt der Punktdatei): die Koordinate 1e+13 liegt außerhalb des "
            "Bereichs, den die Vermaschung rechnen kann (höchstens 9.2e12 m vom Nullpunkt).\n");
  // A file that is not there is no empty mesh.
  EXPECT_EQ(Cli("mesh " + dir.File("fehlt.asc") + " --horizon terrain --json", out), 1);
  EXPECT_EQ(out, "Die Punktdatei '" + dir.File("fehlt.asc") + "' gibt es nicht.\n");
}

}  // namespace
}  // namespace zelmaro
