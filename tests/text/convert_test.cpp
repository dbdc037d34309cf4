#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cstring>
#include <random>
#include <string>
#include <cmath>
#include <limits>

#include "text/convert.h"
#include "text/errors.h"
#include "text/format.h"

namespace zelmaro {
namespace {

int32_t Int(std::string_view s) {
  int32_t v = -777;
  EXPECT_TRUE(TryStrToInt(s, v)) << s;
  return v;
}

bool IsInt(std::string_view s) {
  int32_t v;
  return TryStrToInt(s, v);
}

double Real(std::string_view s) {
  double v = -777;
  EXPECT_TRUE(TryStrToFloat(s, v)) << s;
  return v;
}

bool IsReal(std::string_view s) {
  double v;
  return TryStrToFloat(s, v);
}

TEST(StrToInt, DecimalAndHexadecimalWithinThe32BitRange) {
  EXPECT_EQ(Int("64"), 64);
  EXPECT_EQ(Int("+7"), 7);
  EXPECT_EQ(Int("-12"), -12);
  EXPECT_EQ(Int("0007"), 7);
  EXPECT_EQ(Int("2147483647"), 2147483647);
  EXPECT_EQ(Int("-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Int("$1F"), 31);
  EXPECT_EQ(Int("x1f"), 31);
  EXPECT_EQ(Int("0x10"), 16);
  EXPECT_EQ(Int("0X10"), 16);
  EXPECT_EQ(Int("-$10"), -16);
  EXPECT_EQ(Int("$7FFFFFFF"), 2147483647);
}

TEST(StrToInt, RefusesEverythingElse) {
  for (const char* s : {"", "+", "-", "$", "0x", "2147483648", "-2147483649", "99999999999999999999",
                        "1.0", "1,0", "1e3", " 1", "1 ", "12a", "$G", "0x1g", "--1", "\t1", "$80000000"})
    EXPECT_FALSE(IsInt(s)) << s;
}

TEST(StrToFloat, SignDigitsFractionExponent) {
  EXPECT_EQ(Real("3486946.169"), 3486946.169);
  EXPECT_EQ(Real("-1.5"), -1.5);
  EXPECT_EQ(Real("+2"), 2.0);
  EXPECT_EQ(Real(".5"), 0.5);
  EXPECT_EQ(Real("5."), 5.0);
  EXPECT_EQ(Real("1e3"), 1000.0);
  EXPECT_EQ(Real("1.5E-2"), 0.015);
  EXPECT_EQ(Real("2e+2"), 200.0);
  EXPECT_EQ(Real("0.1"), 0.1);  // correctly rounded, like the compiler's literal
  EXPECT_EQ(Real("1e-400"), 0.0);  // an underflow reads as the nearest value
}

// Short decimals take a quicker way than the full conversion; both must give
// the same bits, at the edges of that way (2^53, 22 decimals, 19 digits)
// as on survey coordinates.
TEST(StrToFloat, QuickDecimalsGiveTheBitsOfTheFullConversion) {
  auto same = [](const std::string& s) {
    double want = 0;
    std::from_chars(s.data() + (s[0] == '+'), s.data() + s.size(), want);
    const double got = Real(s);
    return std::memcmp(&got, &want, sizeof got) == 0;
  };
  for (const char* s : {"9007199254740992", "9007199254740993", "900719925474099.3", "-0.000",
                        "0.0000000000000000000001", "1.00000000000000000000001",
                        "0000000000000000000000000012.5", "1234567890123456789", "-5656820.914",
                        "0.1", "+7.", ".000125", "12345678901234567890.5"})
    EXPECT_TRUE(same(s)) << s;
  EXPECT_TRUE(std::signbit(Real("-0.0")));
  std::mt19937_64 rng(3);
  for (int k = 0; k < 300000; ++k) {
    const int decimals = static_cast<int>(rng() % 24);
    std::string s = std::to_string(rng() % (k % 2 ? 10000000000ull : 100000000000000000ull));
    if (decimals > 0) {
      while (static_cast<int>(s.size()) <= decimals) s.insert(s.begin(), '0');
      s.insert(s.end() - decimals, '.');
    }
    if (rng() % 3 == 0) s.insert(s.begin(), '-');
    ASSERT_TRUE(same(s)) << s;
  }
}

TEST(StrToFloat, RefusesNonNumbersOverflowAndForeignForms) {
  for (const char* s : {"", ".", "+", "-", "e5", "1e", "1e+", "1,5", "1.234.5", "inf", "-inf",
                        "nan", "NaN", "infinity", "0x1p3", "1e400", "-1e400", " 1", "1 ", "1.0f",
                        "1_000", "1 000", "١"})
    EXPECT_FALSE(IsReal(s)) << s;
}

TEST(StrToFloat, ThrowingFormsCarryTheGermanReport) {
  try {
    StrToFloat("12,5");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12,5' ist kein gültiger Gleitkommawert");
  }
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' ist kein gültiger Integerwert");
  }
  EXPECT_EQ(StrToInt("-5"), -5);
  EXPECT_EQ(StrToFloat("2.25"), 2.25);
}

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEnds) {
  EXPECT_EQ(Trim("  12.5\t\r\n"), "12.5");
  EXPECT_EQ(Trim("\x01 a b \x1f"), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
}

TEST(Errors, GermanTexts) {
  EXPECT_STREQ(EInOutError(5).what(), "Dateizugriff verweigert");
  EXPECT_STREQ(EInOutError(112).what(), "Disk voll");
  EXPECT_STREQ(EInOutError(103).what(), "E/A-Fehler 103");
  EXPECT_STREQ(EInvalidOp().what(), "Ungültige Gleitkommaoperation");
  EXPECT_STREQ(EZeroDivide().what(), "Gleitkommadivision durch Null");
  EXPECT_STREQ(ERangeError().what(), "Fehler bei Bereichsprüfung");
  EXPECT_EQ(EInOutError::CodeFromErrno(EACCES), 5);
  EXPECT_EQ(EInOutError::CodeFromErrno(ENOSPC), 112);
}

TEST(Format, PrintfFormatsAndRounding) {
  EXPECT_EQ(Format("%10.2f", 50.0), "     50.00");
  EXPECT_EQ(Format("%10.2f", -50.0), "    -50.00");
  EXPECT_EQ(Format("%16d %5d %12.3f %12.3f %10.3f", 64, 9, 3486946.169, 5656820.914, 286.684),
            "              64     9  3486946.169  5656820.914    286.684");
  EXPECT_EQ(Format("%4.2f", 1234567.0), "1234567.00");  // a wide value widens the field
  // Exact decimal of the binary value: 0.125 is a tie and goes to even,
  // 0.015 lies below its decimal text.
  EXPECT_EQ(Format("%.2f", 0.125), "0.12");
  EXPECT_EQ(Format("%.2f", 0.015), "0.01");
  EXPECT_EQ(Format("%.2Lf", 0.005L + 0.0000000001L), "0.01");
  std::string long_text(1000, 'x');
  EXPECT_EQ(Format("%s|", long_text.c_str()), long_text + "|");
}

// Users run the program under German regional settings: nothing may turn the
// decimal point into a comma or stop reading it.
TEST(Locale, ConversionsIgnoreAGermanProcessLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", 1.5);
  EXPECT_STREQ(buf, "1,5") << "the locale did not take effect";
  EXPECT_EQ(Format("%10.3f", 286.684), "   286.684");
  EXPECT_EQ(Real("286.684"), 286.684);
  EXPECT_FALSE(IsReal("286,684"));
  EXPECT_EQ(Real("1e-400"), 0.0);
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace zelmaro
