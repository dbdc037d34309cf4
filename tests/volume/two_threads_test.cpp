// A run that meshes its horizons on two threads must leave exactly what a
// run of one horizon after the other leaves, also when it fails half-way:
// the same report, protocol bytes, pane, fields, sums and meshes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/child.h"
#include "text/errors.h"
#include "volume/run.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

struct Outcome {
  std::string error;  // what() of the failure, empty when none
  std::string protocol;
  std::vector<std::string> pane;
  std::map<ResultField, std::string> fields;
  int coincidences = 0;
  double sumA0 = 0, SumA1 = 0, m0 = 0, m1 = 0;
  bool old_mesh0 = false, old_mesh1 = false;  // the previous run's mesh still in place
  int32_t points0 = 0, points1 = 0, triangles0 = 0, triangles1 = 0;
};

// A good run first, then the run under test, on the same workspace; with a
// file size limit, the run under test meets a full disk there.
Outcome RunTwice(const std::string& text, const std::string& h0, int threads,
                 rlim_t disk_limit = 0, bool keeps_meshes = true) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "punkte.asc";
  WriteBytes(host.point_file, "1 1 0 0 1\r\n2 1 0 1 2\r\n3 1 1 0 3\r\n4 0 1 1 3\r\n");
  Workspace ws;
  ws.horizon_threads = threads;
  ToolButton1Click(ws, host);
  // Marks the previous meshes (an address may come back for a new one).
  ws.Mesh0->zMin = ws.Mesh1->zMin = -12345;

  WriteBytes(host.point_file, text);
  host.field.UserEdited(h0);
  host.fields.clear();
  host.coincidences = 0;
  host.keeps_meshes = keeps_meshes;
  Outcome o;
  try {
    std::optional<FileSizeLimit> limit;
    if (disk_limit > 0) {
      limit.emplace(disk_limit);
      if (!limit->ok()) o.error = "no file size limit";
    }
    ToolButton1Click(ws, host);
  } catch (const EZelmaroError& e) {
    o.error = e.what();
  }
  o.protocol = ReadBytes(ProtocolFileName(host.point_file));
  o.pane = host.pane;
  o.fields = host.fields;
  o.coincidences = host.coincidences;
  o.sumA0 = ws.sumA0;
  o.SumA1 = ws.SumA1;
  o.m0 = ws.m0;
  o.m1 = ws.m1;
  o.old_mesh0 = ws.Mesh0 && ws.Mesh0->zMin == -12345;
  o.old_mesh1 = ws.Mesh1 && ws.Mesh1->zMin == -12345;
  if (ws.Mesh0) o.points0 = ws.Mesh0->tPoints, o.triangles0 = ws.Mesh0->HowMany;
  if (ws.Mesh1) o.points1 = ws.Mesh1->tPoints, o.triangles1 = ws.Mesh1->HowMany;
  return o;
}

void ExpectSameOutcome(const std::string& text, const std::string& h0, const std::string& error,
                       bool old_mesh1, rlim_t disk_limit = 0) {
  const Outcome one = RunTwice(text, h0, 1, disk_limit), two = RunTwice(text, h0, 2, disk_limit);
  EXPECT_NE(one.error.find(error), std::string::npos) << one.error;
  EXPECT_EQ(two.error, one.error);
  EXPECT_EQ(two.protocol, one.protocol);
  EXPECT_EQ(two.pane, one.pane);
  EXPECT_EQ(two.fields, one.fields);
  EXPECT_EQ(two.coincidences, one.coincidences);
  EXPECT_EQ(two.sumA0, one.sumA0);
  EXPECT_EQ(two.SumA1, one.SumA1);
  EXPECT_EQ(two.m0, one.m0);
  EXPECT_EQ(two.m1, one.m1);
  EXPECT_FALSE(one.old_mesh0);
  EXPECT_EQ(one.old_mesh1, old_mesh1);
  EXPECT_EQ(two.old_mesh0, one.old_mesh0);
  EXPECT_EQ(two.old_mesh1, one.old_mesh1);
  EXPECT_EQ(two.points0, one.points0);
  EXPECT_EQ(two.points1, one.points1);
  EXPECT_EQ(two.triangles0, one.triangles0);
  EXPECT_EQ(two.triangles1, one.triangles1);
}

// Two lines, the first at the height of the super-triangle's lower corners
// (ymid - dmax = -3 - 0.5): flat triangles along it, coincidence reports in
// both horizons.
std::string CoincidentLines() {
  std::string text;
  int nr = 0;
  for (double y : {-3.5, -3.4})
    for (int q = 0; q <= 40; ++q)
      text += std::to_string(++nr) + (q % 4 ? " 1 " : " 0 ") + std::to_string(y) + " " +
              std::to_string(q * 0.0125) + " " + std::to_string(q % 5) + "\r\n";
  return text;
}

// Some 20,000 triangles a table: more than one buffer of the protocol file
// each.
std::string TenThousandReferencePoints() {
  std::string text;
  uint32_t seed = 7;
  for (int k = 1; k <= 10000; ++k) {
    seed = seed * 1103515245u + 12345u;
    const double jitter = static_cast<double>(seed >> 16) / 65536 * 0.4;
    text += std::to_string(k) + " 1 " + std::to_string(k / 100 + jitter) + " " +
            std::to_string(k % 100 - jitter) + " " + std::to_string(k % 7) + "\r\n";
  }
  return text;
}

