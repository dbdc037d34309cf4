#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "points/point_table.h"
#include "points/reader.h"
#include "support/child.h"
#include "support/temp_dir.h"
#include "text/errors.h"

namespace zelmaro {
namespace {

// Reads the bytes as a point file and returns the one point of the line.
TPunkt ReadLine(const std::string& line) {
  PointTable P;
  ParsePointFile(line, P);
  EXPECT_EQ(P.size(), 2u) << line;
  return P.size() > 1 ? P[1] : TPunkt{};
}

PointTable Former() {
  PointTable P;
  ParsePointFile("7 1 1 2 3\n", P);
  return P;
}

bool IsFormer(const PointTable& P) { return P.size() == 2 && P[1].NR == 7 && P[1].Z == 3; }

void ExpectPoint(const TPunkt& p, int32_t nr, int code, double y, double x, double z) {
  EXPECT_EQ(p.NR, nr);
  EXPECT_EQ(p.Code, code);
  EXPECT_EQ(p.Y, y);
  EXPECT_EQ(p.X, x);
  EXPECT_EQ(p.Z, z);
}

TEST(PointFileReader, SampleLineWithBlanksOrCommas) {
  ExpectPoint(ReadLine(" 64                     9    3486946.169  5656820.914    286.684"), 64, 9,
              3486946.169, 5656820.914, 286.684);
  ExpectPoint(ReadLine(" 64                     9    3486946,169  5656820,914    286,684"), 64, 9,
              3486946.169, 5656820.914, 286.684);
  // Only the first comma becomes a point: 1.234,5 reads 1.234.5, no number.
  ExpectPoint(ReadLine("1 1 1.234,5 2 3"), 1, 1, 0, 2, 3);
}

TEST(PointFileReader, MissingExtraAndMalformedFieldsReadAsZero) {
  ExpectPoint(ReadLine("5 0 100.5"), 5, 0, 100.5, 0, 0);
  ExpectPoint(ReadLine("5 0 1 2 3 4 5"), 5, 0, 1, 2, 3);
  ExpectPoint(ReadLine("1 1 2.5x 3 4"), 1, 1, 0, 3, 4);
  ExpectPoint(ReadLine("x 1 2.5x y 4"), 0, 1, 0, 0, 4);  // one number is enough
  ExpectPoint(ReadLine("1 1 inf nan 1e999"), 1, 1, 0, 0, 0);
  ExpectPoint(ReadLine("1,5 1 2 3 4"), 0, 1, 2, 3, 4);  // no comma in an integer
}

TEST(PointFileReader, CodesKeepTheirLowEightBitsAndNumbersTheir32BitRange) {
  EXPECT_EQ(ReadLine("1 257 0 0 0").Code, 1);
  EXPECT_EQ(ReadLine("1 255 0 0 0").Code, -1);
  EXPECT_EQ(ReadLine("1 256 0 0 0").Code, 0);
  EXPECT_EQ(ReadLine("1 -129 0 0 0").Code, 127);
  EXPECT_EQ(ReadLine("1 1.0 0 0 0").Code, 0);
  EXPECT_EQ(ReadLine("1 $FF 0 0 0").Code, -1);
  EXPECT_EQ(ReadLine("2147483647 1 0 0 0").NR, 2147483647);
  EXPECT_EQ(ReadLine("2147483648 1 0 0 0").NR, 0);
  EXPECT_EQ(ReadLine("-2147483648 1 0 0 0").NR, -2147483647 - 1);
}

TEST(PointFileReader, EveryLineWithANumberIsAPointAndTheFileEndsAtCtrlZ) {
  PointTable P;
  ParsePointFile("", P);
  EXPECT_EQ(P.size(), 1u);  // slot 0 alone
  ParsePointFile("1 0 1 2 3\r\n2 1 4 5 6", P);
  ASSERT_EQ(P.size(), 3u);
  ExpectPoint(P[2], 2, 1, 4, 5, 6);  // a last line without line end counts
  // Blank lines hold no number: no point at the origin for them.
  ReadReport report;
  ParsePointFile("1 0 1 2 3\r\n\r\n   \r\n2 0 1 2 3\r\n\r\n", ImportLayout{}, P, &report);
  ASSERT_EQ(P.size(), 3u);
  EXPECT_EQ(report.Note(), "3 leere Zeilen übersprungen (Zeilen 2, 3, 5)");
  ParsePointFile("1 0 1 2 3\r\n\x1A" "2 0 1 2 3\r\n", P);
  EXPECT_EQ(P.size(), 2u);
  ParsePointFile("1 0 1 2 3\rgarbage 9 9 9 9\n2 0 4 5 6", P);
  ASSERT_EQ(P.size(), 3u);
  ExpectPoint(P[1], 1, 0, 1, 2, 3);
}

TEST(PointFileReader, GarbageAndHugeLinesNeitherCrashNorHang) {
  std::string garbage;
  uint32_t s = 12345;
  for (int i = 0; i < 200000; ++i) {
    s = s * 1664525u + 1013904223u;
    garbage.push_back(static_cast<char>(s >> 24));
  }
  PointTable P = Former();
  ReadReport report;
  ParsePointFile(garbage, ImportLayout{}, P, &report);
  EXPECT_TRUE(report.NotAPointFile());
  EXPECT_TRUE(IsFormer(P));
  std::string long_line(5'000'000, '7');
  long_line += " 1 2 3 4";
  ParsePointFile(long_line, P);
  ASSERT_EQ(P.size(), 2u);
  EXPECT_EQ(P[1].NR, 0);
  EXPECT_EQ(P[1].Code, 1);
  ParsePointFile(std::string(3'000'000, '\n'), P);
  EXPECT_EQ(P.size(), 1u);
  EXPECT_LE(P.capacity(), 16u);
}

// Reads the bytes with the layout (Auto: found from the file) and its report.
PointTable Import(const std::string& bytes, ReadReport& report, ImportLayout layout = {}) {
  PointTable P;
  ParsePointFile(bytes, layout, P, &report);
  return P;
}

TEST(SurveyFileImport, SemicolonsDecimalCommasAndAHeaderAsOfficeProgramsWriteThem) {
  ReadReport report;
  PointTable P = Import(
      "Nr;Code;Y;X;Z\r\n"
      "1;0;3486910,633;5656838,352;284,723\r\n"
      "2;1; 3486920,5 ;5656848;285\r\n",
      report);
  ASSERT_EQ(P.size(), 3u);
  ExpectPoint(P[1], 1, 0, 3486910.633, 5656838.352, 284.723);
  ExpectPoint(P[2], 2, 1, 3486920.5, 5656848, 285);
  EXPECT_EQ(report.Note(),
            "gelesen mit Trennzeichen Semikolon, Spalten P,C,E,N,Z; "
            "1 Zeile ohne Koordinaten übersprungen (Zeile 1)");
  // An empty field keeps its place; a comma separates where numbers use ".".
  P = Import("7;;1.5;2;3\n", report);
  ExpectPoint(P[1], 7, 0, 1.5, 2, 3);
  P = Import("7,1,1.5,2,3\n8,0,4.5,5,6\n", report);
  EXPECT_EQ(report.layout.separator, Separator::Comma);
  ExpectPoint(P[2], 8, 0, 4.5, 5, 6);
}

TEST(SurveyFileImport, LinesWithoutNumbersAreNoPointsAndAreNamed) {
  ReadReport report;
  // The program's own layout under a header line, with comments.
  PointTable P = Import(
      "Punktnummer Code Y X Z\r\n"
      "# aufgenommen am 3.4.\r\n"
      "  // Tachymeter 2\r\n"
      "1 0 10 20 280\r\n"
      "Bemerkung ohne Zahl\r\n"
      "2 1 11 21 281\r\n",
      report);
  ASSERT_EQ(P.size(), 3u);
  ExpectPoint(P[2], 2, 1, 11, 21, 281);
  EXPECT_TRUE(IsPointFileLayout(report.layout));
  EXPECT_EQ(report.Note(),
            "2 Zeilen ohne Koordinaten übersprungen (Zeilen 1, 5); 2 Kommentarzeilen übersprungen");
  EXPECT_EQ(Import("Y X\n1 0 1 2 3\n", report).size(), 2u);
  EXPECT_EQ(report.Note(), "1 Zeile ohne Koordinaten übersprungen (Zeile 1)");
  std::string many = "1 0 1 2 3\n";
  for (int i = 0; i < 8; ++i) many += "x y z\n";
  Import(many, report);
  EXPECT_EQ(report.Note(), "8 Zeilen ohne Koordinaten übersprungen (Zeilen 2, 3, 4, 5, 6, …)");
}

TEST(SurveyFileImport, ColumnOrdersFromTheHeaderTheFieldsOrAsChosen) {
  ReadReport report;
  // Number, northing, easting, height, description: found from the fields.
  PointTable P = Import("1 5656838.352 3486910.633 284.723 BOESCHUNG\n"
                        "2 5656848.352 3486920.633 285.5 1\n",
                        report);
  EXPECT_EQ(ColumnsText(report.layout.columns), "P,N,E,Z,C");
  ExpectPoint(P[1], 1, 0, 3486910.633, 5656838.352, 284.723);
  ExpectPoint(P[2], 2, 1, 3486920.633, 5656848.352, 285.5);
  // Coordinates alone: numbered as they come, terrain.
  P = Import("5656838.35 3486910.63 284.7\n5656848.35 3486920.63 285.7\n", report);
  EXPECT_EQ(ColumnsText(report.layout.columns), "N,E,Z");
  ExpectPoint(P[2], 2, 0, 3486920.63, 5656848.35, 285.7);
  // Named by the header, in any order.
  P = Import("Hochwert\tRechtswert\tHöhe\tPunkt\n20\t10\t280\t7\n", report);
  EXPECT_EQ(report.layout.separator, Separator::Tab);
  ExpectPoint(P[1], 7, 0, 10, 20, 280);
  // Chosen: the same line read as the program's own file and as P,E,N,Z,C.
  std::vector<Column> columns;
  std::string reason;
  ASSERT_TRUE(ParseColumns("p,y,x,h,d", columns, reason));
  P = Import("1 10 20 280 1\n", report, {Separator::Space, columns});
  ExpectPoint(P[1], 1, 1, 10, 20, 280);
  P = Import("1 10 20 280 1\n", report, PointFileLayout());
  ExpectPoint(P[1], 1, 10, 20, 280, 1);
  EXPECT_FALSE(ParseColumns("P,E,N", columns, reason));
  EXPECT_EQ(reason, "die Spalten E, N und Z müssen alle vorkommen");
  EXPECT_FALSE(ParseColumns("P,E,N,Z,Q", columns, reason));
  EXPECT_EQ(reason, "'q' ist keine Spalte (P, C, E, N, Z oder -)");
}

TEST(SurveyFileImport, TabsCrLineEndsAndAByteOrderMarkAreReadAndSaid) {
  ReadReport report;
  PointTable P = Import("1\t0\t2\t3\t4\r\n2\t1\t5\t6\t7\r\n", report);
  ASSERT_EQ(P.size(), 3u);
  ExpectPoint(P[1], 1, 0, 2, 3, 4);
  P = Import("\xEF\xBB\xBF" "1 0 2 3 4\r2 1 5 6 7\r", report);
  ASSERT_EQ(P.size(), 3u);
  ExpectPoint(P[1], 1, 0, 2, 3, 4);
  ExpectPoint(P[2], 2, 1, 5, 6, 7);
  EXPECT_EQ(report.Note(),
            "Byte-Order-Mark (UTF-8) am Dateianfang übersprungen; "
            "Zeilenenden CR (ohne LF) als Zeilenenden gelesen");
  // The program's own file says nothing.
  Import("1 0 2 3 4\r\n", report);
  EXPECT_EQ(report.Note(), "");
}

TEST(SurveyFileImport, AFileWithoutAnyPointIsNoPointFileAndChangesNothing) {
  testing::TempDir dir;
  const std::string png = dir.Write("bild.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR 1 2 3\n", 22));
  const std::string words = dir.Write("brief.txt", "Sehr geehrte Damen und Herren,\nanbei\n");
  for (const std::string& name : {png, words}) {
    PointTable P = Former();
    EXPECT_EQ(ReadPointFile(name, P), ReadResult::NotPointFile) << name;
    EXPECT_TRUE(IsFormer(P));
  }
  EXPECT_EQ(ReadFailureMessage(ReadResult::NotPointFile, png), "'" + png + "' ist keine Punktdatei");
}

TEST(GetIntGetFloat, TakeOneFieldAndTheBlanksAfterIt) {
  std::string satz = "   12   3,5 rest of line";
  EXPECT_EQ(GetInt(satz), 12);
  EXPECT_EQ(satz, "3,5 rest of line");
  EXPECT_EQ(GetFloat(satz), 3.5);
  EXPECT_EQ(satz, "rest of line");
  EXPECT_EQ(GetFloat(satz), 0);
  EXPECT_EQ(satz, "of line");
  satz = "last";
  EXPECT_EQ(GetInt(satz), 0);
  EXPECT_EQ(satz, "");
  EXPECT_EQ(GetInt(satz), 0);
}

TEST(LiesPunkte, QuietWhenTheFileIsMissingAFolderOrUnnamed) {
  testing::TempDir dir;
  PointTable P(3);
  P[1].NR = 42;
  EXPECT_FALSE(LiesPunkte(dir.File("missing.asc"), P));
  EXPECT_FALSE(LiesPunkte("", P));
  EXPECT_FALSE(LiesPunkte(dir.path().string(), P));
  ASSERT_EQ(P.size(), 3u);
  EXPECT_EQ(P[1].NR, 42);
  EXPECT_TRUE(LiesPunkte(dir.Write("a.asc", "7 1 1 2 3\r\n"), P));
  ASSERT_EQ(P.size(), 2u);
  EXPECT_EQ(P[1].NR, 7);
}

TEST(LiesPunkte, AReadErrorAfterOpeningIsReportedAndKeepsTheTable) {
  PointTable P(2);
  P[1].NR = 42;
  // Reading a folder's handle fails after opening; /proc/self/mem fails on read.
  EXPECT_THROW(LiesPunkte("/proc/self/mem", P), EInOutError);
  ASSERT_EQ(P.size(), 2u);
  EXPECT_EQ(P[1].NR, 42);
}

TEST(ReadPointFile, DevicesAndFifosAreRefusedAtOnce) {
  testing::TempDir dir;
  const std::string fifo = dir.File("pipe.asc");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // /dev/zero never ends, a FIFO without a writer never opens.
  EXPECT_IN_CHILD(
      [&]() -> std::string {
        for (const std::string& name : {std::string("/dev/zero"), std::string("/dev/urandom"), fifo}) {
          const auto start = std::chrono::steady_clock::now();
          PointTable P = Former();
          CHILD_EXPECT(ReadPointFile(name, P) == ReadResult::NotRegular);
          CHILD_EXPECT(IsFormer(P));
          CHILD_EXPECT(std::chrono::steady_clock::now() - start < std::chrono::seconds(1));
        }
        return "";
      },
      5);
  EXPECT_EQ(ReadFailureMessage(ReadResult::NotRegular, "/dev/zero"),
            "'/dev/zero' ist keine gewöhnliche Datei (etwa ein Gerät oder eine Pipe) und wird "
            "nicht als Punktdatei gelesen.");
}

TEST(ReadPointFile, FilesBeyondTheBoundsAreRefusedBeforeTheyAreRead) {
  testing::TempDir dir;
  // Sparse: one byte more than a point file may have, and no disk used.
  const std::string big = dir.Write("gross.asc", "");
  ASSERT_EQ(truncate(big.c_str(), static_cast<off_t>(kMaxPointFileBytes) + 1), 0);
  // More lines than points may be.
  const std::string lines = dir.Write("zeilen.asc", std::string(kMaxPointFileLines + 1, '\n'));
  // As many, the last one without its line end.
  const std::string last =
      dir.Write("letzte.asc", std::string(kMaxPointFileLines, '\n') + "1 0 1 2 3");
  EXPECT_IN_CHILD(
      [&]() -> std::string {
        for (const std::string& name : {big, lines, last}) {
          const auto start = std::chrono::steady_clock::now();
          PointTable P = Former();
          CHILD_EXPECT(ReadPointFile(name, P) == ReadResult::TooLarge);
          CHILD_EXPECT(IsFormer(P));
          CHILD_EXPECT(std::chrono::steady_clock::now() - start < std::chrono::seconds(2));
        }
        return "";
      },
      10);
  EXPECT_EQ(ReadFailureMessage(ReadResult::TooLarge, "x.asc"),
            "Die Punktdatei 'x.asc' ist zu groß: gelesen werden Punktdateien bis 1024 MB und "
            "25000000 Zeilen.");
}

TEST(ReadPointFile, TheTableIsAsLargeAsItsPointsWhateverFollowsTheEnd) {
  // Line ends after the Ctrl-Z are no points and take no slots.
  std::string bytes = "1 0 1 2 3\n2 0 4 5 6\x1A";
  bytes.append(1'000'000, '\n');
  PointTable P;
  ParsePointFile(bytes, P);
  EXPECT_EQ(P.size(), 3u);
  EXPECT_LE(P.capacity(), 4u);
}

TEST(ReadPointFile, SaysWhyAFileWasNotRead) {
  testing::TempDir dir;
  PointTable P = Former();
  EXPECT_EQ(ReadPointFile(dir.File("fehlt.asc"), P), ReadResult::Missing);
  EXPECT_EQ(ReadFailureMessage(ReadResult::Missing, dir.File("fehlt.asc")),
            "Die Punktdatei '" + dir.File("fehlt.asc") + "' gibt es nicht.");
  EXPECT_EQ(ReadPointFile(dir.path().string(), P), ReadResult::Missing);
  EXPECT_EQ(ReadFailureMessage(ReadResult::Missing, dir.path().string()),
            "'" + dir.path().string() + "' ist ein Ordner und keine Punktdatei.");
  EXPECT_EQ(ReadFailureMessage(ReadResult::Missing, ""), "Es ist keine Punktdatei angegeben.");
  // A name longer than a folder entry may be is no file either, and saying
  // so must not fail on it.
  const std::string too_long = dir.File(std::string(300, 'n') + ".asc");
  EXPECT_EQ(ReadPointFile(too_long, P), ReadResult::Missing);
  EXPECT_EQ(ReadFailureMessage(ReadResult::Missing, too_long),
            "Die Punktdatei '" + too_long + "' gibt es nicht.");
  EXPECT_EQ(ReadFailureMessage(ReadResult::Unopenable, "a.asc"),
            "Die Punktdatei 'a.asc' lässt sich nicht öffnen (Dateizugriff verweigert).");
  EXPECT_EQ(ReadFailureMessage(ReadResult::Ok, "a.asc"), "");
  EXPECT_TRUE(IsFormer(P));
  EXPECT_EQ(ReadPointFile(dir.Write("b.asc", "1 1 1 1 1\n"), P), ReadResult::Ok);
  EXPECT_EQ(P.size(), 2u);
}

TEST(GetMinMax, BoundsOfThePointsAfterSlotZero) {
  double a, b, c, d, e, f;
  PointTable none;
  GetMinMax(none, a, b, c, d, e, f);
  EXPECT_EQ(a, 1e12);
  EXPECT_EQ(c, 1e12);
  EXPECT_EQ(d, -1e12);
  EXPECT_EQ(f, -1e12);
  PointTable P(1);
  GetMinMax(P, a, b, c, d, e, f);
  EXPECT_EQ(b, 1e12);
  EXPECT_EQ(e, -1e12);

  P.push_back({1, 5000, 1000, 300, 0});
  GetMinMax(P, a, b, c, d, e, f);
  EXPECT_EQ(a, 5000);
  EXPECT_EQ(d, 5000);  // one point: minimum and maximum alike
  EXPECT_EQ(c, 300);   // slot 0's zeros never count
  P.push_back({2, 5215, 1100, 350, 1});
  P.push_back({3, 5100, 990, 400, 0});  // the last point counts
  GetMinMax(P, a, b, c, d, e, f);
  EXPECT_EQ(a, 5000);
  EXPECT_EQ(b, 990);
  EXPECT_EQ(c, 300);
  EXPECT_EQ(d, 5215);
  EXPECT_EQ(e, 1100);
  EXPECT_EQ(f, 400);

  // Beyond +-1e12 the bounds are not found; 1e12 itself changes nothing.
  PointTable far(1);
  far.push_back({1, 2e12, 0, 0, 0});
  far.push_back({2, 1e12, 0, 0, 0});
  GetMinMax(far, a, b, c, d, e, f);
  EXPECT_EQ(a, 1e12);
  EXPECT_EQ(d, 2e12);
}

}  // namespace
}  // namespace zelmaro
