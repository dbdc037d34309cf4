// Fuzz target for the point file reader: any bytes must read without a crash,
// at most one record per line, up to the first Ctrl-Z. Built with the pipeline's
// target by scripts/fuzz.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "points/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  zelmaro::PointTable P;
  zelmaro::ParsePointFile(bytes, P);
  std::string_view text = bytes.substr(0, std::min(bytes.size(), bytes.find('\x1A')));
  size_t lines = 0;
  // Lines end at LF, or at CR in a file without LF; the more of the two bounds it.
  size_t lf = 0, cr = 0;
  for (char c : text) {
    lf += c == '\n';
    cr += c == '\r';
  }
  lines = std::max(lf, cr) + 1;
  if (P.size() > lines + 1) std::abort();
  return 0;
}
