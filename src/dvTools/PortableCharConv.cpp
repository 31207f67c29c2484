#include "dvTools/PortableCharConv.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace dvPortable {

namespace {

std::to_chars_result Copy(char* first, char* last, const char* text, std::size_t n) {
  if (static_cast<std::size_t>(last - first) < n) return {last, std::errc::value_too_large};
  std::memcpy(first, text, n);
  return {first + n, std::errc()};
}

// "d.ddde[+-]xx" with `precision` digits after the point, rounded exactly from the binary value.
int Scientific(char (&buffer)[64], double magnitude, int precision) {
  return std::snprintf(buffer, sizeof buffer, "%.*e", precision, magnitude);
}

// The significant digits of a scientific text (without the point) and its decimal exponent.
void SplitScientific(const char* text, std::string& digits, int& exponent) {
  digits.clear();
  const char* p = text;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  exponent = std::atoi(p + 1);
}

bool ReadsBackAs(const std::string& digits, int exponent, double value) {
  const std::string text = digits + "e" + std::to_string(exponent - static_cast<int>(digits.size()) + 1);
  return std::strtod(text.c_str(), nullptr) == value;
}

// Adds one to the last of `digits`; a carry out of the first digit makes "1000..." one place higher.
void Increment(std::string& digits, int& exponent) {
  int i = static_cast<int>(digits.size()) - 1;
  while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
  if (i >= 0) {
    ++digits[static_cast<std::size_t>(i)];
  } else {
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    ++exponent;
  }
}

// Takes one from the last of `digits`, which are not all zero; a borrow that empties the first digit
// makes "999..." one place lower.
void Decrement(std::string& digits, int& exponent) {
  int i = static_cast<int>(digits.size()) - 1;
  while (digits[static_cast<std::size_t>(i)] == '0') digits[static_cast<std::size_t>(i--)] = '9';
  --digits[static_cast<std::size_t>(i)];
  if (digits[0] == '0') {
    digits.erase(digits.begin());
    digits += '9';
    --exponent;
  }
}

// The fewest significant digits that read back as `magnitude` (positive and finite); of several with as
// few digits, the nearest. The correctly rounded text of each length is tried first; its neighbour one
// unit in the last place away may still read back where the rounding interval is lopsided (next to a
// power of two).
void ShortestDigits(double magnitude, std::string& digits, int& exponent) {
  char buffer[64];
  for (int precision = 0; precision < 17; ++precision) {
    Scientific(buffer, magnitude, precision);
    SplitScientific(buffer, digits, exponent);
    if (ReadsBackAs(digits, exponent, magnitude)) return;
    // The rounded text lies on one side of the value; its neighbour lies on the other.
    std::string other = digits;
    int otherExponent = exponent;
    const double rounded = std::strtod(buffer, nullptr);
    if (rounded < magnitude)
      Increment(other, otherExponent);
    else if (other.find_first_not_of('0') != std::string::npos)
      Decrement(other, otherExponent);
    if (ReadsBackAs(other, otherExponent, magnitude)) {
      digits = other;
      exponent = otherExponent;
      return;
    }
  }
  Scientific(buffer, magnitude, 16);
  SplitScientific(buffer, digits, exponent);
}

}  // namespace

std::to_chars_result ToCharsScientific(char* first, char* last, double value, int precision) {
  if (std::isnan(value))
    return std::signbit(value) ? Copy(first, last, "-nan", 4) : Copy(first, last, "nan", 3);
  if (std::isinf(value)) return value < 0 ? Copy(first, last, "-inf", 4) : Copy(first, last, "inf", 3);
  std::string text(static_cast<std::size_t>(precision < 0 ? 6 : precision) + 32, '\0');
  const int n = std::snprintf(text.data(), text.size(), "%.*e", precision < 0 ? 6 : precision, value);
  return Copy(first, last, text.data(), static_cast<std::size_t>(n));
}

std::to_chars_result ToChars(char* first, char* last, double value) {
  if (std::isnan(value))
    return std::signbit(value) ? Copy(first, last, "-nan", 4) : Copy(first, last, "nan", 3);
  if (std::isinf(value)) return value < 0 ? Copy(first, last, "-inf", 4) : Copy(first, last, "inf", 3);
  std::string out = std::signbit(value) ? "-" : "";
  const double magnitude = std::fabs(value);
  if (magnitude == 0) return Copy(first, last, (out + "0").data(), out.size() + 1);

  std::string digits;
  int exponent = 0;
  ShortestDigits(magnitude, digits, exponent);
  const auto count = static_cast<int>(digits.size());

  // Scientific: "d[.ddd]e[+-]xx".
  std::string scientific = digits.substr(0, 1);
  if (count > 1) scientific += "." + digits.substr(1);
  char exponentText[16];
  std::snprintf(exponentText, sizeof exponentText, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  scientific += exponentText;

  // Fixed: the digits with the point placed, zeros filled in. A whole number of more digits than the
  // shortest form holds is written exactly, as "%.0f" writes it.
  std::string fixed;
  if (exponent < 0) {
    fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else if (exponent + 1 >= count) {
    char whole[400];
    std::snprintf(whole, sizeof whole, "%.0f", magnitude);
    fixed = whole;
  } else {
    fixed = digits.substr(0, static_cast<std::size_t>(exponent + 1)) + "." +
            digits.substr(static_cast<std::size_t>(exponent + 1));
  }
  out += fixed.size() <= scientific.size() ? fixed : scientific;
  return Copy(first, last, out.data(), out.size());
}

std::from_chars_result FromChars(const char* first, const char* last, double& value) {
  const char* p = first;
  const bool negative = p != last && *p == '-';
  if (negative) ++p;
  const auto lower = [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
  const auto startsWith = [&](const char* at, const char* word) {
    for (; *word; ++word, ++at)
      if (at == last || lower(*at) != *word) return false;
    return true;
  };
  if (startsWith(p, "inf")) {
    value = negative ? -HUGE_VAL : HUGE_VAL;
    return {startsWith(p, "infinity") ? p + 8 : p + 3, std::errc()};
  }
  if (startsWith(p, "nan")) {
    const char* end = p + 3;
    // "nan(chars)" with letters, digits and underscores inside is one token.
    if (end != last && *end == '(') {
      const char* q = end + 1;
      while (q != last && (std::isalnum(static_cast<unsigned char>(*q)) || *q == '_')) ++q;
      if (q != last && *q == ')') end = q + 1;
    }
    value = negative ? -std::nan("") : std::nan("");
    return {end, std::errc()};
  }
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  const char* q = p;
  std::size_t mantissaDigits = 0;
  while (q != last && isDigit(*q)) ++q, ++mantissaDigits;
  if (q != last && *q == '.') {
    ++q;
    while (q != last && isDigit(*q)) ++q, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return {first, std::errc::invalid_argument};
  if (q != last && (*q == 'e' || *q == 'E')) {
    const char* e = q + 1;
    if (e != last && (*e == '+' || *e == '-')) ++e;
    if (e != last && isDigit(*e)) {
      while (e != last && isDigit(*e)) ++e;
      q = e;
    }
  }
  const std::string text(first, q);
  errno = 0;
  const double parsed = std::strtod(text.c_str(), nullptr);
  // Too large for a double, or so small that nothing of it is left.
  if (errno == ERANGE && (parsed == 0 || std::isinf(parsed))) return {q, std::errc::result_out_of_range};
  value = parsed;
  return {q, std::errc()};
}

}  // namespace dvPortable
