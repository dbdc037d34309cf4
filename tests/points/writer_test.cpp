#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <string>

#include "points/point_table.h"
#include "points/reader.h"
#include "points/writer.h"
#include "support/child.h"
#include "support/temp_dir.h"
#include "text/atomic_file.h"
#include "text/errors.h"
#include "text/format.h"
#include "text/textfile.h"

namespace zelmaro {
namespace {

using zelmaro::testing::ReadBytes;
using zelmaro::testing::TempDir;

TPunkt Point(int32_t nr, int code, double y, double x, double z) {
  TPunkt p;
  p.NR = nr;
  p.Code = static_cast<int8_t>(code);
  p.Y = y;
  p.X = x;
  p.Z = z;
  return p;
}

PointTable Table(std::initializer_list<TPunkt> points) {
  PointTable P(1);
  P.insert(P.end(), points);
  return P;
}

// The names in a folder, hidden ones included.
std::vector<std::string> Names(const std::filesystem::path& dir) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(PointFileLine, FieldsWidthsAndRounding) {
  const std::string sample = PointFileLine(Point(64, 9, 3486946.169, 5656820.914, 286.684));
  EXPECT_EQ(sample, std::string(14, ' ') + "64" + std::string(5, ' ') + "9" + "  3486946.169" +
                        "  5656820.914" + "    286.684");
  EXPECT_EQ(sample.size(), 59u);

  EXPECT_EQ(PointFileLine(Point(1, -1, 0, 0, 0)).substr(16, 6), "    -1");
  EXPECT_EQ(PointFileLine(Point(1, -128, 0, 0, 0)).substr(16, 6), "  -128");
  EXPECT_EQ(PointFileLine(Point(1, 0, 12.3456, 0, 0)).substr(23, 12), "      12.346");
  EXPECT_EQ(PointFileLine(Point(-2147483647 - 1, 0, -0.0004, -5.5, -12.3455)),
            "     -2147483648     0       -0.000       -5.500    -12.345");
  // A value wider than its field widens the line; the separating blank stays.
  EXPECT_EQ(PointFileLine(Point(7, 1, 12345678901.5, 1, 1e9)),
            "               7     1 12345678901.500        1.000 1000000000.000");
}

TEST(PointFileLine, DecimalPointUnderAGermanLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  const std::string line = PointFileLine(Point(1, 0, 1.5, 2.25, 3.125));
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(line, "               1     0        1.500        2.250      3.125");
}

TEST(WritePointFile, WritesEveryPointButSlotZeroWithCrLf) {
  TempDir dir;
  const std::string name = dir.File("out.asc");
  PointTable P = Table({Point(1, 0, 10, 20, 30), Point(2, 1, 11, 21, 31)});
  P[0] = Point(99, 99, 99, 99, 99);  // slot 0 is never written
  WritePointFile(name, P);
  EXPECT_EQ(ReadBytes(name), PointFileLine(P[1]) + "\r\n" + PointFileLine(P[2]) + "\r\n");

  // Over a longer file: nothing of the former content is left.
  WritePointFile(name, Table({Point(5, 0, 1, 2, 3)}));
  EXPECT_EQ(ReadBytes(name), PointFileLine(Point(5, 0, 1, 2, 3)) + "\r\n");

  WritePointFile(name, Table({}));
  EXPECT_EQ(ReadBytes(name), "");
  WritePointFile(name, PointTable());  // a table without slot 0
  EXPECT_EQ(ReadBytes(name), "");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"out.asc"});
}

TEST(WritePointFile, ReadsBackWithTheReaderRoundedToMillimetres) {
  TempDir dir;
  const std::string name = dir.File("round.asc");
  const PointTable P =
      Table({Point(64, 9, 3486946.169, 5656820.914, 286.684), Point(2, -1, 12.3456, -0.5, 1e-4),
             Point(-3, 127, -3486946.1695, 5656820.9144, -12.3455), Point(2147483647, -128, 0, 0, 0),
             Point(0, 1, 1e9, 123456789012.25, 0.0005)});
  WritePointFile(name, P);
  PointTable back;
  ASSERT_TRUE(LiesPunkte(name, back));
  ASSERT_EQ(back.size(), P.size());
  for (size_t i = 1; i < P.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back[i].NR, P[i].NR);
    EXPECT_EQ(back[i].Code, P[i].Code);
    EXPECT_EQ(back[i].Y, std::stod(Format("%.3f", P[i].Y)));
    EXPECT_EQ(back[i].X, std::stod(Format("%.3f", P[i].X)));
    EXPECT_EQ(back[i].Z, std::stod(Format("%.3f", P[i].Z)));
  }
}

