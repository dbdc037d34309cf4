// zelmaro-cli run and balance as a user calls them.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../volume/volume_support.h"
#include "support/temp_dir.h"

namespace zelmaro::testing {
namespace {

TEST(CliRun, JsonOfARunAtTheLowestHeightAndAtAGivenH0) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "triangle.asc");
  CommandResult r = Cli(file + " --json");
  EXPECT_EQ(r.code, 2);  // no subcommand "FILE"

  r = Cli("run " + file + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  // MinZ is 1: (2 - 1) * 50.
  EXPECT_EQ(r.out,
            "{\"EditA0\":\"     50.00\",\"EditM0\":\"     50.00\",\"EditA1\":\"     50.00\","
            "\"EditM1\":\"     50.00\",\"EditA2\":\"      0.00\",\"EditM2\":\"      0.00\","
            "\"protocol\":\"" + ProtocolFileName(file) + "\",\"outline\":{"
            "\"reference\":{\"hullArea\":50,\"meshArea\":50,\"missingTriangles\":0,"
            "\"addedTriangles\":0},\"terrain\":{\"hullArea\":50,\"meshArea\":50,"
            "\"missingTriangles\":0,\"addedTriangles\":0}},"
            "\"cutFill\":{\"reference\":{\"area\":50,\"hullArea\":50,\"above\":50,\"below\":0,"
            "\"areaAbove\":50,\"areaBelow\":0},\"terrain\":{\"area\":50,\"hullArea\":50,"
            "\"above\":50,\"below\":0,\"areaAbove\":50,\"areaBelow\":0},\"between\":{\"fill\":0,"
            "\"cut\":0,\"areaFill\":0,\"areaCut\":0,\"commonArea\":50,\"onlyReference\":0,"
            "\"onlyTerrain\":0}}}\n");

  r = Cli("run " + file + " --h0 3 --bem Dreieck --json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("\"EditM0\":\"    -50.00\""), std::string::npos) << r.out;
  const std::string protocol = ReadBytes(ProtocolFileName(file));
  EXPECT_EQ(protocol.substr(0, 63),
            "Massenberechnung Zelmaro Ver. 1.1\r\nDreieck\r\nH\xF6henbezug3.000 m\r\n");
}

TEST(CliBalance, TwoTrianglesEndAt287WithTheRunCounts) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "two_triangles.asc");
  CommandResult r = Cli("balance " + file + " --horizon reference --bem 'Massenausgleich Prüfung' --json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out,
            "{\"H0\":\"287.000\",\"runs\":3,\"EditA0\":\"    400.00\",\"EditM0\":\"      0.00\","
            "\"EditA1\":\"    400.00\",\"EditM1\":\"      0.00\",\"EditA2\":\"      0.00\","
            "\"EditM2\":\"      0.00\",\"protocol\":\"" + ProtocolFileName(file) + "\","
            "\"outline\":{\"reference\":{\"hullArea\":400,\"meshArea\":400,"
            "\"missingTriangles\":0,\"addedTriangles\":0},\"terrain\":{\"hullArea\":400,"
            "\"meshArea\":400,\"missingTriangles\":0,\"addedTriangles\":0}}}\n");
  EXPECT_EQ(ReadBytes(ProtocolFileName(file)), ReadBytes(DataFile("two_triangles_287.LST")));

  r = Cli("balance " + file + " --horizon terrain");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out.rfind("Bezugshöhe 287.000 m nach 4 Berechnungen\n", 0), 0u) << r.out;
}

