// zelmaro-cli's export module: found beside the program however it is
// started, a clear failure where it is missing, and no Qt for the other
// commands.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "../volume/volume_support.h"
#include "support/command.h"

namespace zelmaro::testing {
namespace {

namespace fs = std::filesystem;

// What the command printed to stdout and stderr, and its exit code.
CommandResult Sh(const std::string& command) { return RunCommand(command + " 2>&1"); }

// zelmaro-cli copied alone into the folder, without its module.
std::string ProgramAlone(const ScratchDir& dir) {
  const std::string copy = dir / "zelmaro-cli";
  fs::copy_file(ZELMARO_CLI_PATH, copy);
  fs::permissions(copy, fs::perms::owner_all);
  return copy;
}

TEST(CliExportModule, MissingOrBrokenModuleFailsExportOnlyWithAGermanMessage) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "triangle.asc");
  const std::string cli = ProgramAlone(dir);
  const std::string module = dir / "zelmaro-export.so";

  CommandResult r = Sh(cli + " export " + file + " --dxf " + (dir / "a.dxf"));
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "Das Exportmodul '" + module + "' ist nicht vorhanden.\n");
  // Nothing was run: no protocol, no drawing.
  EXPECT_FALSE(fs::exists(ProtocolFileName(file)));
  EXPECT_FALSE(fs::exists(dir / "a.dxf"));
  // Even a wrong call is the module's to judge; without it export fails.
  EXPECT_EQ(Sh(cli + " export").code, 1);

  // Every other command does without it, with the same results.
  const CommandResult built = Sh(std::string(ZELMARO_CLI_PATH) + " run " + file + " --json");
  ASSERT_EQ(built.code, 0) << built.out;
  r = Sh(cli + " run " + file + " --json");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, built.out);
  EXPECT_EQ(Sh(cli + " points " + file + " --json").code, 0);
  EXPECT_EQ(Sh(cli + " cutfill " + file).code, 0);
  EXPECT_EQ(Sh(cli + " run").code, 2);

  // A file of that name that is no module.
  WriteBytes(module, "");
  r = Sh(cli + " export " + file + " --dxf " + (dir / "a.dxf"));
  EXPECT_EQ(r.code, 1);
  const std::string head = "Das Exportmodul '" + module + "' lässt sich nicht laden: ";
  EXPECT_EQ(r.out.substr(0, head.size()), head) << r.out;
  EXPECT_GT(r.out.size(), head.size() + 1) << "the loader's reason is missing";
  EXPECT_FALSE(fs::exists(dir / "a.dxf"));
}

TEST(CliExportModule, FoundBesideTheProgramThroughALinkFromAnotherFolder) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "triangle.asc");
  fs::create_directory(dir / "bin");
  fs::create_symlink(ZELMARO_CLI_PATH, dir / "bin/z");
  // Started by name through PATH, in a folder without the module.
  const CommandResult r = Sh("cd " + dir.path().string() + " && PATH=" + (dir / "bin") +
                      ":$PATH z export triangle.asc --landxml a.xml");
  EXPECT_EQ(r.code, 0) << r.out;
  EXPECT_EQ(r.out, "LandXML: a.xml\n");
  EXPECT_TRUE(fs::exists(dir / "a.xml"));
  EXPECT_TRUE(fs::exists(ProtocolFileName(file)));
}

// What the dynamic loader reads during a call, from its own report.
std::string LoadedFiles(const std::string& args) {
  const CommandResult r = Sh("LD_DEBUG=files " + std::string(ZELMARO_CLI_PATH) + " " + args);
  std::string files;
  size_t at = 0;
  while ((at = r.out.find("file=", at)) != std::string::npos) {
    const size_t end = r.out.find_first_of(" \t\n", at);
    files += r.out.substr(at + 5, end - at - 5) + "\n";
    at = end;
  }
  return files;
}

TEST(CliExportModule, OnlyExportLoadsQtAndDxflib) {
  ScratchDir dir;
  const std::string file = CopyData(dir, "triangle.asc");
  const std::string run = LoadedFiles("run " + file);
  if (run.empty()) GTEST_SKIP() << "the dynamic loader does not report (LD_DEBUG)";
  EXPECT_EQ(run.find("libQt6"), std::string::npos) << run;
  EXPECT_EQ(run.find("dxflib"), std::string::npos) << run;
  EXPECT_EQ(run.find("zelmaro-export"), std::string::npos) << run;

  const std::string exported = LoadedFiles("export " + file + " --dxf " + (dir / "a.dxf"));
  EXPECT_NE(exported.find("zelmaro-export.so"), std::string::npos) << exported;
  EXPECT_NE(exported.find("libQt6Gui"), std::string::npos) << exported;
  EXPECT_NE(exported.find("libdxflib"), std::string::npos) << exported;
}

}  // namespace
}  // namespace zelmaro::testing