TEST(WritePointFile, ReportsFilesThatCannotBeCreated) {
  TempDir dir;
  std::filesystem::create_directory(dir.path() / "folder");
  const PointTable P = Table({Point(1, 0, 1, 2, 3)});
  try {
    WritePointFile(dir.File("folder"), P);
    ADD_FAILURE() << "a folder was written";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Dateizugriff verweigert");
  }
  try {
    WritePointFile(dir.File("missing/out.asc"), P);
    ADD_FAILURE() << "a file in a missing folder was written";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "E/A-Fehler 2");
  }
  EXPECT_THROW(WritePointFile("", P), EInOutError);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"folder"});
}

TEST(WritePointFile, AFailedWriteLeavesTheFormerFileWhole) {
  TempDir dir;
  const std::string name = dir.File("survey.asc");
  const std::string former = dir.Write("survey.asc", "former content\r\n");
  PointTable big(1);
  for (int i = 1; i <= 1000; ++i) big.push_back(Point(i, 0, i, i, i));
  {
    testing::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    try {
      WritePointFile(name, big);
      ADD_FAILURE() << "the write went through the limit";
    } catch (const EInOutError& e) {
      EXPECT_STREQ(e.what(), "Disk voll");
    }
  }
  EXPECT_EQ(ReadBytes(name), "former content\r\n");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"survey.asc"});

  // A new file that fails is not left behind half written.
  {
    testing::FileSizeLimit limit(4096);
    EXPECT_THROW(WritePointFile(dir.File("new.asc"), big), EInOutError);
  }
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"survey.asc"});
}

TEST(WritePointFile, KeepsPermissionsLinksAndSharedNames) {
  TempDir dir;
  const PointTable P = Table({Point(1, 0, 1, 2, 3)});
  const std::string expected = PointFileLine(P[1]) + "\r\n";

  const std::string plain = dir.Write("plain.asc", "old\r\n");
  ASSERT_EQ(chmod(plain.c_str(), 0640), 0);
  WritePointFile(plain, P);
  struct stat st {};
  ASSERT_EQ(stat(plain.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadBytes(plain), expected);

  // Through a link the link stays and its file gets the points.
  const std::string real = dir.Write("real.asc", "old\r\n");
  const std::string link = dir.File("link.asc");
  std::filesystem::create_symlink("real.asc", link);
  WritePointFile(link, P);
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), expected);

  // A file under two names keeps both.
  const std::string first = dir.Write("first.asc", "old\r\n");
  const std::string second = dir.File("second.asc");
  std::filesystem::create_hard_link(first, second);
  WritePointFile(second, P);
  EXPECT_EQ(ReadBytes(first), expected);
  EXPECT_EQ(std::filesystem::hard_link_count(first), 2u);

  // A new file gets the permissions any new file gets.
  const mode_t mask = umask(022);
  WritePointFile(dir.File("fresh.asc"), P);
  umask(mask);
  ASSERT_EQ(stat(dir.File("fresh.asc").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);

  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"first.asc", "fresh.asc", "link.asc",
                                                         "plain.asc", "real.asc", "second.asc"}));
}


// A table whose file is about `points` times 61 bytes.
PointTable Survey(int points, double z = 1) {
  PointTable P(1);
  for (int i = 1; i <= points; ++i) P.push_back(Point(i, i % 2, 1000.0 + i, 2000.0 + i, z));
  return P;
}

std::string FileOf(const PointTable& P) {
  std::string bytes;
  for (int i = 1; i <= High(P); ++i) bytes += PointFileLine(P[static_cast<size_t>(i)]) + "\r\n";
  return bytes;
}

std::string SaveFails(const std::string& name, const PointTable& P, const std::string& report) {
  try {
    WritePointFile(name, P);
  } catch (const EZelmaroError& e) {
    if (std::string(e.what()).rfind(report, 0) == 0) return "";
    return std::string("the report was: ") + e.what();
  }
  return "the save went through";
}