// The printed balance height once had three decimals: a run at it gave
// other figures than the balance printed. It has all its decimals (up to
// six) now, and a run at the printed height prints the balance's figures.
TEST(CliBalance, APrintedHeightReproducesThePrintedFigures) {
  ScratchDir dir;
  const std::string file = dir / "halde.asc";
  WriteBytes(file, ReadBytes(DataFile("../../../examples/halde.asc")));
  for (const char* horizon : {"reference", "terrain"}) {
    CommandResult b = Cli("balance " + file + " --horizon " + horizon + " --json");
    ASSERT_EQ(b.code, 0) << b.out;
    const size_t at = b.out.find("{\"H0\":\"");
    ASSERT_NE(at, std::string::npos) << b.out;
    const std::string h0 = b.out.substr(at + 7, b.out.find('"', at + 7) - at - 7);
    EXPECT_GT(h0.size() - h0.find('.'), 4u) << h0;  // more than three decimals
    CommandResult r = Cli("run " + file + " --h0 " + h0 + " --json");
    ASSERT_EQ(r.code, 0) << r.out;
    const std::string fields = b.out.substr(b.out.find("\"EditA0\""), b.out.find("\"protocol\"") -
                                                                         b.out.find("\"EditA0\""));
    EXPECT_NE(r.out.find(fields), std::string::npos) << horizon << ": " << fields << "\n" << r.out;
  }
}

TEST(CliCutFill, TableAtAGivenHeightWithoutAProtocol) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "triangle.asc");
  // Heights 1, 2, 3 against 2: the zero line halves the triangle.
  CommandResult r = Cli("cutfill " + file + " --h0 2");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out.rfind("Auf- und Abtrag bei der Bezugshöhe 2.000 m\n", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("Fläche über H0 m²                                    25.00            25.00\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Masse unter H0 m³                                     8.33             8.33\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Gemeinsame Fläche m²                                 50.00\n"),
            std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(ProtocolFileName(file)));

  EXPECT_EQ(Cli("cutfill " + dir / "fehlt.asc").code, 1);
  EXPECT_EQ(Cli("cutfill " + file + " --h0").code, 2);
  EXPECT_EQ(Cli("cutfill").code, 2);
}

// Large enough that its protocol (some 2 MB) is written in several blocks.
std::string LargeSurvey() {
  std::string text;
  unsigned seed = 12345;
  for (int i = 1; i <= 12000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const unsigned y = (seed >> 8) % 100000, x = (seed >> 4) % 99991;
    text += std::to_string(i) + " " + std::to_string(i % 3 == 0) + " " + std::to_string(y / 100.0) +
            " " + std::to_string(x / 100.0) + " " + std::to_string(100 + i % 17) + "\n";
  }
  return text;
}

std::vector<std::string> TempFiles(const ScratchDir& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    if (e.path().filename().string().rfind(".zelmaro-", 0) == 0) names.push_back(e.path());
  return names;
}

void MakeOld(const std::string& file) {
  const timeval two_days_ago[2] = {{::time(nullptr) - 2 * 86400, 0}, {::time(nullptr) - 2 * 86400, 0}};
  ::utimes(file.c_str(), two_days_ago);
}

TEST(CliRun, AStoppedRunLeavesNoTemporaryFileAndLaterRunsClearKilledOnes) {
  ScratchDir dir;
  const std::string file = dir / "halde.asc";
  WriteBytes(file, LargeSurvey());
  int caught = 0;
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    const pid_t pid = SpawnCli({"run", file});
    ASSERT_GT(pid, 0);
    // Stopped while its protocol is being written, if it is caught then.
    const auto start = std::chrono::steady_clock::now();
    bool writing = false;
    while (!writing && std::chrono::steady_clock::now() - start < std::chrono::seconds(20) &&
           waitpid(pid, nullptr, WNOHANG) == 0) {
      writing = !TempFiles(dir).empty();
      if (!writing) usleep(200);
    }
    if (writing) kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!writing || !WIFSIGNALED(status)) continue;  // done before the signal came
    ++caught;
    EXPECT_EQ(WTERMSIG(status), sig);
    if (sig != SIGKILL) {
      EXPECT_EQ(TempFiles(dir), std::vector<std::string>{}) << "signal " << sig;
    }
  }
  EXPECT_GT(caught, 0);

  // What a killed process left is no one's once its lock is free and it is
  // older than a minute; a file another process holds, or one just made, stays.
  for (const std::string& name : TempFiles(dir)) MakeOld(name);
  const std::string stale = dir / ".zelmaro-Stale1", held = dir / ".zelmaro-Held01",
                    fresh = dir / ".zelmaro-Fresh1", other = dir / ".zelmaro-other-name";
  for (const std::string& name : {stale, held, fresh, other}) WriteBytes(name, "half written");
  for (const std::string& name : {stale, held, other}) MakeOld(name);
  const int lock = open(held.c_str(), O_RDONLY);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const std::string small = CopyData(dir, "triangle.asc");
  EXPECT_EQ(Cli("run " + small).code, 0);
  close(lock);
  std::set<std::string> left;
  for (const std::string& name : TempFiles(dir)) left.insert(name);
  EXPECT_EQ(left, (std::set<std::string>{fresh, held, other}));
}

