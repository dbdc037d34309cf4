#pragma once
// Strict text-to-number conversion, independent of the process locale.
//
// An integer is an optional sign followed by decimal digits, or by hexadecimal
// digits after "$", "x" or "0x"; its value must lie in the 32-bit signed range.
// A real is an optional sign, digits with an optional fraction (".5" and "5."
// included), and an optional exponent (E or e, optional sign, digits). "." is
// the only decimal separator. "inf", "nan", hexadecimal reals and values
// beyond the double range are not reals. Neither allows surrounding blanks;
// callers that allow them trim first.
#include <cstdint>
#include <string>
#include <string_view>

namespace zelmaro {

bool TryStrToInt(std::string_view text, int32_t& value);
bool TryStrToFloat(std::string_view text, double& value);

// A real as users type it into the window's number fields: as TryStrToFloat,
// but one "," may stand for the decimal point, as German users write it
// ("284,5"). A text with both "," and "." or several commas is no real.
bool TryFieldToFloat(std::string_view text, double& value);

// As above, but a text that is no number throws EConvertError with the
// German report naming the text.
int32_t StrToInt(std::string_view text);
double StrToFloat(std::string_view text);

// Removes leading and trailing blanks and control characters (bytes up to
// 0x20), as the grid and the result fields allow around their numbers.
std::string_view Trim(std::string_view text);

}  // namespace zelmaro
