// The portable number texts must equal the standard library's, byte for byte: the browser's build writes
// every coordinate, settings value and message through them.

#include "dvTools/PortableCharConv.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string StdShortest(double v) {
  char buffer[64];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v).ptr);
}
std::string PortableShortest(double v) {
  char buffer[64];
  const auto r = dvPortable::ToChars(buffer, buffer + sizeof buffer, v);
  EXPECT_EQ(r.ec, std::errc());
  return std::string(buffer, r.ptr);
}
std::string StdScientific(double v, int precision) {
  char buffer[128];
  return std::string(
      buffer, std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, precision).ptr);
}
std::string PortableScientific(double v, int precision) {
  char buffer[128];
  const auto r = dvPortable::ToCharsScientific(buffer, buffer + sizeof buffer, v, precision);
  EXPECT_EQ(r.ec, std::errc());
  return std::string(buffer, r.ptr);
}

// Doubles of every kind: any bit pattern, everyday lengths, thousandths and their ties, whole numbers
// around 2^53, values next to powers of two and ten, subnormals.
std::vector<double> Samples(std::size_t count) {
  std::mt19937_64 random(20261209);
  std::vector<double> values = {0.0,
                                -0.0,
                                1.0,
                                0.1,
                                0.5,
                                6,
                                150,
                                1e21,
                                1e22,
                                1e23,
                                123456789012345678.0,
                                9007199254740993.0,
                                5e-324,
                                2.2250738585072014e-308,
                                std::numeric_limits<double>::max(),
                                std::numeric_limits<double>::min(),
                                0.0005,
                                1.0005,
                                2.675,
                                1e-5,
                                0.0001,
                                1e15,
                                1e16,
                                1e17,
                                9.5e-5,
                                1.7976931348623157e308};
  std::uniform_int_distribution<int> exponent(-40, 40);
  std::uniform_int_distribution<int> powerOfTwo(-1074, 1023);
  while (values.size() < count) {
    const std::uint64_t bits = random();
    switch (values.size() % 6) {
      case 0: {
        const double v = std::bit_cast<double>(bits);
        if (std::isfinite(v)) values.push_back(v);
        break;
      }
      case 1:
        values.push_back(static_cast<double>(bits % 10'000'000) / 1000.0 - 5000);
        break;
      case 2:
        values.push_back(static_cast<double>(bits % 1'000'000) * std::pow(10.0, exponent(random)));
        break;
      case 3:
        values.push_back(static_cast<double>((1ULL << 53) + bits % (1ULL << 60)));
        break;
      case 4: {  // a power of two and its neighbours, where the rounding interval is lopsided
        const double p = std::ldexp(1.0, powerOfTwo(random));
        values.push_back(p);
        values.push_back(std::nextafter(p, 0.0));
        values.push_back(std::nextafter(p, HUGE_VAL));
        break;
      }
      default:
        values.push_back(std::bit_cast<double>(bits & 0x000F'FFFF'FFFF'FFFFULL));  // subnormal
        break;
    }
  }
  return values;
}

TEST(PortableCharConv, ShortestEqualsStdOnRandomDoubles) {
  std::size_t mismatches = 0;
  for (const double v : Samples(100'000)) {
    for (const double signed_ : {v, -v}) {
      const std::string expected = StdShortest(signed_);
      const std::string actual = PortableShortest(signed_);
      if (expected != actual && ++mismatches <= 10)
        ADD_FAILURE() << std::hexfloat << signed_ << ": " << expected << " against " << actual;
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

TEST(PortableCharConv, ScientificEqualsStdAtEveryPrecisionUsed) {
  std::size_t mismatches = 0;
  const std::vector<double> samples = Samples(50'000);
  for (const int precision : {0, 1, 6, 14, 16, 17, 25}) {
    for (const double v : samples) {
      for (const double signed_ : {v, -v}) {
        const std::string expected = StdScientific(signed_, precision);
        const std::string actual = PortableScientific(signed_, precision);
        if (expected != actual && ++mismatches <= 10)
          ADD_FAILURE() << std::hexfloat << signed_ << " at " << precision << ": " << expected << " against "
                        << actual;
      }
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

TEST(PortableCharConv, NonFiniteValuesAsStd) {
  for (const double v : {HUGE_VAL, -HUGE_VAL, std::nan(""), -std::nan("")}) {
    EXPECT_EQ(PortableShortest(v), StdShortest(v));
    EXPECT_EQ(PortableScientific(v, 17), StdScientific(v, 17));
  }
}

TEST(PortableCharConv, TooSmallBufferReportsValueTooLarge) {
  char buffer[4];
  EXPECT_EQ(dvPortable::ToChars(buffer, buffer + sizeof buffer, 0.125).ec, std::errc::value_too_large);
  EXPECT_EQ(dvPortable::ToCharsScientific(buffer, buffer + sizeof buffer, 1.0, 3).ec,
            std::errc::value_too_large);
}

TEST(PortableCharConv, ReadsBackEveryShortestText) {
  for (const double v : Samples(50'000)) {
    const std::string text = StdShortest(v);
    double parsed = 0;
    const auto r = dvPortable::FromChars(text.data(), text.data() + text.size(), parsed);
    ASSERT_EQ(r.ec, std::errc()) << text;
    EXPECT_EQ(r.ptr, text.data() + text.size()) << text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(parsed), std::bit_cast<std::uint64_t>(v)) << text;
  }
}

TEST(PortableCharConv, ParsesTheSamePrefixAsStd) {
  const char* const texts[] = {"12.5",   "-0.001", "+1",      "1e5",    "1e",       "1e+",      "1.e3",
                               ".5",     "5.",     ".",       "-",      "",         "abc",      "1x",
                               "0x1p3",  " 1",     "inf",     "-INF",   "infinity", "infinit",  "nan",
                               "NaN(1)", "nan(",   "1e400",   "-1e400", "1e-400",   "3.000 Y1", "-2.000\r",
                               "007",    "1E-2",   "1.5e+07x"};
  for (const char* text : texts) {
    const std::string s = text;
    double expected = -7, actual = -7;
    const auto e = std::from_chars(s.data(), s.data() + s.size(), expected);
    const auto a = dvPortable::FromChars(s.data(), s.data() + s.size(), actual);
    EXPECT_EQ(a.ec, e.ec) << '"' << s << '"';
    EXPECT_EQ(a.ptr - s.data(), e.ptr - s.data()) << '"' << s << '"';
    if (e.ec != std::errc()) continue;
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(actual)) << '"' << s << '"';
    } else {
      EXPECT_EQ(actual, expected) << '"' << s << '"';
    }
  }
}

}  // namespace