// A file size limit, as on a full disk, is a German report, not the end of
// the process by SIGXFSZ.
TEST(CliRun, AFileSizeLimitIsReportedAsAFullDisk) {
  ScratchDir dir;
  const std::string file = dir / "halde.asc";
  WriteBytes(file, LargeSurvey());
  for (const std::string& command : {"run " + file, "export " + file + " --dxf " + dir / "h.dxf"}) {
    std::string out;
    const int code = RunCommand("ulimit -f 64 && " + std::string(ZELMARO_CLI_PATH) + " " +
                                    command + " 2>&1",
                                out);
    EXPECT_EQ(code, 1) << command << ": " << out;
    EXPECT_NE(out.find("Disk voll"), std::string::npos) << out;
    EXPECT_EQ(TempFiles(dir), std::vector<std::string>{});
  }
}

TEST(CliRun, RunsAtTheSameTimeLeaveTheProtocolOfOneOfThem) {
  ScratchDir dir, single;
  const std::string text = LargeSurvey();
  const std::string file = dir / "halde.asc";
  WriteBytes(file, text);
  const std::string protocol = ProtocolFileName(file);

  // What a single run at each height writes.
  std::vector<std::string> heights;
  std::set<std::string> singles;
  WriteBytes(single / "halde.asc", text);
  for (int k = 0; k < 10; ++k) {
    heights.push_back(std::to_string(90 + k));
    FakeHost host;
    host.point_file = single / "halde.asc";
    host.field.SetValue(90 + k);
    Workspace ws;
    ToolButton1Click(ws, host);
    singles.insert(ReadBytes(ProtocolFileName(host.point_file)));
  }
  ASSERT_EQ(singles.size(), heights.size());

  std::vector<pid_t> runs;
  for (const std::string& h : heights) {
    runs.push_back(SpawnCli({"run", file, "--h0", h}));
    ASSERT_GT(runs.back(), 0);
  }
  // Whoever reads the protocol meanwhile finds none or a whole one.
  size_t seen = 0, finished = 0;
  while (finished < runs.size()) {
    const std::string now = ReadBytes(protocol);
    if (!now.empty()) {
      ++seen;
      EXPECT_EQ(singles.count(now), 1u) << "a protocol of " << now.size() << " bytes";
    }
    finished = 0;
    for (pid_t& pid : runs) {
      int status = 0;
      if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        pid = -1;
      }
      if (pid < 0) ++finished;
    }
  }
  EXPECT_EQ(singles.count(ReadBytes(protocol)), 1u);
  EXPECT_GT(seen, 0u);
}

