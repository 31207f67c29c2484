#include "toolpath/JobFields.h"

#include "toolpath/WholeNumber.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

bool Digits(const std::string& s, std::size_t at, std::size_t n, int& value) {
  value = 0;
  for (std::size_t i = at; i < at + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::optional<THeaderTime> ParseHeaderTime(const std::string& s) {
  THeaderTime t{};
  if (s.size() != 16 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':') return std::nullopt;
  if (!Digits(s, 0, 4, t.year) || !Digits(s, 5, 2, t.month) || !Digits(s, 8, 2, t.day) ||
      !Digits(s, 11, 2, t.hour) || !Digits(s, 14, 2, t.minute)) {
    return std::nullopt;
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) || t.hour > 23 ||
      t.minute > 59) {
    return std::nullopt;
  }
  return t;
}

std::optional<double> ParseLength(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<int> ParseWholeNumber(const std::string& text) {
  const auto parsed = ParseLength(text);
  if (!parsed) return std::nullopt;
  return WholeNumber(*parsed);
}

std::optional<bool> ParseFlag(std::string_view text) {
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return std::nullopt;
}

std::optional<double> ParseFieldText(const TJobField& f, const std::string& text) {
  switch (f.Kind) {
    case TFieldKind::fkFloat:
      return ParseLength(text);
    case TFieldKind::fkInteger:
      if (const auto v = ParseWholeNumber(text)) return *v;
      return std::nullopt;
    case TFieldKind::fkBool:
      if (const auto v = ParseFlag(text)) return *v ? 1 : 0;
      return std::nullopt;
    case TFieldKind::fkChoice:
      break;
  }
  if (text.empty() && !f.WordOf(static_cast<int>(f.Default()))) return f.Default();
  if (const auto v = f.ValueOf(text)) return *v;
  return std::nullopt;
}

std::string FieldTextRule(const TJobField& f) {
  switch (f.Kind) {
    case TFieldKind::fkFloat:
      return "a number";
    case TFieldKind::fkInteger:
      return "a whole number within 32 bits";
    case TFieldKind::fkBool:
      return "true or false";
    case TFieldKind::fkChoice:
      break;
  }
  std::string words;
  for (const TChoiceWord& w : f.Words) words += (words.empty() ? "" : ", ") + std::string(w.Word);
  return "one of " + words;
}