// Fills the file system the file is on: blocks, and with `inodes` also
// every free inode. Returns the number of bytes that were free.
size_t FillDisk(const std::string& filler, bool inodes) {
  const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const std::string block(4096, 'f');
  size_t written = 0;
  while (fd >= 0 && write(fd, block.data(), block.size()) > 0) written += block.size();
  close(fd);
  for (int i = 0; inodes; ++i) {
    const int e = open((filler + std::to_string(i)).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (e < 0) break;
    close(e);
  }
  return written;
}

TEST(WritePointFile, OnAFullDiskTheFormerFileStaysWhole) {
  TempDir dir;
  EXPECT_IN_CHILD([&]() -> std::string {
    const std::string mnt = dir.File("disk");
    std::filesystem::create_directory(mnt);
    if (std::string why = testing::MountSmallTmpfs(mnt, 256 * 1024, 64); !why.empty()) return why;
    const std::string name = mnt + "/survey.asc";
    WritePointFile(name, Survey(300));
    const std::string former = ReadBytes(name);
    CHILD_EXPECT(former == FileOf(Survey(300)));

    // No room for the temporary file at all: no inode, no block.
    FillDisk(mnt + "/filler", true);
    if (std::string r = SaveFails(name, Survey(1000, 2), "Disk voll"); !r.empty()) return r;
    CHILD_EXPECT(ReadBytes(name) == former);

    // The temporary file is made, its content does not fit.
    for (int i = 0; std::filesystem::remove(mnt + "/filler" + std::to_string(i)); ++i) {
    }
    if (std::string r = SaveFails(name, Survey(1000, 2), "Disk voll"); !r.empty()) return r;
    CHILD_EXPECT(ReadBytes(name) == former);
    CHILD_EXPECT(Names(mnt) == (std::vector<std::string>{"filler", "survey.asc"}));
    return "";
  });
}

TEST(WritePointFile, AFolderWithoutWriteRightIsReportedAndTheFileKept) {
  TempDir dir;
  const std::filesystem::path folder = dir.path() / "ro";
  std::filesystem::create_directory(folder);
  const std::string name = (folder / "survey.asc").string();
  const std::string former = dir.Write("ro/survey.asc", "1 0 2 3 4\r\n");
  chmod(dir.path().c_str(), 0755);
  chmod(name.c_str(), 0666);  // the file itself may be written
  chmod(folder.c_str(), 0555);
  EXPECT_IN_CHILD([&]() -> std::string {
    if (geteuid() == 0)
      if (std::string why = testing::BecomeNobody(); !why.empty()) return why;
    if (std::string r = SaveFails(name, Survey(3), "Dateizugriff verweigert"); !r.empty()) return r;
    CHILD_EXPECT(ReadBytes(name) == "1 0 2 3 4\r\n");
    return "";
  });
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"survey.asc"});
}

TEST(WritePointFile, SharedNamesAndLongNamesAreNeverRewrittenInPlaceOnFailure) {
  TempDir dir;
  const PointTable big = Survey(1000, 5);
  // A name of the longest length a folder entry may have.
  const std::string long_name = dir.File(std::string(251, 'p') + ".asc");
  WritePointFile(long_name, Survey(2));
  EXPECT_EQ(ReadBytes(long_name), FileOf(Survey(2)));

  const std::string first = dir.Write("first.asc", "former content\r\n");
  const std::string second = dir.File("second.asc");
  std::filesystem::create_hard_link(first, second);
  {
    testing::FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.ok());
    EXPECT_THROW(WritePointFile(long_name, big), EInOutError);
    EXPECT_THROW(WritePointFile(second, big), EInOutError);
  }
  EXPECT_EQ(ReadBytes(long_name), FileOf(Survey(2)));
  EXPECT_EQ(ReadBytes(first), "former content\r\n");
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"first.asc", std::string(251, 'p') + ".asc", "second.asc"}));
}

