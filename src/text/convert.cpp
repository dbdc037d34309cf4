#include "text/convert.h"

#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "text/errors.h"

namespace zelmaro {

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// The usual field of a point file, such as 5656820.914: digits with a
// fraction and no exponent, at most 2^53 as an integer of all its digits and
// at most 22 decimals. Both that integer and the power of ten are exact
// doubles then, so their quotient is the correctly rounded value, the same
// bits as the full conversion. Anything else is left to it.
bool FastDecimal(std::string_view s, double& value) {
  static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  size_t i = 0;
  const bool negative = s[0] == '-';
  if (s[0] == '+' || s[0] == '-') ++i;
  uint64_t m = 0;
  int digits = 0, decimals = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '.') {
      point = true;
      continue;
    }
    if (!IsDigit(c)) return false;  // an exponent
    if (m == 0 && c == '0') {
      decimals += point;
      continue;  // leading zeros add no digit
    }
    if (++digits > 19) return false;
    m = m * 10 + static_cast<uint64_t>(c - '0');
    decimals += point;
  }
  if (m > (uint64_t{1} << 53) || decimals > 22) return false;
  const double v = static_cast<double>(m) / kPow10[decimals];
  value = negative ? -v : v;
  return true;
}
}  // namespace

bool TryStrToInt(std::string_view s, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  // The magnitude may reach 2^31 for the negative end of the range.
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t magnitude = 0;
  for (; i < s.size(); ++i) {
    int d = base == 16 ? HexValue(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return false;
  }
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool TryStrToFloat(std::string_view s, double& value) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  size_t int_digits = 0, frac_digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++int_digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++frac_digits;
  }
  if (int_digits + frac_digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exp_digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++exp_digits;
    if (exp_digits == 0) return false;
  }
  if (i != s.size()) return false;
  if (FastDecimal(s, value)) return true;

  // from_chars takes no leading '+'; the grammar is checked already.
  std::string_view digits = s;
  if (!s.empty() && s[0] == '+') digits.remove_prefix(1);
  double v = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v,
                                   std::chars_format::general);
  if (ec == std::errc() && ptr == digits.data() + digits.size()) {
    value = v;
    return true;
  }
  if (ec != std::errc::result_out_of_range) return false;
  // Out of range: an overflow is no real, an underflow reads as the nearest
  // representable value (0 or a subnormal), as the C library gives it.
  static locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  std::string copy(digits);
  v = strtod_l(copy.c_str(), nullptr, c_locale);
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

bool TryFieldToFloat(std::string_view text, double& value) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return TryStrToFloat(text, value);
  if (text.find(',', comma + 1) != std::string_view::npos) return false;
  if (text.find('.') != std::string_view::npos) return false;
  std::string copy(text);
  copy[comma] = '.';
  return TryStrToFloat(copy, value);
}

int32_t StrToInt(std::string_view text) {
  int32_t v = 0;
  if (!TryStrToInt(text, v)) throw EConvertError::NotInteger(std::string(text));
  return v;
}

double StrToFloat(std::string_view text) {
  double v = 0;
  if (!TryStrToFloat(text, v)) throw EConvertError::NotFloat(std::string(text));
  return v;
}

std::string_view Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= 0x20) ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= 0x20) --e;
  return text.substr(b, e - b);
}

}  // namespace zelmaro
