#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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
  // The blank last line is no point at the origin; stderr says so first.
  EXPECT_EQ(out,
            f + ": 1 leere Zeile übersprungen (Zeile 3)\n"
            "{\"points\":["
            "{\"NR\":64,\"Code\":9,\"Y\":3486946.169,\"X\":5656820.914,\"Z\":286.684},"
            "{\"NR\":1001,\"Code\":1,\"Y\":10,\"X\":20.5,\"Z\":100}],"
            "\"bounds\":{\"MinX\":20.5,\"MinY\":10,\"MinZ\":100,\"MaxX\":5656820.914,"
            "\"MaxY\":3486946.169,\"MaxZ\":286.684}}\n");
}

// The survey of the issue as an office program writes it: read right without
// options, and as told by --columns and --separator; what was passed over is
// said on stderr, and the run's protocol says it too.
TEST(CliPoints, SurveyFilesInOtherLayoutsAreReadAsLaidOut) {
  testing::TempDir dir;
  const std::string semi = dir.Write("aufnahme.csv",
                                     "Nr;Code;Y;X;Z\r\n"
                                     "1;1;0;0;280\r\n"
                                     "2;1;0;20;286\r\n"
                                     "3;1;10;0;286\r\n"
                                     "4;1;29;22;292\r\n");
  const std::string own = dir.Write("eigen.asc", "1 1 0 0 280\r\n2 1 0 20 286\r\n3 1 10 0 286\r\n4 1 29 22 292\r\n");
  // stdout alone, and stderr alone.
  auto stdout_of = [](const std::string& args, std::string& out) {
    return testing::RunCommand(std::string(ZELMARO_CLI_PATH) + " " + args + " 2>/dev/null", out);
  };
  auto stderr_of = [](const std::string& args, std::string& out) {
    return testing::RunCommand(std::string(ZELMARO_CLI_PATH) + " " + args + " 2>&1 >/dev/null", out);
  };
  std::string out, expected;
  ASSERT_EQ(Cli("points " + own + " --json", expected), 0);
  ASSERT_EQ(stdout_of("points " + semi + " --json", out), 0);
  EXPECT_EQ(out, expected);
  // Number, northing, easting, height, code, tab-separated, CR line ends, a BOM.
  const std::string pnezd = dir.Write("pnezd.txt",
                                      "\xEF\xBB\xBF" "1\t0\t0\t280\t1\r2\t20\t0\t286\t1\r"
                                      "3\t0\t10\t286\t1\r4\t22\t29\t292\t1\r");
  ASSERT_EQ(stdout_of("points " + pnezd + " --json --columns P,N,E,Z,C --separator tab", out), 0);
  EXPECT_EQ(out, expected);
  ASSERT_EQ(stderr_of("points " + pnezd + " --json --columns P,N,E,Z,C", out), 0);
  EXPECT_EQ(out, pnezd +
                     ": Byte-Order-Mark (UTF-8) am Dateianfang übersprungen; Zeilenenden CR (ohne LF) "
                     "als Zeilenenden gelesen; gelesen mit Trennzeichen Tabulator, Spalten P,N,E,Z,C\n");

  // Every command takes the options, and the run's own reading uses them.
  ASSERT_EQ(Cli("run " + own + " --h0 280", expected), 0);
  ASSERT_EQ(stdout_of("run " + semi + " --h0 280 --separator semicolon --columns P,C,Y,X,Z", out), 0);
  EXPECT_EQ(out.substr(0, out.find("Protokoll:")), expected.substr(0, expected.find("Protokoll:")));
  std::ifstream in(dir.File("aufnahme.LST"), std::ios::binary);
  const std::string protocol((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(protocol.find("1 Zeile ohne Koordinaten \xFC" "bersprungen (Zeile 1)\r\n"), std::string::npos)
      << protocol;
  for (const char* command : {"mesh", "contours", "balance", "cutfill", "export"}) {
    EXPECT_EQ(Cli(std::string(command) + " " + semi + " --separator pipe", out), 2) << command;
    EXPECT_NE(out.find("'pipe' ist kein Trennzeichen (auto, space, semicolon, comma oder tab)"),
              std::string::npos)
        << out;
  }
  EXPECT_EQ(Cli("cutfill " + semi + " --columns P,C,E,N", out), 2);
  EXPECT_NE(out.find("--columns P,C,E,N: die Spalten E, N und Z müssen alle vorkommen"),
            std::string::npos)
      << out;
}

TEST(CliPoints, AFileWithoutPointsIsNoPointFileExitOne) {
  testing::TempDir dir;
  const std::string png = dir.Write("bild.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
  const std::string header = dir.Write("kopf.asc", "Punktnummer Code Y X Z\r\n");
  std::string out;
  for (const std::string command : {"points ", "run ", "mesh --horizon terrain --json "}) {
    for (const std::string& f : {png, header}) {
      EXPECT_EQ(Cli(command + f, out), 1) << command << f;
      EXPECT_EQ(out, "'" + f + "' ist keine Punktdatei\n");
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("bild.LST")));
}

TEST(CliPoints, AFileThatIsNotReadExitsOneAndSaysWhyUsageErrorsExitTwo) {
  testing::TempDir dir;
  std::string out;
  EXPECT_EQ(Cli("points " + dir.File("none.asc") + " --json", out), 1);
  EXPECT_EQ(out, "Die Punktdatei '" + dir.File("none.asc") + "' gibt es nicht.\n");
  const std::string folder = dir.File("ordner");
  std::filesystem::create_directory(folder);
  EXPECT_EQ(Cli("points " + folder, out), 1);
  EXPECT_EQ(out, "'" + folder + "' ist ein Ordner und keine Punktdatei.\n");
  // Neither a device nor a FIFO without a writer is read; nothing waits.
  const std::string fifo = dir.File("pipe.asc");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  for (const std::string& name : {std::string("/dev/zero"), fifo}) {
    EXPECT_EQ(Cli("points " + name, out), 1);
    EXPECT_NE(out.find("ist keine gewöhnliche Datei"), std::string::npos) << out;
  }
  if (geteuid() != 0) {
    const std::string locked = dir.Write("locked.asc", "1 0 1 2 3\n");
    chmod(locked.c_str(), 0);
    EXPECT_EQ(Cli("points " + locked, out), 1);
    EXPECT_NE(out.find("lässt sich nicht öffnen"), std::string::npos) << out;
  }
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

// Output that does not reach stdout is no result: exit 1, said on stderr.
TEST(CliPoints, EveryCommandFailsWhenItsOutputIsNotWritten) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  testing::TempDir dir;
  const std::string f = dir.Write("halde.asc",
                                  "1 0 0 0 1\r\n2 0 10 0 1\r\n3 0 0 10 2\r\n4 1 0 0 3\r\n"
                                  "5 1 10 0 3\r\n6 1 0 10 4\r\n7 1 10 10 5\r\n");
  for (const std::string& args :
       {"points " + f + " --json", "mesh " + f + " --horizon terrain --json", "run " + f,
        "run " + f + " --json", "balance " + f + " --horizon terrain",
        "contours " + f + " --horizon terrain --interval 1 --json", "cutfill " + f,
        "export " + f + " --dxf " + dir.File("a.dxf")}) {
    std::string out;
    const int code = testing::RunCommand(
        std::string(ZELMARO_CLI_PATH) + " " + args + " 2>&1 >/dev/full", out);
    EXPECT_EQ(code, 1) << args << ": " << out;
    EXPECT_NE(out.find("Die Ausgabe des Befehls konnte nicht geschrieben werden: Disk voll"),
              std::string::npos)
        << args << ": " << out;
  }
}

TEST(CliPoints, RunningOutOfMemoryIsReportedInGerman) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the test allows";
#else
  testing::TempDir dir;
  // Four million empty lines are four million points: 160 MB of table.
  const std::string lines = dir.Write("lines.asc", std::string(4'000'000, '\n'));
  std::string out;
  EXPECT_EQ(testing::RunCommand("ulimit -v 120000 && " + std::string(ZELMARO_CLI_PATH) +
                                    " points " + lines + " 2>&1",
                                out),
            1);
  EXPECT_EQ(out, "Zu wenig Arbeitsspeicher: der Befehl wurde abgebrochen.\n");
#endif
}

}  // namespace
}  // namespace zelmaro