TEST(WritePointFile, AFileOfSeveralNamesGetsItsContentBackWhenTheOverwriteFails) {
  TempDir dir;
  EXPECT_IN_CHILD([&]() -> std::string {
    const std::string mnt = dir.File("disk");
    std::filesystem::create_directory(mnt);
    if (std::string why = testing::MountSmallTmpfs(mnt, 1024 * 1024, 64); !why.empty()) return why;
    const std::string first = mnt + "/first.asc", second = mnt + "/second.asc";
    const PointTable former = Survey(700), larger = Survey(1400, 3);
    WritePointFile(first, former);
    std::filesystem::create_hard_link(first, second);
    // Room for the new content beside it and for the copy of the former
    // content, but not for the file to grow.
    auto pages = [](size_t bytes) { return (bytes + 4095) / 4096 * 4096; };
    const size_t room = pages(FileOf(larger).size()) + pages(FileOf(former).size()) + 8192;
    const size_t free_bytes = FillDisk(mnt + "/filler", false);
    CHILD_EXPECT(free_bytes > room);
    CHILD_EXPECT(truncate((mnt + "/filler").c_str(), static_cast<off_t>(free_bytes - room)) == 0);

    if (std::string r = SaveFails(second, larger, "Disk voll"); !r.empty()) return r;
    CHILD_EXPECT(ReadBytes(first) == FileOf(former));
    CHILD_EXPECT(std::filesystem::hard_link_count(first) == 2u);
    CHILD_EXPECT(Names(mnt) == (std::vector<std::string>{"filler", "first.asc", "second.asc"}));

    std::filesystem::remove(mnt + "/filler");
    WritePointFile(second, larger);
    CHILD_EXPECT(ReadBytes(first) == FileOf(larger));
    return "";
  });
}

// A save killed while it writes a file of two names over in place: the
// next read finds the former content or the new one, never a mix.
TEST(WritePointFile, AKilledOverwriteInPlaceIsUndoneByTheNextRead) {
  TempDir dir;
  const std::string first = dir.File("first.asc"), second = dir.File("second.asc");
  const PointTable former = Survey(100000), fresh = Survey(100000, 7);  // 6 MB each
  const std::string former_bytes = FileOf(former), fresh_bytes = FileOf(fresh);
  int caught = 0;
  for (int trial = 0; trial < 5 && caught < 2; ++trial) {
    std::filesystem::remove(first);
    std::filesystem::remove(second);
    WritePointFile(first, former);
    std::filesystem::create_hard_link(first, second);
    struct stat before {};
    ASSERT_EQ(stat(first.c_str(), &before), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      WritePointFile(second, fresh);
      _exit(0);
    }
    // Killed the moment the file itself begins to change.
    int status = 0;
    for (;;) {
      struct stat now {};
      if (stat(first.c_str(), &now) == 0 && (now.st_mtim.tv_sec != before.st_mtim.tv_sec ||
                                              now.st_mtim.tv_nsec != before.st_mtim.tv_nsec)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        break;
      }
      if (waitpid(pid, &status, WNOHANG) == pid) break;
    }
    caught += WIFSIGNALED(status);
    std::string bytes;
    ASSERT_EQ(ReadWholeFile(second, bytes), ReadResult::Ok);
    EXPECT_TRUE(bytes == former_bytes || bytes == fresh_bytes)
        << "trial " << trial << ": a mix of " << bytes.size() << " bytes";
    EXPECT_EQ(ReadBytes(first), bytes);
  }
  EXPECT_GT(caught, 0);

  // A save that is only held up is no interrupted one: a read meanwhile
  // leaves its overwrite alone, and it ends with the new content.
  WritePointFile(first, former);
  struct stat before {};
  ASSERT_EQ(stat(first.c_str(), &before), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    WritePointFile(second, fresh);
    _exit(0);
  }
  auto running = [pid] {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
  };
  for (struct stat now {}; stat(first.c_str(), &now) == 0 &&
                           now.st_mtim.tv_sec == before.st_mtim.tv_sec &&
                           now.st_mtim.tv_nsec == before.st_mtim.tv_nsec && running();) {
  }
  kill(pid, SIGSTOP);
  RecoverInterruptedSave(second);
  kill(pid, SIGCONT);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(ReadBytes(first) == fresh_bytes);
}

// The former content left by a save that died names the file by its inode,
// which a later file may get once the first is deleted: it is only ever put
// back into the file it came from (same inode and birth time).
TEST(WritePointFile, ALeftFormerContentIsNotPutIntoAnotherFileOfItsInode) {
  TempDir dir;
  const std::string file = dir.File("new.asc");
  WritePointFile(file, Survey(10));
  const std::string bytes = ReadBytes(file);
  struct statx sx {};
  ASSERT_EQ(statx(AT_FDCWD, file.c_str(), 0, STATX_INO | STATX_BTIME, &sx), 0);
  if (!(sx.stx_mask & STATX_BTIME)) GTEST_SKIP() << "the file system keeps no birth times";
  // As a deleted file of the same inode left it: named by the inode alone,
  // or with a birth time a second after the epoch.
  const std::string prefix = ".zelmaro-save-" + std::to_string(sx.stx_ino);
  for (const std::string& left : {dir.File(prefix), dir.File(prefix + "-1.0")}) {
    { std::ofstream(left) << "1 0 1 2 3\r\n"; }
    std::string read;
    ASSERT_EQ(ReadWholeFile(file, read), ReadResult::Ok);
    EXPECT_EQ(read, bytes) << left;
    EXPECT_TRUE(std::filesystem::exists(left));
  }
}

