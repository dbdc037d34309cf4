// An export that fails on the way, large enough that its pieces go out in
// several blocks: the report reaches the caller, the former file stays, and
// nothing is left beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "export/dxf.h"
#include "export/landxml.h"
#include "export_support.h"
#include "support/child.h"
#include "text/errors.h"

namespace zelmaro::testing {
namespace {

std::set<std::string> Names(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    names.insert(e.path().filename().string());
  return names;
}

TEST(ExportFile, AWriteFailingAfterTheFirstBlocksIsReportedAndLeavesTheFormerFile) {
  // Some 14,000 points: each export is well over the 1 MiB its writer hands
  // on at once, so a limit can stop the first block or a later one.
  ExportRun run(SurveyText(120), 0.5);
  const std::string dxf = run.dir / "plan.dxf", xml = run.dir / "plan.xml";
  WriteDxf(run.in, dxf);
  WriteLandXml(run.in, xml);
  ASSERT_GT(ReadBytes(dxf).size(), size_t{3} << 19);
  ASSERT_GT(ReadBytes(xml).size(), size_t{3} << 19);
  WriteBytes(dxf, "der vorige Plan\n");
  WriteBytes(xml, "<vorher/>\n");
  const std::set<std::string> before = Names(run.dir);

  for (const rlim_t limit : {rlim_t{64} << 10, rlim_t{3} << 19}) {
    FileSizeLimit small(limit);
    ASSERT_TRUE(small.ok());
    EXPECT_THROW(WriteDxf(run.in, dxf), EInOutError) << limit;
    EXPECT_THROW(WriteLandXml(run.in, xml), EInOutError) << limit;
  }
  EXPECT_EQ(ReadBytes(dxf), "der vorige Plan\n");
  EXPECT_EQ(ReadBytes(xml), "<vorher/>\n");
  EXPECT_EQ(Names(run.dir), before);
}

}  // namespace
}  // namespace zelmaro::testing
