// zelmaro-cli export: exit codes, German messages, and no half-written file
// under a target's name.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "../volume/volume_support.h"
#include "support/command.h"

namespace zelmaro::testing {
namespace {

// What the command printed to stdout and stderr, and its exit code.
CommandResult Sh(const std::string& command) { return RunCommand(command + " 2>&1"); }

CommandResult Export(const std::string& args) { return Sh(std::string(ZELMARO_CLI_PATH) + " export " + args); }

size_t FilesIn(const ScratchDir& dir) {
  size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) n += e.is_regular_file();
  return n;
}

TEST(CliExport, WritesTheChosenFilesAndTheSameProtocolAsARun) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "two_triangles.asc");
  ASSERT_EQ(Sh(std::string(ZELMARO_CLI_PATH) + " run " + file + " --h0 281 --bem Probe").code, 0);
  const std::string protocol = ReadBytes(ProtocolFileName(file));

  const CommandResult r = Export(file + " --h0 281 --bem Probe --interval 2 --landxml " + (dir / "a.xml") +
                          " --dxf " + (dir / "a.dxf") + " --pdf " + (dir / "a.pdf"));
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out, "LandXML: " + (dir / "a.xml") + "\nDXF: " + (dir / "a.dxf") + "\nPDF: " +
                       (dir / "a.pdf") + "\n");
  EXPECT_EQ(ReadBytes(ProtocolFileName(file)), protocol);  // the run's protocol, unchanged
  EXPECT_EQ(ReadBytes(dir / "a.xml").substr(0, 38), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  EXPECT_NE(ReadBytes(dir / "a.dxf").find("AC1015"), std::string::npos);
  EXPECT_EQ(ReadBytes(dir / "a.pdf").substr(0, 5), "%PDF-");
  // Only what was asked for: the point file, its protocol, three exports.
  EXPECT_EQ(FilesIn(dir), 5u);
}

TEST(CliExport, UsageAndFailuresGiveGermanMessagesAndExitCodes) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "two_triangles.asc");

  CommandResult r = Export(file);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Keine Ausgabe angegeben"), std::string::npos) << r.out;

  r = Export(file + " --h0 hoch --pdf " + (dir / "x.pdf"));
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.out.find("'hoch' ist keine Höhe"), std::string::npos) << r.out;
  r = Export(file + " --landxml");
  EXPECT_EQ(r.code, 2);
  r = Export(file + " --svg " + (dir / "x.svg"));
  EXPECT_EQ(r.code, 2);

  r = Export((dir / "fehlt.asc") + " --dxf " + (dir / "x.dxf"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("gibt es nicht"), std::string::npos) << r.out;

  // A folder that is not there: that output fails, the others are written.
  r = Export(file + " --landxml " + (dir / "nirgends/a.xml") + " --dxf " + (dir / "b.dxf"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("LandXML '" + (dir / "nirgends/a.xml") + "' nicht geschrieben: "),
            std::string::npos)
      << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "nirgends"));
  EXPECT_TRUE(std::filesystem::exists(dir / "b.dxf"));

  // A target that is a folder.
  std::filesystem::create_directory(dir / "ordner.pdf");
  r = Export(file + " --pdf " + (dir / "ordner.pdf"));
  EXPECT_EQ(r.code, 1) << r.out;
  EXPECT_TRUE(std::filesystem::is_directory(dir / "ordner.pdf"));

  // Never over the point file or its protocol.
  const std::string points = ReadBytes(file);
  r = Export(file + " --dxf " + file);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("wird nicht überschrieben"), std::string::npos) << r.out;
  EXPECT_EQ(ReadBytes(file), points);

  // Nor over the protocol the same command writes first, existing or not,
  // and not twice into one file.
  std::filesystem::remove(ProtocolFileName(file));
  r = Export(file + " --landxml " + ProtocolFileName(file));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("wird nicht überschrieben"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(ProtocolFileName(file)));
  r = Export(file + " --landxml " + (dir / "eins") + " --dxf " + (dir / "./eins") + " --pdf " +
             (dir / "eins"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("nennen dieselbe Datei"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir / "eins"));
}

