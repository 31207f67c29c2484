#include "toolpath/NumStr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

namespace {

// The sanitizer run checks the same kinds of values, fewer of them; the plain run checks millions.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kShare = 10;
#else
constexpr int kShare = 1;
#endif

std::string Fast(double v) {
  char buffer[kNumStrMaxChars];
  return std::string(buffer, NumStrTo(buffer, v));
}

}  // namespace

TEST(NumStr, RoundsHalfAwayFromZeroAfterEighteenDigits) {
  const struct {
    double in;
    const char* out;
  } rows[] = {
      {0.0625, "0.063"},
      {-0.0625, "-0.063"},
      {3.0625, "3.063"},
      {0.1245, "0.125"},
      {0.0195, "0.020"},
      {-0.0004, "0.000"},
      {-0.0, "0.000"},
      {0.0, "0.000"},
      {-0.0005, "-0.001"},
      {200, "200.000"},
      {0.5, "0.500"},
      {3, "3.000"},
      {-1, "-1.000"},
      {17.5, "17.500"},
      {0.9375, "0.938"},
      {-1.9375, "-1.938"},
      {1e-300, "0.000"},
      {1e20, "100000000000000000000.000"},
      {0x1p70, "1180591620717411300000.000"},  // 18 significant digits, then zeros
      {123456789012.3456, "123456789012.346"},
      {-4503599627370495.5, "-4503599627370495.500"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(NumStr(r.in), r.out) << r.in;
    EXPECT_EQ(NumStrReference(r.in), r.out) << r.in;
  }
}

TEST(NumStr, NonFiniteValuesHaveAText) {
  // Jobs with such values are refused before any line is built; the format still never fails.
  const struct {
    double in;
    const char* out;
  } rows[] = {{std::numeric_limits<double>::quiet_NaN(), "NAN"},
              {std::numeric_limits<double>::infinity(), "INF"},
              {-std::numeric_limits<double>::infinity(), "-INF"}};
  for (const auto& r : rows) {
    EXPECT_EQ(NumStr(r.in), r.out);
    EXPECT_EQ(NumStrReference(r.in), r.out);
  }
}

TEST(NumStr, LongestTextFitsTheBuffer) {
  const double largest = std::numeric_limits<double>::max();
  const std::string text = NumStr(-largest);
  EXPECT_EQ(text.size(), 1 + 309 + 4u);
  EXPECT_LE(text.size(), kNumStrMaxChars);
  EXPECT_EQ(text, NumStrReference(-largest));
  EXPECT_EQ(text.substr(0, 19), "-179769313486231571");
  EXPECT_EQ(text.substr(19), std::string(291, '0') + ".000");
}

TEST(NumStr, MatchesEveryVectorOfTheExactTable) {
  std::ifstream in(SKIMPLANE_TEST_DATA "/numstr-vectors.tsv");
  ASSERT_TRUE(in) << "numstr-vectors.tsv missing";
  std::string line;
  int rows = 0;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string hex, decimal, expected;
    ASSERT_TRUE(std::getline(fields, hex, '\t') && std::getline(fields, decimal, '\t') &&
                std::getline(fields, expected))
        << line;
    const double v = std::strtod(hex.c_str(), nullptr);
    ASSERT_EQ(NumStr(v), expected) << hex << " " << decimal;
    ASSERT_EQ(NumStrReference(v), expected) << hex << " " << decimal;
    ++rows;
  }
  EXPECT_GT(rows, 12000);
}

// The fast path against the exact one on millions of values, crowded around the places where the
// three-decimal rounding is decided.
TEST(NumStr, FastPathAgreesWithExactPathOnMillionsOfValues) {
  std::mt19937_64 random(20110618);
  int checked = 0;
  int failures = 0;
  const auto check = [&](double v) {
    ++checked;
    const std::string fast = Fast(v);
    const std::string exact = NumStrReference(v);
    if (fast != exact && ++failures <= 10)
      ADD_FAILURE() << std::hexfloat << v << ": " << fast << " != " << exact;
  };

  // Ties of the three-decimal rounding (k + 0.5 thousandths) and their neighbours up to three ulps away,
  // at every scale from 1e-3 to 1e12.
  for (int scale = 0; scale <= 15; ++scale) {
    std::uniform_int_distribution<std::int64_t> k(0, static_cast<std::int64_t>(std::pow(10.0, scale)));
    for (int i = 0; i < 30000 / kShare; ++i) {
      double v = (static_cast<double>(k(random)) + 0.5) / 1000;
      if (i % 2) v = -v;
      double up = v, down = v;
      check(v);
      for (int ulp = 0; ulp < 3; ++ulp) {
        up = std::nextafter(up, INFINITY);
        down = std::nextafter(down, -INFINITY);
        check(up);
        check(down);
      }
    }
  }
  // Everyday coordinates: a few decimals, the kind a machinist types.
  std::uniform_int_distribution<std::int64_t> tenths_of_microns(-50'000'000, 50'000'000);
  for (int i = 0; i < 400000 / kShare; ++i) check(static_cast<double>(tenths_of_microns(random)) / 10000);
  std::uniform_real_distribution<double> anywhere(-5000, 5000);
  for (int i = 0; i < 400000 / kShare; ++i) check(anywhere(random));
  // Random bit patterns with exponents around the fast path's limits.
  std::uniform_int_distribution<std::uint64_t> mantissa(0, (std::uint64_t{1} << 52) - 1);
  std::uniform_int_distribution<int> exponent(1023 - 20, 1023 + 50);
  for (int i = 0; i < 300000 / kShare; ++i) {
    const std::uint64_t bits = (static_cast<std::uint64_t>(i % 2) << 63) |
                               (std::uint64_t(exponent(random)) << 52) | mantissa(random);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    check(v);
  }
  EXPECT_EQ(failures, 0);
  EXPECT_GT(checked, 2'000'000 / kShare);
}
