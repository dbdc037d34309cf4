#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <string>

#include "points/point_table.h"
#include "points/reader.h"
#include "points/writer.h"
#include "support/temp_dir.h"
#include "text/errors.h"
#include "text/format.h"

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
  // Where the disk is full the report says so.
  if (access("/dev/full", W_OK) == 0) {
    try {
      WritePointFile("/dev/full", P);
      ADD_FAILURE() << "/dev/full took the points";
    } catch (const EInOutError& e) {
      EXPECT_STREQ(e.what(), "Disk voll");
    }
  }
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"folder"});
}

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    old_handler_ = signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    signal(SIGXFSZ, old_handler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  sighandler_t old_handler_;
  bool ok_ = false;
};

TEST(WritePointFile, AFailedWriteLeavesTheFormerFileWhole) {
  TempDir dir;
  const std::string name = dir.File("survey.asc");
  const std::string former = dir.Write("survey.asc", "former content\r\n");
  PointTable big(1);
  for (int i = 1; i <= 1000; ++i) big.push_back(Point(i, 0, i, i, i));
  {
    FileSizeLimit limit(4096);
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
    FileSizeLimit limit(4096);
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

}  // namespace
}  // namespace zelmaro
