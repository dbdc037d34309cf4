// The computation run around the two horizon tables: the protocol's name,
// what a run reads, and what every failure leaves behind.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "support/child.h"
#include "text/errors.h"
#include "text/version.h"
#include "volume/run.h"
#include "volume_support.h"

namespace zelmaro::testing {
namespace {

TEST(ProtocolName, LastThreeCharactersBecomeLst) {
  EXPECT_EQ(ProtocolFileName("/daten/halde.asc"), "/daten/halde.LST");
  EXPECT_EQ(ProtocolFileName("MESS.TXT"), "MESS.LST");
  EXPECT_EQ(ProtocolFileName("halde"), "haLST");  // no look at the extension
  EXPECT_EQ(ProtocolFileName("a.b"), "LST");
  EXPECT_EQ(ProtocolFileName(""), "LST");
  // A shorter name keeps its letters, and the folder never gives any.
  EXPECT_EQ(ProtocolFileName("ab"), "ab.LST");
  EXPECT_EQ(ProtocolFileName("sub/ab"), "sub/ab.LST");
  EXPECT_EQ(ProtocolFileName("/daten/a.b"), "/daten/LST");
  // Characters, not bytes: "ä" and "ö" are two bytes each in UTF-8.
  EXPECT_EQ(ProtocolFileName("daten.äöx"), "daten.LST");
  EXPECT_EQ(ProtocolFileName("äö"), "äö.LST");
}

TEST(ProtocolName, OwnProtocolIsDetectedInAnyLetterCase) {
  for (const char* name : {"MESS.LST", "mess.lst", "x.Lst", "LST", "/a/b/punkteLsT"})
    EXPECT_TRUE(ProtocolWouldOverwrite(name)) << name;
  for (const char* name : {"mess.asc", "LS", "", "x.LSTa", "x.äST"})
    EXPECT_FALSE(ProtocolWouldOverwrite(name)) << name;
}

TEST(Run, LstPointFileIsRefusedAndStaysIntact) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "MESS.lst";
  const std::string content = "1 1 0 0 1\r\n2 1 5 10 2\r\n3 1 0 20 3\r\n";
  WriteBytes(host.point_file, content);
  Workspace ws;
  try {
    ToolButton1Click(ws, host);
    FAIL() << "no error";
  } catch (const ELimitError& e) {
    EXPECT_NE(std::string(e.what()).find("'" + host.point_file + "'"), std::string::npos)
        << e.what();
  }
  EXPECT_EQ(ReadBytes(host.point_file), content);
  EXPECT_FALSE(std::filesystem::exists(dir / "MESS.LST"));
  EXPECT_EQ(host.show_calls, 0);
  EXPECT_TRUE(ws.P.empty());

  // The same file under the protocol's name, through a link.
  host.point_file = dir / "punkte.asc";
  WriteBytes(host.point_file, content);
  std::filesystem::create_hard_link(host.point_file, dir / "punkte.LST");
  try {
    ToolButton1Click(ws, host);
    FAIL() << "no error";
  } catch (const ELimitError& e) {
    EXPECT_NE(std::string(e.what()).find("ist dieselbe Datei wie die Punktdatei"),
              std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadBytes(host.point_file), content);
}

TEST(Run, RereadsThePointFileAndUsesTheFieldTexts) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, "triangle.asc");
  host.bem = "Los 7";
  Workspace ws;
  host.field.SetValue(-1.5);
  ToolButton1Click(ws, host);
  EXPECT_EQ(host.pane[0], "Massenberechnung Zelmaro Ver. " + VersionText());
  EXPECT_EQ(host.pane[1], "Los 7");
  EXPECT_EQ(host.pane[2], "Höhenbezug-1.500 m");
  EXPECT_EQ(host.fields[ResultField::EditM0], "    175.00");  // (2 + 1.5) * 50

  // Changes on disk count at the next run (the table is not kept).
  WriteBytes(host.point_file, "1 1 0 0 1\r\n2 1 5 10 2\r\n3 1 0 20 6\r\n");
  host.field.UserEdited("0.0");
  ToolButton1Click(ws, host);
  EXPECT_EQ(host.pane[2], "Höhenbezug0.0 m");
  EXPECT_EQ(host.fields[ResultField::EditM0], "    150.00");
  EXPECT_EQ(ws.bounds.MaxZ, 6);

  // A vanished point file is no error: the table as it was.
  std::filesystem::remove(host.point_file);
  ToolButton1Click(ws, host);
  EXPECT_EQ(host.fields[ResultField::EditM0], "    150.00");
  EXPECT_EQ(High(ws.P), 3);
}

