#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "text/cp1252.h"
#include "text/errors.h"
#include "text/textfile.h"

namespace zelmaro {
namespace {

std::vector<std::string> Lines(std::string_view bytes) {
  std::vector<std::string> out;
  PointFileLines lines(bytes);
  while (!lines.Eof()) out.emplace_back(lines.Next());
  return out;
}

using V = std::vector<std::string>;

TEST(PointFileLines, LineEndsCarriageReturnsAndEndOfFile) {
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("a"), V{"a"});                 // last line without line end
  EXPECT_EQ(Lines("a\n"), V{"a"});               // a final line end adds nothing
  EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a", "b"}));
  EXPECT_EQ(Lines("a\n\n"), (V{"a", ""}));       // two line ends: one empty line
  EXPECT_EQ(Lines("\n\n\n"), (V{"", "", ""}));
  EXPECT_EQ(Lines("ab\rcd\nef"), (V{"ab", "ef"}));  // text ends at the first CR
  EXPECT_EQ(Lines("a\rb\rc"), V{"a"});
  EXPECT_EQ(Lines("a\nb\x1A" "c\nd\n"), (V{"a", "b"}));  // Ctrl-Z ends the file
  EXPECT_EQ(Lines("\x1A" "a\n"), V{});
  EXPECT_EQ(Lines(std::string("a\0b\nc", 5)), (V{std::string("a\0b", 3), "c"}));
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(CodePointToCp1252(Cp1252ToCodePoint(static_cast<unsigned char>(b))), b);
}

TEST(Cp1252, KnownCharactersAndUndefinedBytes) {
  EXPECT_EQ(Utf8ToCp1252("Gelände"), "Gel\xE4nde");
  EXPECT_EQ(Cp1252ToUtf8("H\xF6henbezug"), "Höhenbezug");
  EXPECT_EQ(Cp1252ToCodePoint(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToCodePoint(0x9F), U'\u0178');
  EXPECT_EQ(Cp1252ToCodePoint(0x81), U'\u0081');  // undefined: the C1 control
  EXPECT_EQ(Cp1252ToCodePoint(0x9D), U'\u009D');
  EXPECT_EQ(Utf8ToCp1252("€ ß"), "\x80 \xDF");
  EXPECT_EQ(Utf8ToCp1252("α"), "?");              // not in the code page
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");           // broken UTF-8
  EXPECT_EQ(Utf8ToCp1252("a\xFF" "b"), "a?b");
}

TEST(TextFileWriter, WritesCp1252WithCrLfAndEmptiesAnExistingFile) {
  testing::TempDir dir;
  std::string f = dir.Write("p.LST", "old content that must go\r\n");
  TextFileWriter w;
  w.Create(f);
  w.WriteLine("Gelände");
  w.WriteLine("");
  w.WriteLine("Höhenbezug286.684 m");
  w.Close();
  EXPECT_EQ(testing::ReadBytes(f), "Gel\xE4nde\r\n\r\nH\xF6henbezug286.684 m\r\n");
}

TEST(TextFileWriter, FailuresAreGermanInOutErrors) {
  testing::TempDir dir;
  TextFileWriter w;
  EXPECT_THROW(w.Create(dir.File("missing/sub/x.LST")), EInOutError);
  EXPECT_THROW(w.Create(""), EInOutError);
  std::string file = dir.Write("plain", "x");
  try {
    w.Create(file + "/below-a-file.LST");
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "E/A-Fehler 3");
  }
  // A full disk shows when the buffer goes out, at the latest on closing.
  w.Create("/dev/full");
  w.WriteLine("x");
  try {
    w.Close();
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Disk voll");
  }
  EXPECT_FALSE(w.IsOpen());
}

TEST(ReadWholeFile, MissingFolderUnopenableAndContent) {
  testing::TempDir dir;
  std::string bytes = "keep";
  EXPECT_EQ(ReadWholeFile(dir.File("none.asc"), bytes), ReadResult::Missing);
  EXPECT_EQ(ReadWholeFile("", bytes), ReadResult::Missing);
  EXPECT_EQ(ReadWholeFile(dir.path().string(), bytes), ReadResult::Missing);
  EXPECT_EQ(bytes, "keep");
  std::string f = dir.Write("a.asc", std::string("1 0 2 3 4\r\n\0\x1A", 13));
  EXPECT_EQ(ReadWholeFile(f, bytes), ReadResult::Ok);
  EXPECT_EQ(bytes, std::string("1 0 2 3 4\r\n\0\x1A", 13));
}

}  // namespace
}  // namespace zelmaro