TEST(CliRun, TheProtocolOfAShortNameStaysInItsFolderAndJsonIsUtf8) {
  ScratchDir dir;
  std::filesystem::create_directory(dir / "sub");
  const std::string points = ReadBytes(DataFile("triangle.asc"));
  WriteBytes(dir / "sub/ab", points);
  CommandResult r = Cli("run " + dir / "sub/ab");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_TRUE(std::filesystem::exists(dir / "sub/ab.LST"));
  EXPECT_FALSE(std::filesystem::exists(dir / "subLST"));
  EXPECT_EQ(ProtocolFileName("sub/x.asc"), "sub/x.LST");
  EXPECT_EQ(ProtocolFileName("sub/abc"), "sub/LST");
  EXPECT_EQ(ProtocolFileName("a"), "a.LST");

  // A file name in Latin-1 ("bär"), not UTF-8.
  const std::string latin1 = dir / "b\xE4r.asc";
  WriteBytes(latin1, points);
  r = Cli("run " + latin1 + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("b\\u00e4r.LST\""), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\xE4'), std::string::npos) << "a Latin-1 byte in the JSON";
}

TEST(CliRun, FailuresAndUsage) {
  ScratchDir dir;
  const std::string few = CopyData(dir, "few_reference.asc");
  CommandResult r = Cli("balance " + few + " --horizon reference");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Der Bezugshorizont hat keine Dreiecke"), std::string::npos) << r.out;

  const std::string lst = dir / "punkte.lst";
  WriteBytes(lst, "1 1 0 0 1\r\n");
  r = Cli("run " + lst);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("endet auf LST"), std::string::npos) << r.out;
  EXPECT_EQ(ReadBytes(lst), "1 1 0 0 1\r\n");
  r = Cli("balance " + lst + " --horizon terrain");
  EXPECT_EQ(r.code, 1);

  r = Cli("run " + dir / "fehlt.asc");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("gibt es nicht"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "fehlt.LST"));

  EXPECT_EQ(Cli("run " + few + " --h0 abc").code, 2);
  EXPECT_EQ(Cli("run").code, 2);
  EXPECT_EQ(Cli("balance " + few).code, 2);
  EXPECT_EQ(Cli("balance " + few + " --horizon oben").code, 2);
  EXPECT_EQ(Cli("run " + few + " --horizon terrain").code, 2);

  // A coordinate beyond the mesh's range names the point and the value.
  const std::string far = dir / "fern.asc";
  WriteBytes(far, "1 0 0 0 0\r\n2 0 10 0 0\r\n7 0 0 1e13 0\r\n");
  r = Cli("run " + far);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Punkt Nr. 7 (der 3. Punkt der Punktdatei): die Koordinate 1e+13"),
            std::string::npos)
      << r.out;
  r = Cli("contours " + far + " --horizon reference --interval -2 --json");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Höhenlinienintervall muss positiv sein, nicht '-2'"), std::string::npos)
      << r.out;
}

TEST(CliRun, BoundaryBreaklinesAndBands) {
  // A 10 x 10 square of reference points on z = 1 + E / 10, a boundary
  // over its left half and beyond it, a breakline along its diagonal.
  ScratchDir dir;
  const std::string file = dir / "feld.asc";
  WriteBytes(file, "1 1 0 0 1\r\n2 1 10 0 2\r\n3 1 10 10 2\r\n4 1 0 10 1\r\n5 1 5 5 1.5\r\n");
  WriteBytes(dir / "grenze.txt", "# links\n-5 0\n5 0\n5 10\n-5 10\n");
  WriteBytes(dir / "kanten.txt", "1 5 3\n");
  CommandResult r = Cli("run " + file + " --h0 0 --boundary " + dir / "grenze.txt" + " --breaklines " +
                 dir / "kanten.txt" + " --json");
  ASSERT_EQ(r.code, 0) << r.out;
  // Inside: 5 x 10 at the mean height 1.25.
  EXPECT_NE(r.out.find("\"EditA0\":\"     50.00\",\"EditM0\":\"     62.50\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(",\"boundary\":{\"area\":100,\"uncovered\":{\"reference\":50,\"terrain\":50}}"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find(",\"breaklines\":{\"segments\":2,\"crossings\":0}}"), std::string::npos) << r.out;
  EXPECT_NE(ReadBytes(ProtocolFileName(file)).find("Nicht \xFC" "berdeckt Gel\xE4" "nde: 50.00 m2\r\n"),
            std::string::npos);

  r = Cli("run " + file + " --h0 0 --boundary-points 1,2,5 --json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_NE(r.out.find("\"EditA1\":\"     25.00\""), std::string::npos) << r.out;
  EXPECT_EQ(Cli("run " + file + " --boundary-points 1,2,99").code, 1);
  EXPECT_EQ(Cli("run " + file + " --boundary").code, 2);

  r = Cli("bands " + file + " --horizon reference --step 0.5 --h0 0 --json");
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out.rfind("{\"horizon\":\"reference\",\"H0\":0,\"step\":0.5,\"bands\":[", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("{\"height\":2,\"area\":0,\"volume\":"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"cumulative\":150}]}"), std::string::npos) << r.out;
  EXPECT_EQ(Cli("bands " + file + " --horizon reference --step 0").code, 2);
}

}  // namespace
}  // namespace zelmaro::testing
