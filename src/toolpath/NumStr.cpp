#include "toolpath/NumStr.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

char* WriteNonFinite(char* out, double value) {
  const char* text = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
  const std::size_t n = std::strlen(text);
  std::memcpy(out, text, n);
  return out + n;
}

// Writes a count of thousandths as "[-]integer.ddd"; zero never carries a sign.
char* WriteThousandths(char* out, bool negative, std::uint64_t thousandths) {
  if (thousandths == 0) {
    std::memcpy(out, "0.000", 5);
    return out + 5;
  }
  if (negative) *out++ = '-';
  const std::uint64_t whole = thousandths / 1000;
  const unsigned part = static_cast<unsigned>(thousandths % 1000);
  out = std::to_chars(out, out + 24, whole).ptr;
  out[0] = '.';
  out[1] = static_cast<char>('0' + part / 100);
  out[2] = static_cast<char>('0' + part / 10 % 10);
  out[3] = static_cast<char>('0' + part % 10);
  return out + 4;
}

// The careful path, for values near a tie of the three-decimal rounding and for very large values.
// `digits` are the n significant digits of the 18-digit decimal (the first one not zero), and the value is
// 0.d1d2...dn times ten to the power `point`.
char* WriteRounded(char* out, bool negative, const char* digits, int n, int point) {
  char kept[kNumStrMaxChars];
  int k = 0;                // digits of the value in thousandths, after rounding
  const int q = point + 3;  // how many of the significant digits lie at or above the thousandths
  if (q == 0) {
    if (digits[0] >= '5') kept[k++] = '1';
  } else if (q > 0 && q >= n) {
    std::memcpy(kept, digits, static_cast<std::size_t>(n));
    std::memset(kept + n, '0', static_cast<std::size_t>(q - n));
    k = q;
  } else if (q > 0) {
    std::memcpy(kept, digits, static_cast<std::size_t>(q));
    k = q;
    if (digits[q] >= '5') {  // half away from zero: the magnitude grows
      int i = k - 1;
      while (i >= 0 && kept[i] == '9') kept[i--] = '0';
      if (i >= 0) {
        ++kept[i];
      } else {
        std::memmove(kept + 1, kept, static_cast<std::size_t>(k));
        kept[0] = '1';
        ++k;
      }
    }
  }
  if (k == 0 || kept[0] == '0') {
    std::memcpy(out, "0.000", 5);
    return out + 5;
  }
  if (negative) *out++ = '-';
  if (k <= 3) {
    *out++ = '0';
    *out++ = '.';
    for (int i = k; i < 3; ++i) *out++ = '0';
    std::memcpy(out, kept, static_cast<std::size_t>(k));
    return out + k;
  }
  std::memcpy(out, kept, static_cast<std::size_t>(k - 3));
  out += k - 3;
  *out++ = '.';
  std::memcpy(out, kept + k - 3, 3);
  return out + 3;
}

char* NumStrCareful(char* out, double value) {
  if (!std::isfinite(value)) return WriteNonFinite(out, value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0) return WriteThousandths(out, false, 0);
  // "d.ddddddddddddddddde+XX": exactly 18 significant digits, rounded to nearest with ties to even.
  char sci[40];
  const char* end = std::to_chars(sci, sci + sizeof sci, magnitude, std::chars_format::scientific, 17).ptr;
  char digits[18];
  digits[0] = sci[0];
  std::memcpy(digits + 1, sci + 2, 17);
  int exponent = 0;
  std::from_chars(sci[20] == '+' ? sci + 21 : sci + 20, end, exponent);
  return WriteRounded(out, std::signbit(value), digits, 18, exponent + 1);
}

}  // namespace

char* NumStrTo(char* out, double value) noexcept {
  const double magnitude = std::fabs(value);
  if (magnitude < 1e12) {
    // In thousandths the value stays far below 2^53, so its whole part is exact. The decision that
    // matters is only whether the fraction lies below or above one half; the rounding of the product and
    // the 18-digit step both move it by less than t * 2^-52, so outside a much wider margin the direct
    // answer is the right one, and inside it the careful path decides.
    const double t = magnitude * 1000.0;
    const auto whole = static_cast<std::uint64_t>(t);
    const double fraction = t - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) > t * 0x1p-44) {
      return WriteThousandths(out, std::signbit(value), whole + (fraction > 0.5 ? 1 : 0));
    }
  }
  return NumStrCareful(out, value);
}

std::string NumStr(double value) {
  char buffer[kNumStrMaxChars];
  return std::string(buffer, NumStrTo(buffer, value));
}
