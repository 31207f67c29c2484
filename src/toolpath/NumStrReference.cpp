// The exact, slow computation of the length format, kept as the yardstick for the fast one.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "toolpath/NumStr.h"

namespace {

// A non-negative integer in base 10^9, least significant limb first.
class BigDecimal {
 public:
  explicit BigDecimal(std::uint64_t v) {
    do {
      limbs_.push_back(static_cast<std::uint32_t>(v % kBase));
      v /= kBase;
    } while (v != 0);
  }
  void Multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (auto& limb : limbs_) {
      const std::uint64_t p = static_cast<std::uint64_t>(limb) * factor + carry;
      limb = static_cast<std::uint32_t>(p % kBase);
      carry = p / kBase;
    }
    while (carry != 0) {
      limbs_.push_back(static_cast<std::uint32_t>(carry % kBase));
      carry /= kBase;
    }
  }
  void MultiplyByPower(std::uint32_t base, int count) {
    for (int i = 0; i < count; ++i) Multiply(base);
  }
  [[nodiscard]] std::string Decimal() const {
    std::string text = std::to_string(limbs_.back());
    for (auto it = limbs_.rbegin() + 1; it != limbs_.rend(); ++it) {
      const std::string part = std::to_string(*it);
      text += std::string(9 - part.size(), '0') + part;
    }
    return text;
  }

 private:
  static constexpr std::uint64_t kBase = 1000000000;
  std::vector<std::uint32_t> limbs_;
};

// Adds one to a string of decimal digits; it may grow by a digit.
void Increment(std::string& digits) {
  int i = static_cast<int>(digits.size()) - 1;
  while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
  if (i < 0) {
    digits.insert(digits.begin(), '1');
  } else {
    ++digits[static_cast<std::size_t>(i)];
  }
}

}  // namespace

std::string NumStrReference(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  if (magnitude == 0) return "0.000";

  // magnitude = mantissa * 2^exponent exactly.
  int binary_exponent = 0;
  const double fraction = std::frexp(magnitude, &binary_exponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  const int exponent = binary_exponent - 53;

  // Exact decimal: digits * 10^scale.
  BigDecimal exact(mantissa);
  int scale = 0;
  if (exponent >= 0) {
    exact.MultiplyByPower(2, exponent);
  } else {
    exact.MultiplyByPower(5, -exponent);  // m / 2^k = m * 5^k / 10^k
    scale = exponent;
  }
  std::string digits = exact.Decimal();

  // Step one: 18 significant digits, ties to even.
  if (digits.size() > 18) {
    const std::string rest = digits.substr(18);
    bool up = rest[0] > '5';
    if (rest[0] == '5') {
      const bool exact_tie = rest.find_first_not_of('0', 1) == std::string::npos;
      up = !exact_tie || (digits[17] - '0') % 2 == 1;
    }
    scale += static_cast<int>(rest.size());
    digits.resize(18);
    if (up) Increment(digits);
  }

  // Positional text with at least four decimals.
  std::string whole;
  std::string decimals;
  if (scale >= 0) {
    whole = digits + std::string(static_cast<std::size_t>(scale), '0');
  } else {
    const auto places = static_cast<std::size_t>(-scale);
    if (digits.size() <= places) digits.insert(0, places - digits.size() + 1, '0');
    whole = digits.substr(0, digits.size() - places);
    decimals = digits.substr(digits.size() - places);
  }
  decimals += "0000";

  // Step two: three decimals, half away from zero.
  std::string thousandths = whole + decimals.substr(0, 3);
  if (decimals[3] >= '5') Increment(thousandths);
  const auto first = thousandths.find_first_not_of('0');
  if (first == std::string::npos) return "0.000";
  thousandths.erase(0, std::min(first, thousandths.size() - 4));  // keep "0.ddd" for values below one
  std::string text = negative ? "-" : "";
  text += thousandths.substr(0, thousandths.size() - 3) + "." + thousandths.substr(thousandths.size() - 3);
  return text;
}