TEST(CliExport, FailuresNameTheFileAndTheCauseAndComeBeforeAnyFileIsWritten) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "two_triangles.asc");
  // A negative contour interval: no protocol is written either.
  CommandResult r = Export(file + " --interval -1 --dxf " + (dir / "a.dxf"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Höhenlinienintervall muss positiv sein"), std::string::npos) << r.out;
  EXPECT_FALSE(std::filesystem::exists(ProtocolFileName(file)));
  EXPECT_FALSE(std::filesystem::exists(dir / "a.dxf"));

  r = Export(file + " --pdf " + (dir / "nirgends/a.pdf"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Datei '" + (dir / "nirgends/a.pdf") +
                       "': die Datei oder ihr Ordner ist nicht vorhanden"),
            std::string::npos)
      << r.out;
  r = Export(file + " --pdf " + (dir / std::string(300, 'n')));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("der Dateiname ist zu lang"), std::string::npos) << r.out;

  // The protocol's name taken by a folder.
  std::filesystem::remove(ProtocolFileName(file));
  std::filesystem::create_directory(ProtocolFileName(file));
  r = Sh(std::string(ZELMARO_CLI_PATH) + " run " + file);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("Datei '" + ProtocolFileName(file) + "': unter diesem Namen steht ein Ordner"),
            std::string::npos)
      << r.out;
}

// Under a memory limit the PDF report ends with the German report, never
// with a crash: a failed allocation inside the painting unwinds through
// Qt's painter. The limits tried lie just below the one the export needs.
TEST(CliExport, APdfUnderAMemoryLimitFailsInGerman) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 1500; ++i)
    text += std::to_string(i + 1) + " " + std::to_string(i % 2) + " " + std::to_string(i / 60) +
            "." + std::to_string(i % 7) + " " + std::to_string(i % 60) + "." +
            std::to_string(i % 3) + " " + std::to_string(100 + i % 11) + "\n";
  const std::string file = dir / "halde.asc";
  WriteBytes(file, text);
  auto run = [&](long kib) {
    return Sh("ulimit -v " + std::to_string(kib) + " && " + std::string(ZELMARO_CLI_PATH) +
              " export " + file + " --pdf " + (dir / "a.pdf"));
  };
  long low = 128 * 1024, high = 1024 * 1024;
  if (run(high).code != 0) GTEST_SKIP() << "the export does not run under 1 GiB of address space";
  while (high - low > 16 * 1024) {
    const long mid = (low + high) / 2;
    (run(mid).code == 0 ? high : low) = mid;
  }
  for (long kib = high - 56 * 1024; kib < high; kib += 8 * 1024) {
    const CommandResult r = run(kib);
    EXPECT_TRUE(r.code == 0 || (r.code == 1 && !r.out.empty()))
        << kib << " KiB: exit " << r.code << ": " << r.out;
  }
}

TEST(CliExport, TargetsAndChoicesAreCheckedBeforeAnyFileIsWritten) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "two_triangles.asc");
  const std::string protocol = ProtocolFileName(file);
  struct Case {
    std::string args, message;
  } cases[] = {
      // The protocol the run is about to write, not there yet.
      {"--landxml " + protocol, "wird nicht überschrieben"},
      {"--landxml " + (dir / "x") + " --dxf " + (dir / "x") + " --pdf " + (dir / "x"),
       "--landxml und --dxf nennen dieselbe Datei"},
      {"--dxf " + (dir / "a.dxf") + " --pdf " + (dir / "sub/../a.dxf"), "nennen dieselbe Datei"},
      {"--interval -0.5 --dxf " + (dir / "a.dxf"), "muss positiv sein"},
      {"--pdf-protocol alles --pdf " + (dir / "a.pdf"), "full, summary oder none"},
      {"--dxf-layers labels,punkte --dxf " + (dir / "a.dxf"), "labels, triangles und contours"},
      {"--epsg 25832x --landxml " + (dir / "a.xml"), "EPSG-Code"},
  };
  for (const Case& c : cases) {
    const CommandResult r = Export(file + " " + c.args);
    EXPECT_EQ(r.code, 1) << c.args << "\n" << r.out;
    EXPECT_NE(r.out.find(c.message), std::string::npos) << r.out;
    EXPECT_EQ(FilesIn(dir), 1u) << c.args;  // the point file alone
  }
  // The choices taken: no appendix, no labels.
  const CommandResult r = Export(file + " --pdf-protocol none --dxf-layers triangles,contours --epsg 31467 " +
                          "--author 'Vermessung Süd' --client Gemeinde --dxf " + (dir / "a.dxf") +
                          " --landxml " + (dir / "a.xml") + " --pdf " + (dir / "a.pdf"));
  ASSERT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(ReadBytes(dir / "a.dxf").find("PUNKTNUMMERN\r\n 10"), std::string::npos);
  EXPECT_NE(ReadBytes(dir / "a.xml").find("epsgCode=\"31467\""), std::string::npos);
}

