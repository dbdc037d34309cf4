#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace zelmaro {
namespace {

using testing::Cli;

TEST(CliPoints, JsonOfTheTableAndItsBounds) {
  testing::TempDir dir;
  std::string f = dir.Write("mess.asc",
                            " 64                     9    3486946,169  5656820,914    286.684\r\n"
                            "1001 257 10 20.5 1e2\r\n"
                            "\r\n");
  std::string out;
  ASSERT_EQ(Cli("points " + f + " --json", out), 0) << out;
  EXPECT_EQ(out,
            "{\"points\":["
            "{\"NR\":64,\"Code\":9,\"Y\":3486946.169,\"X\":5656820.914,\"Z\":286.684},"
            "{\"NR\":1001,\"Code\":1,\"Y\":10,\"X\":20.5,\"Z\":100},"
            "{\"NR\":0,\"Code\":0,\"Y\":0,\"X\":0,\"Z\":0}],"
            "\"bounds\":{\"MinX\":0,\"MinY\":0,\"MinZ\":0,\"MaxX\":5656820.914,"
            "\"MaxY\":3486946.169,\"MaxZ\":286.684}}\n");
}

TEST(CliPoints, MissingFileGivesAnEmptyTableUsageErrorsExitTwo) {
  testing::TempDir dir;
  std::string out;
  ASSERT_EQ(Cli("points " + dir.File("none.asc") + " --json", out), 0);
  EXPECT_EQ(out,
            "{\"points\":[],\"bounds\":{\"MinX\":0,\"MinY\":0,\"MinZ\":0,\"MaxX\":0,\"MaxY\":0,"
            "\"MaxZ\":0}}\n");
  std::string empty = dir.Write("empty.asc", "");
  ASSERT_EQ(Cli("points " + empty + " --json", out), 0);
  EXPECT_EQ(out,
            "{\"points\":[],\"bounds\":{\"MinX\":1e+12,\"MinY\":1e+12,\"MinZ\":1e+12,"
            "\"MaxX\":-1e+12,\"MaxY\":-1e+12,\"MaxZ\":-1e+12}}\n");
  EXPECT_EQ(Cli("points", out), 2);
  EXPECT_EQ(Cli("points a b", out), 2);
  EXPECT_EQ(Cli("points --bogus x", out), 2);
  EXPECT_EQ(Cli("frobnicate", out), 2);
}

TEST(CliPoints, AReadErrorIsReportedInGermanWithExitOne) {
  std::string out;
  EXPECT_EQ(Cli("points /proc/self/mem --json", out), 1);
  EXPECT_NE(out.find("E/A-Fehler"), std::string::npos) << out;
}

}  // namespace
}  // namespace zelmaro