// The ACL entries of a file, as the kernel keeps them in its attribute.
std::string Acl(std::initializer_list<std::array<uint32_t, 3>> entries) {
  std::string blob = {2, 0, 0, 0};  // version
  for (const auto& [tag, perm, id] : entries)
    for (uint32_t v : {tag | perm << 16, id}) blob.append(reinterpret_cast<const char*>(&v), 4);
  return blob;
}

std::string Attribute(const std::string& file, const char* name) {
  char value[512];
  const ssize_t n = getxattr(file.c_str(), name, value, sizeof value);
  return n < 0 ? std::string("(none)") : std::string(value, static_cast<size_t>(n));
}

TEST(WritePointFile, KeepsExtendedAttributesAndTheAcl) {
  TempDir dir;
  const std::string name = dir.Write("acl.asc", "old\r\n");
  ASSERT_EQ(chmod(name.c_str(), 0640), 0);
  if (setxattr(name.c_str(), "user.herkunft", "Vermessung", 10, 0) != 0)
    GTEST_SKIP() << "the file system keeps no extended attributes";
  // The owner and the user 65534 may write, the owning group only read;
  // the mask (shown as the group's bits) lets the named user write.
  const uint32_t none = 0xFFFFFFFF;
  const std::string acl = Acl({{0x01, 6, none}, {0x02, 6, 65534}, {0x04, 4, none},
                               {0x10, 6, none}, {0x20, 0, none}});
  if (setxattr(name.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
    GTEST_SKIP() << "the file system keeps no POSIX ACLs";
  const std::string kept = Attribute(name, "system.posix_acl_access");
  struct stat st {};
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  const mode_t mode = st.st_mode & 07777;  // 0660: the group bits are the mask

  WritePointFile(name, Table({Point(1, 0, 1, 2, 3)}));
  EXPECT_EQ(ReadBytes(name), PointFileLine(Point(1, 0, 1, 2, 3)) + "\r\n");
  EXPECT_EQ(Attribute(name, "user.herkunft"), "Vermessung");
  EXPECT_EQ(Attribute(name, "system.posix_acl_access"), kept);  // the group still only reads
  ASSERT_EQ(stat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, mode);
}

TEST(WritePointFile, RefusesWhatIsNoRegularFileWithoutBlocking) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.asc");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // Nobody reads the FIFO: opening it for writing would wait for ever.
  EXPECT_IN_CHILD(
      [&]() -> std::string {
        const auto start = std::chrono::steady_clock::now();
        for (const std::string& name : {fifo, std::string("/dev/full"), std::string("/dev/null")}) {
          if (access(name.c_str(), F_OK) != 0) continue;
          if (std::string r = SaveFails(name, Survey(3), "'" + name + "' ist keine gewöhnliche Datei");
              !r.empty())
            return name + ": " + r;
        }
        CHILD_EXPECT(std::chrono::steady_clock::now() - start < std::chrono::seconds(1));
        return "";
      },
      5);
}

TEST(WritePointFile, ADanglingLinkIsRefusedAndAnotherOwnerKept) {
  TempDir dir;
  const std::string link = dir.File("link.asc");
  std::filesystem::create_symlink("elsewhere.asc", link);
  EXPECT_THROW(WritePointFile(link, Survey(2)), ELimitError);
  EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere.asc")));

  if (geteuid() != 0) GTEST_SKIP() << "a file of another owner needs root to be made";
  const std::string theirs = dir.Write("theirs.asc", "old\r\n");
  ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chmod(theirs.c_str(), 0664), 0);
  WritePointFile(theirs, Survey(2));
  struct stat st {};
  ASSERT_EQ(stat(theirs.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
  EXPECT_EQ(st.st_mode & 07777, 0664u);
  EXPECT_EQ(ReadBytes(theirs), FileOf(Survey(2)));
  EXPECT_EQ(Names(dir.path()), (std::vector<std::string>{"link.asc", "theirs.asc"}));
}

}  // namespace
}  // namespace zelmaro