// The command line reads its file once per command and shows no pane: its
// runs use the table as read at the command's start and keep no lines,
// with the protocol file unchanged.
TEST(Run, CommandLineReadsOnceAndKeepsNoPane) {
  class PanelessHost : public FakeHost {
    bool ShowsProtocol() override { return false; }
  };
  ScratchDir dir;
  PanelessHost host;
  host.point_file = CopyData(dir, "triangle.asc");
  host.bem = "Dreieck";
  host.field.SetValue(0);
  Workspace ws;
  ASSERT_TRUE(ws.LiesPunkteOncePerCommand(host.point_file));
  WriteBytes(host.point_file, "1 1 0 0 1\r\n2 1 5 10 2\r\n3 1 0 20 6\r\n");
  ToolButton1Click(ws, host);
  EXPECT_EQ(ReadBytes(ProtocolFileName(host.point_file)), ReadBytes(DataFile("triangle_h0_0.LST")));
  EXPECT_TRUE(host.pane.empty());
  EXPECT_EQ(host.show_calls, 1);
  ToolButton1Click(ws, host);  // the balance's further runs too
  EXPECT_EQ(ws.bounds.MaxZ, 3);

  // The window reads anew at every run.
  Workspace window;
  FakeHost shown;
  shown.point_file = host.point_file;
  ToolButton1Click(window, shown);
  EXPECT_EQ(window.bounds.MaxZ, 6);
  EXPECT_FALSE(shown.pane.empty());
}

TEST(Run, OnlyCodesZeroAndOneFormHorizons) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "codes.asc";
  // A code 9 and a code -1 (255) point inside the triangle would split it.
  WriteBytes(host.point_file,
             "1 1 0 0 0\r\n2 1 0 30 0\r\n3 1 30 0 0\r\n4 9 5 5 50\r\n5 255 6 6 50\r\n"
             "6 0 4 4 9\r\n");
  Workspace ws;
  ToolButton1Click(ws, host);
  EXPECT_EQ(ws.Mesh0->HowMany, 1);
  EXPECT_EQ(ws.Mesh1->HowMany, 3);
  for (const std::string& line : host.pane) {
    EXPECT_EQ(line.find("         4 "), std::string::npos) << line;
    EXPECT_EQ(line.find("         5 "), std::string::npos) << line;
  }
  EXPECT_EQ(host.fields[ResultField::EditA1], "    450.00");
  EXPECT_EQ(host.fields[ResultField::EditM1], "   1350.00");  // 9 / 3 * 450
}

// A run whose protocol cannot be created leaves everything as it was.
TEST(RunFailure, UncreatableProtocolChangesNothing) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, "triangle.asc");
  Workspace ws;
  host.field.SetValue(0);
  ToolButton1Click(ws, host);
  const auto fields = host.fields;
  const auto pane = host.pane;
  const Delaunay::TDelaunay* mesh0 = ws.Mesh0.get();
  const Delaunay::TDelaunay* mesh1 = ws.Mesh1.get();

  // The point file changes and its protocol becomes a folder.
  WriteBytes(host.point_file, "1 1 0 0 7\r\n2 1 5 10 7\r\n3 1 0 20 7\r\n");
  const std::string protocol = ProtocolFileName(host.point_file);
  std::filesystem::remove(protocol);
  std::filesystem::create_directory(protocol);
  host.field.SetValue(1);
  try {
    ToolButton1Click(ws, host);
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Dateizugriff verweigert");
  }
  EXPECT_EQ(host.show_calls, 1);
  EXPECT_EQ(host.pane, pane);
  EXPECT_EQ(host.fields, fields);
  EXPECT_EQ(ws.Mesh0.get(), mesh0);
  EXPECT_EQ(ws.Mesh1.get(), mesh1);
  EXPECT_EQ(ws.m0, 100);
  EXPECT_EQ(ws.P[1].Z, 1);  // not read again

  // A folder that does not exist.
  host.point_file = dir / "fehlt/halde.asc";
  EXPECT_THROW(ToolButton1Click(ws, host), EInOutError);
  EXPECT_EQ(host.show_calls, 1);
}

size_t EntryCount(const std::string& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir)) ++n;
  return n;
}

std::string FailureNote() { return std::string("\n") + kNoProtocolWritten; }

TEST(RunFailure, FullDiskLeavesTheFormerProtocolAndShowsTheLinesMade) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, "triangle.asc");
  const std::string protocol = ProtocolFileName(host.point_file);
  WriteBytes(protocol, "the former protocol\r\n");
  Workspace ws;
  {
    FileSizeLimit limit(200);
    ASSERT_TRUE(limit.ok());
    try {
      ToolButton1Click(ws, host);
      FAIL() << "no error";
    } catch (const EInOutError& e) {
      EXPECT_EQ(e.what(), "Disk voll" + FailureNote());
    }
  }
  // The writes are buffered: the failure shows at the end, after every line
  // went to the pane; the difference fields are not reached.
  EXPECT_EQ(host.show_calls, 1);
  EXPECT_EQ(host.pane.size(), 18u);
  EXPECT_EQ(host.fields.count(ResultField::EditM1), 1u);
  EXPECT_EQ(host.fields.count(ResultField::EditM2), 0u);
  EXPECT_EQ(host.fields.count(ResultField::EditA2), 0u);
  EXPECT_EQ(ReadBytes(protocol), "the former protocol\r\n");
  EXPECT_EQ(EntryCount(dir.path()), 2u);
}

