#include "text/format.h"

#include <locale.h>

#include <cstdio>
#include <vector>

namespace zelmaro {

namespace {
// One "C" locale for the whole process; uselocale() switches only the
// calling thread, so other threads and the global locale stay untouched.
locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

class ScopedCLocale {
 public:
  ScopedCLocale() : previous_(uselocale(CLocale())) {}
  ~ScopedCLocale() { uselocale(previous_); }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

 private:
  locale_t previous_;
};
}  // namespace

std::string FormatV(const char* fmt, std::va_list args) {
  ScopedCLocale c_locale;
  char small[256];
  std::va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, fmt, copy);
  va_end(copy);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::vector<char> big(static_cast<size_t>(n) + 1);
  std::vsnprintf(big.data(), big.size(), fmt, args);
  return std::string(big.data(), static_cast<size_t>(n));
}

std::string Format(const char* fmt, ...) {
  std::va_list args;
  va_start(args, fmt);
  std::string s = FormatV(fmt, args);
  va_end(args);
  return s;
}

}  // namespace zelmaro