// A survey of n points on a jittered grid, every third on the reference
// horizon.
std::string Survey(int side) {
  std::string text;
  for (int i = 0; i < side * side; ++i) {
    const double x = 5656000.0 + (i / side) * 2 + std::fmod(i * 0.618, 1.0);
    const double y = 3486000.0 + (i % side) * 2 + std::fmod(i * 0.414, 1.0);
    char line[100];
    std::snprintf(line, sizeof line, "%16d %5d %12.3f %12.3f %10.3f\r\n", i + 1, i % 3 == 0 ? 1 : 0,
                  y, x, 280.0 + (i % 3 == 0 ? 0 : 2 + std::sin(i * 0.01)));
    text += line;
  }
  return text;
}

TEST(CliExport, TooLittleMemoryForTheReportIsAGermanReportNotACrash) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#endif
  ScratchDir dir;
  const std::string file = dir / "gross.asc";
  WriteBytes(file, Survey(70));
  // The least address space (in KiB) the export gets through with; every
  // trial must end with an exit code, never a signal.
  auto trial = [&](long kib) {
    const CommandResult r = Sh("bash -c 'ulimit -v " + std::to_string(kib) + "; " + ZELMARO_CLI_PATH +
                        " export " + file + " --pdf-protocol full --pdf " + (dir / "b.pdf") + "'");
    EXPECT_TRUE(r.code == 0 || r.code == 1) << kib << " KiB: exit " << r.code << "\n" << r.out;
    return r;
  };
  long lo = 64 << 10, hi = 2L << 20;
  if (trial(hi).code != 0) GTEST_SKIP() << "the export needs more than 2 GiB of address space here";
  while (hi - lo > 4096) {
    const long mid = (lo + hi) / 2;
    (trial(mid).code == 0 ? hi : lo) = mid;
  }
  // Just below what it needs the report is refused in advance.
  const CommandResult r = trial(hi - 6144);
  EXPECT_NE(r.out.find("Für den PDF-Bericht reicht der Speicher nicht"), std::string::npos) << r.out;
}

TEST(CliExport, AWriteFailingHalfwayLeavesTheFormerFile) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "two_triangles.asc");
  const std::string target = dir / "plan.dxf";
  WriteBytes(target, "der vorige Plan\n");
  const size_t before = FilesIn(dir);
  // A file size limit of 4 KiB lets the small protocol through and stops the
  // drawing in its tables; the signal is ignored so the write fails instead.
  const CommandResult r = Sh("bash -c \"trap '' XFSZ; ulimit -f 4; " + std::string(ZELMARO_CLI_PATH) +
                      " export " + file + " --dxf " + target + " --pdf " + (dir / "neu.pdf") +
                      "\"");
  EXPECT_EQ(r.code, 1) << r.out;
  EXPECT_NE(r.out.find("DXF '" + target + "' nicht geschrieben: "), std::string::npos) << r.out;
  EXPECT_EQ(ReadBytes(target), "der vorige Plan\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "neu.pdf"));
  // Nothing is left beside the targets: the only new file is the protocol
  // the run writes.
  EXPECT_EQ(FilesIn(dir), before + 1);
  EXPECT_TRUE(std::filesystem::exists(ProtocolFileName(file)));
}

}  // namespace
}  // namespace zelmaro::testing