TEST(RunFailure, ReadErrorOfThePointFileEndsTheRunAfterTwoLines) {
  ScratchDir dir;
  FakeHost host;
  // Reading this file from its start fails with an I/O error.
  host.point_file = dir / "kaputt.asc";
  std::filesystem::create_symlink("/proc/self/mem", host.point_file);
  Workspace ws;
  EXPECT_THROW(ToolButton1Click(ws, host), EInOutError);
  EXPECT_EQ(host.show_calls, 1);
  ASSERT_EQ(host.pane.size(), 2u);
  EXPECT_EQ(host.pane[1], "");
  EXPECT_TRUE(host.fields.empty());
  EXPECT_EQ(ws.Mesh0, nullptr);
  EXPECT_FALSE(std::filesystem::exists(ProtocolFileName(host.point_file)));
}

TEST(Run, TheProtocolReplacesALinkInsteadOfWritingThroughIt) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = CopyData(dir, "triangle.asc");
  const std::string protocol = ProtocolFileName(host.point_file);
  Workspace ws;
  ToolButton1Click(ws, host);
  const std::string expected = ReadBytes(protocol);
  std::filesystem::remove(protocol);

  const std::string other = dir / "anderes.txt";
  WriteBytes(other, "someone else's file\r\n");
  std::filesystem::create_symlink("anderes.txt", protocol);
  ToolButton1Click(ws, host);
  EXPECT_FALSE(std::filesystem::is_symlink(protocol));
  EXPECT_EQ(ReadBytes(protocol), expected);
  EXPECT_EQ(ReadBytes(other), "someone else's file\r\n");

  // A dangling link: nothing appears where it points.
  std::filesystem::remove(protocol);
  std::filesystem::create_symlink("woanders/ziel.LST", protocol);
  ToolButton1Click(ws, host);
  EXPECT_EQ(ReadBytes(protocol), expected);
  EXPECT_FALSE(std::filesystem::exists(dir / "woanders"));
  EXPECT_EQ(EntryCount(dir.path()), 3u);
}

// A grid of 708 x 708 points: more points and more triangles than the
// stores once held (499,997 and 1,000,000); the stores grow instead.
std::string BigGrid(int every_reference_row) {
  std::string text;
  int nr = 0;
  for (int x = 0; x < 708; ++x)
    for (int y = 0; y < 708; ++y) {
      const char* code = x % every_reference_row == 0 ? " 1 " : " 0 ";
      text += std::to_string(++nr) + code + std::to_string(y) + " " + std::to_string(x) + " 1\n";
    }
  return text;
}

TEST(Run, SurveysBeyondTheFormerCapacityAreComputed) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "gross.asc";
  WriteBytes(host.point_file, BigGrid(50));
  Workspace ws;
  ToolButton1Click(ws, host);
  ASSERT_EQ(ws.Mesh1->tPoints - 1, 708 * 708);
  EXPECT_GT(ws.Mesh1->HowMany, 990000);
  // Every triangle has its line, and the terrain covers nearly the grid.
  EXPECT_EQ(host.pane.size(), 3 + 3 + size_t(ws.Mesh0->HowMany) + 3 + 3 + size_t(ws.Mesh1->HowMany) + 2 + 2);
  EXPECT_GT(ws.SumA1, 707.0 * 707 * 0.99);
  EXPECT_LE(ws.SumA1, 707.0 * 707);
}

// An allocation that fails ends the run with the German report, not with a
// crash, on either thread.
TEST(RunFailure, TooLittleMemoryIsTheGermanReport) {
  ScratchDir dir;
  const std::string file = dir / "gross.asc";
  WriteBytes(file, BigGrid(1));
  EXPECT_IN_CHILD([&]() -> std::string {
    // Room for the program as it stands and some 100 MB more: the file fits,
    // its two meshes of half a million points each do not.
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    statm >> pages;
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = pages * size_t(sysconf(_SC_PAGESIZE)) + (100u << 20);
    if (setrlimit(RLIMIT_AS, &limit) != 0) return "SKIP: no address space limit";
    FakeHost host;
    host.point_file = file;
    Workspace ws;
    try {
      ToolButton1Click(ws, host);
    } catch (const EZelmaroError& e) {
      CHILD_EXPECT(std::string(e.what()).rfind("Zu wenig Arbeitsspeicher", 0) == 0);
      return "";
    }
    return "no error";
  }, 120);
}

TEST(RunFailure, OverflowingVolumeIsAnErrorNotInf) {
  ScratchDir dir;
  FakeHost host;
  host.point_file = dir / "riesig.asc";
  // Area 5e9 and a reference height of -1e300 typed in: the volume leaves
  // the double range.
  WriteBytes(host.point_file, "1 1 0 0 0\r\n2 1 0 1e5 0\r\n3 1 1e5 0 0\r\n");
  host.field.UserEdited("-1e300");
  Workspace ws;
  try {
    ToolButton1Click(ws, host);
    FAIL() << "no error";
  } catch (const EOverflow& e) {
    EXPECT_EQ(e.what(), "Gleitkommaüberlauf" + FailureNote());
  }
  ASSERT_EQ(host.pane.size(), 6u);  // up to the reference table's rule
  for (const std::string& line : host.pane) EXPECT_EQ(line.find("inf"), std::string::npos);
}

}  // namespace
}  // namespace zelmaro::testing
