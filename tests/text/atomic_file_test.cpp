#include "text/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "support/temp_dir.h"
#include "text/errors.h"

namespace zelmaro {
namespace {

using testing::ReadBytes;
using testing::TempDir;

size_t EntryCount(const TempDir& dir) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++n;
  return n;
}

TEST(AtomicFile, TheTargetChangesOnlyOnCommit) {
  TempDir dir;
  const std::string name = dir.Write("out.LST", "former\r\n");
  {
    AtomicFile file;
    file.Create(name);
    file.Out().WriteLine("Gelände");
    file.Out().WriteBytes("raw\n");
    EXPECT_EQ(ReadBytes(name), "former\r\n");
    EXPECT_EQ(EntryCount(dir), 2u);  // the temporary file beside it
  }  // not committed: dropped
  EXPECT_EQ(ReadBytes(name), "former\r\n");
  EXPECT_EQ(EntryCount(dir), 1u);

  AtomicFile file;
  file.Create(name);
  file.Out().WriteLine("Gelände");
  file.Out().WriteBytes("raw\n");
  file.Commit();
  EXPECT_EQ(ReadBytes(name), "Gel\xE4nde\r\nraw\n");
  EXPECT_EQ(EntryCount(dir), 1u);
  EXPECT_THROW(file.Commit(), EInOutError);  // once only

  // A library that writes only by name writes the temporary file.
  file.Create(name);
  if (FILE* f = std::fopen(file.TempName().c_str(), "wb")) {
    std::fputs("by name", f);
    std::fclose(f);
  }
  file.Commit();
  EXPECT_EQ(ReadBytes(name), "by name");
  EXPECT_EQ(EntryCount(dir), 1u);
}

TEST(AtomicFile, ReplaceNeverWritesThroughALinkOrASharedFile) {
  TempDir dir;
  const std::string other = dir.Write("other.txt", "not ours\r\n");
  const std::string link = dir.File("halde.LST");
  std::filesystem::create_symlink("other.txt", link);
  AtomicFile file;
  file.Create(link);
  file.Out().WriteLine("protocol");
  file.Commit();
  EXPECT_FALSE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(link), "protocol\r\n");
  EXPECT_EQ(ReadBytes(other), "not ours\r\n");

  // A dangling link creates nothing where it points.
  const std::string dangling = dir.File("dangling.LST");
  std::filesystem::create_symlink("nowhere/target.txt", dangling);
  file.Create(dangling);
  file.Commit();
  EXPECT_FALSE(std::filesystem::is_symlink(dangling));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "nowhere"));

  // The other name of a file keeps the former content.
  const std::string second = dir.File("second.LST");
  std::filesystem::create_hard_link(other, second);
  file.Create(second);
  file.Out().WriteLine("protocol");
  file.Commit();
  EXPECT_EQ(ReadBytes(other), "not ours\r\n");
  EXPECT_EQ(std::filesystem::hard_link_count(other), 1u);
}

TEST(AtomicFile, RightsOfTheFormerFileAndRefusals) {
  TempDir dir;
  const std::string name = dir.Write("p.asc", "x");
  ASSERT_EQ(chmod(name.c_str(), 0604), 0);
  AtomicFile file;
  file.Create(name);
  file.Commit();
  struct stat st {};
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0604u);

  // A file nobody may write is not replaced, even where the folder allows it.
  if (geteuid() != 0) {
    ASSERT_EQ(chmod(name.c_str(), 0444), 0);
    EXPECT_THROW(file.Create(name), EInOutError);
  }
  EXPECT_THROW(file.Create(dir.path().string()), EInOutError);
  EXPECT_THROW(file.Create(""), EInOutError);
  EXPECT_THROW(file.Create(name + "/below"), EInOutError);
  EXPECT_EQ(EntryCount(dir), 1u);
}

}  // namespace
}  // namespace zelmaro
