#pragma once
// What many suites need: the message of the error a piece of code raises, byte comparison that names the
// first line that differs, text with CR LF line ends, and UTF-8 literals as Qt strings.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "dvTools/dvError.h"

// The message of the EDVError that `body` raises; "" when it raises none.
template <class F>
std::string ErrorOf(F&& body) {
  try {
    body();
  } catch (const EDVError& e) {
    return e.what();
  }
  return "";
}

// Expects `body` to raise EDVError with exactly `message`.
#define EXPECT_EDVERROR(body, message) EXPECT_EQ(ErrorOf([&] { body; }), std::string(message))

// Byte equality that names the first line that differs and shows both sides of it.
inline ::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t line = 1, i = 0;
  while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) line += actual[i++] == '\n';
  const auto lineAt = [](const std::string& s, std::size_t from) {
    if (from >= s.size() && s.empty()) return std::string("<end>");
    const auto start = s.rfind('\n', from == 0 ? 0 : from - 1);
    const auto begin = start == std::string::npos || from == 0 ? 0 : start + 1;
    return begin >= s.size() ? std::string("<end>") : s.substr(begin, s.find('\n', begin) - begin);
  };
  return ::testing::AssertionFailure()
         << "first difference in line " << line << " (byte " << i << "):\n  actual:   " << lineAt(actual, i)
         << "\n  expected: " << lineAt(expected, i);
}
inline void ExpectSameBytes(const std::string& actual, const std::string& expected,
                            std::string_view what = {}) {
  EXPECT_TRUE(SameBytes(actual, expected)) << what;
}

// Lines joined with CR LF after each, as the program's files end their lines.
inline std::string Crlf(std::initializer_list<std::string> lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}
