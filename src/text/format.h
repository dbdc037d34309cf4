#pragma once
// printf-like formatting that never looks at the process locale: "." is the
// decimal separator and there is no thousands separator, whatever LC_NUMERIC
// says. Rounding is that of the C library's printf (exact decimal of the
// binary value, halves by the current rounding mode).
#include <cstdarg>
#include <string>

namespace zelmaro {

std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* fmt, std::va_list args);

}  // namespace zelmaro