TEST(TwoThreads, FailuresOfEitherHorizonLeaveWhatOneAfterTheOtherLeaves) {
  {
    SCOPED_TRACE("a reference point too far out to be rounded");
    ExpectSameOutcome("1 1 0 0 0\r\n2 1 0 1e13 0\r\n3 0 1 0 0\r\n4 0 2 2 0\r\n", "0",
                      "Punkt Nr. 2 (der 2. Punkt der Punktdatei): die Koordinate 1e+13",
                      /*old_mesh1=*/true);
  }
  {
    SCOPED_TRACE("a terrain point too far out: the reference table is complete");
    ExpectSameOutcome("1 1 0 0 0\r\n2 1 0 1 0\r\n3 1 1 0 0\r\n4 0 1e13 2 0\r\n", "0",
                      "Punkt Nr. 4 (der 4. Punkt der Punktdatei): die Koordinate 1e+13", false);
  }
  {
    SCOPED_TRACE("volume overflow in the reference table");
    ExpectSameOutcome("1 1 0 0 0\r\n2 1 0 1e5 0\r\n3 1 1e5 0 0\r\n4 0 7 7 0\r\n", "-1e300",
                      "Gleitkommaüberlauf", true);
  }
  {
    SCOPED_TRACE("volume overflow in the terrain table only");
    ExpectSameOutcome("1 1 0 0 0\r\n2 1 0 1 0\r\n3 1 1 0 0\r\n4 0 1e5 1e5 0\r\n5 0 -1e5 1e5 0\r\n",
                      "-1e300", "Gleitkommaüberlauf", false);
  }
  {
    SCOPED_TRACE("no failure, with coincidence reports in both horizons");
    const std::string text = CoincidentLines();
    const Outcome one = RunTwice(text, "0", 1);
    EXPECT_GT(one.coincidences, 0);
    ExpectSameOutcome(text, "0", "", false);
  }
}

// The reference table is written by its own thread, in blocks of the file's
// buffer, while the terrain is meshed; a full disk must show where it shows
// when the tables are written one after the other.
TEST(TwoThreads, AFullDiskLeavesWhatOneAfterTheOtherLeaves) {
  const std::string text = TenThousandReferencePoints();
  // The buffer's first write is in the reference table, its second in the
  // terrain table, its last at the end of the run.
  for (rlim_t limit : {300'000, 1'600'000, 2'300'000}) {
    SCOPED_TRACE(limit);
    ExpectSameOutcome(text, "0", "Disk voll", limit < 1'000'000, limit);
  }
}

// Where nothing reads the meshes after the run, each goes once its table is
// written, the reference mesh on its own thread before the terrain's
// triangulation is at its largest. Everything else the run leaves must be
// what a run that keeps them leaves, failures and full disks included.
TEST(TwoThreads, ARunThatKeepsNoMeshesLeavesAllElseAsOneThatKeepsThem) {
  struct Case {
    const char* what;
    std::string text, h0;
    rlim_t disk_limit;
  };
  const Case cases[] = {
      {"coincidence reports in both horizons", CoincidentLines(), "0", 0},
      {"a reference point too far out", "1 1 0 0 0\r\n2 1 0 1e13 0\r\n3 0 1 0 0\r\n4 0 2 2 0\r\n", "0", 0},
      {"volume overflow in the terrain table",
       "1 1 0 0 0\r\n2 1 0 1 0\r\n3 1 1 0 0\r\n4 0 1e5 1e5 0\r\n5 0 -1e5 1e5 0\r\n", "-1e300", 0},
      {"a full disk in the reference table", TenThousandReferencePoints(), "0", 300'000},
      {"a full disk in the terrain table", TenThousandReferencePoints(), "0", 1'600'000},
      {"ten thousand points", TenThousandReferencePoints(), "2.5", 0},
  };
  for (int threads : {1, 2})
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + ", threads " + std::to_string(threads));
      const Outcome kept = RunTwice(c.text, c.h0, threads, c.disk_limit, true);
      const Outcome let_go = RunTwice(c.text, c.h0, threads, c.disk_limit, false);
      EXPECT_EQ(let_go.error, kept.error);
      EXPECT_EQ(let_go.protocol, kept.protocol);
      EXPECT_EQ(let_go.pane, kept.pane);
      EXPECT_EQ(let_go.fields, kept.fields);
      EXPECT_EQ(let_go.coincidences, kept.coincidences);
      EXPECT_EQ(let_go.sumA0, kept.sumA0);
      EXPECT_EQ(let_go.SumA1, kept.SumA1);
      EXPECT_EQ(let_go.m0, kept.m0);
      EXPECT_EQ(let_go.m1, kept.m1);
      if (kept.error.empty()) {
        EXPECT_GT(kept.triangles0, 0);
        EXPECT_EQ(let_go.points0, 0);
        EXPECT_EQ(let_go.points1, 0);
      }
    }
}

}  // namespace
}  // namespace zelmaro::testing
