// The triangle line is built without printf; it must give printf's bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "text/format.h"
#include "volume/horizon.h"

namespace zelmaro {
namespace {

std::string Reference(int32_t t, int32_t a, int32_t b, int32_t c, double A, double Ma) {
  return Format("%4d %10d %10d %10d %10.2f %10.2f", t, a, b, c, A, Ma);
}

TEST(TriangleLine, SameBytesAsPrintf) {
  // Exact halves round to even, -0.00 keeps its sign, wide values widen.
  const double special[] = {0.125, 0.375, -0.125, 2.675, 1.005, -0.0, -0.001, 0.0,
                            9999999.995, 12345678901.25, -1e15, 1e300,
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::infinity()};
  const int32_t ints[] = {0, 1, -1, 9999, 10000, 2147483647, -2147483647 - 1, 1001};
  // n / -2 rather than -n / 2: negating the smallest int32 overflows.
  for (double v : special)
    for (int32_t n : ints) EXPECT_EQ(TriangleLine(n, n, n / -2, 7, v, -v), Reference(n, n, n / -2, 7, v, -v));

  std::mt19937_64 rng(99);
  for (int i = 0; i < 200000; ++i) {
    double v;
    if (i % 3 == 0) {
      v = std::uniform_real_distribution<double>(-1e7, 1e7)(rng);
    } else if (i % 3 == 1) {
      v = static_cast<double>(static_cast<int64_t>(rng() % 20000000) - 10000000) / 8;
    } else {
      const uint64_t bits = rng();
      std::memcpy(&v, &bits, sizeof v);
      if (!std::isfinite(v) || std::fabs(v) > 1e40) v = 0.005 * static_cast<double>(i);
    }
    const auto t = static_cast<int32_t>(rng());
    ASSERT_EQ(TriangleLine(t, 1, 2, 3, v, v / 3), Reference(t, 1, 2, 3, v, v / 3)) << v;
  }
}

}  // namespace
}  // namespace zelmaro
