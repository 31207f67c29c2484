#include "dvTools/dvStrTools.h"

#include <gtest/gtest.h>

#include <string>

#include "dvTools/dvError.h"

using namespace std::string_literals;

TEST(StrTools, UpperTableFoldsAsciiLettersOnly) {
  for (int i = 0; i < 256; ++i) {
    const int expected = (i >= 'a' && i <= 'z') ? i - 32 : i;
    EXPECT_EQ(UpperTable[i], expected) << i;
  }
}

TEST(StrTools, MakeBMTableSkipsAndRejectsEmptyPattern) {
  TBMTable table;
  MakeBMTable("abca", 4, table, cfCaseSensitive);
  EXPECT_EQ(table['a'], 3);  // position 0 only: the last byte is not entered
  EXPECT_EQ(table['b'], 2);
  EXPECT_EQ(table['c'], 1);
  EXPECT_EQ(table['z'], 4);
  EXPECT_EQ(table['A'], 4);
  MakeBMTable("abca", 4, table, cfIgnoreCase);
  EXPECT_EQ(table['B'], 2);
  EXPECT_EQ(table['b'], 4);
  MakeBMTable("x", 1, table, cfCaseSensitive);
  EXPECT_EQ(table['x'], 0);
  EXPECT_EQ(table['y'], 1);
  try {
    MakeBMTable("", 0, table, cfCaseSensitive);
    FAIL();
  } catch (const EDVError& e) {
    EXPECT_STREQ(e.what(), "BufferLen is 0(MakeBMTable)");
  }
}

TEST(StrTools, ForwardSearch) {
  const struct {
    const char* text;
    const char* pattern;
    int start;
    std::uint8_t caseFlag;
    int expected;
  } rows[] = {
      {"abcabc", "abc", 1, cfCaseSensitive, 1},  {"abcabc", "abc", 2, cfCaseSensitive, 4},
      {"abcabc", "abc", 5, cfCaseSensitive, 0},  {"abcabc", "abc", 7, cfCaseSensitive, 0},
      {"abcabc", "abc", 99, cfCaseSensitive, 0}, {"abc", "", 1, cfCaseSensitive, 0},
      {"ab", "abc", 1, cfCaseSensitive, 0},      {"xxABC", "abc", 1, cfCaseSensitive, 0},
      {"xxABC", "abc", 1, cfIgnoreCase, 3},      {"xxABC", "abc", 1, 2, 3},  // every flag but 1 ignores case
      {"a", "a", 1, cfCaseSensitive, 1},         {"bba", "a", 1, cfCaseSensitive, 3},
      {"", "a", 1, cfCaseSensitive, 0},          {"aXbXc", "X", 3, cfCaseSensitive, 4},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(BMPos(r.text, r.pattern, r.start, r.caseFlag), r.expected) << r.text << " / " << r.pattern;
    EXPECT_EQ(SearchPos(r.pattern, r.text, r.start, true, r.caseFlag), r.expected) << r.text;
  }
  for (int start : {0, -1}) {
    try {
      (void)BMPos("abc", "a", start, cfCaseSensitive);
      FAIL() << start;
    } catch (const EDVError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("Assertion failure", 0), 0u);
    }
  }
}

TEST(StrTools, BackwardSearch) {
  const struct {
    const char* text;
    const char* pattern;
    int start;
    std::uint8_t caseFlag;
    int expected;
  } rows[] = {
      {"abxab", "ab", 0, cfCaseSensitive, 4},
      {"abxab", "ab", 3, cfCaseSensitive, 1},
      {"abxab", "ab", 4, cfCaseSensitive, 4},
      {"abxab", "ab", 5, cfCaseSensitive, 4},  // would run past the end
      {"abxab", "ab", 99, cfCaseSensitive, 4},
      {"abxab", "AB", 0, cfCaseSensitive, 0},
      {"abxab", "AB", 0, cfIgnoreCase, 4},
      {"abxab", "", 0, cfCaseSensitive, 0},
      {"ab", "abc", 0, cfCaseSensitive, 0},
      {"aab", "ab", 1, cfCaseSensitive, 0},
      {"abcb", "b", 3, cfCaseSensitive, 2},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(BackPos(r.text, r.pattern, r.start, r.caseFlag), r.expected) << r.text << " " << r.start;
    EXPECT_EQ(SearchPos(r.pattern, r.text, r.start, false, r.caseFlag), r.expected) << r.text;
  }
}

TEST(StrTools, NthPosAndCountOfNeverOverlap) {
  const struct {
    const char* pattern;
    const char* text;
    int n;
    int nth;
  } nthRows[] = {
      {":", "a:", 2, 0},     {":", "a:", 1, 2},   {"aa", "aaaa", 2, 3}, {"aa", "aaaa", 3, 0},
      {"AB", "xabab", 2, 4},  // always case-insensitive
      {"a", "bab", 0, 2},    {"a", "bab", -5, 2}, {"", "abc", 1, 0},    {"a", "", 1, 0},
  };
  for (const auto& r : nthRows)
    EXPECT_EQ(NthPos(r.pattern, r.text, r.n), r.nth) << r.pattern << " in " << r.text;

  const struct {
    const char* pattern;
    const char* text;
    std::uint8_t caseFlag;
    int count;
  } countRows[] = {
      {"aa", "aaaa", cfCaseSensitive, 2}, {"aa", "aaaaa", cfCaseSensitive, 2},
      {"ab", "AbaB", cfIgnoreCase, 2},    {"ab", "AbaB", cfCaseSensitive, 0},
      {"", "abc", cfCaseSensitive, 0},    {"a", "", cfCaseSensitive, 0},
      {"x", "x", cfCaseSensitive, 1},
  };
  for (const auto& r : countRows)
    EXPECT_EQ(CountOf(r.pattern, r.text, r.caseFlag), r.count) << r.pattern << " in " << r.text;
}

TEST(StrTools, TrimSpacesByMode) {
  const struct {
    std::string text;
    int mode;
    std::string expected;
  } rows[] = {
      {"  a b  ", 0, "a b"},
      {"  a b  ", 1, "a b  "},
      {"  a b  ", 2, "  a b"},
      {"  a b  ", -1, "  a b  "},
      {"  a b  ", 7, "a b"},
      {"   ", 0, ""},
      {"   ", 1, " "},
      {"   ", 2, ""},
      {"   ", -1, "   "},
      {"", 0, ""},
      {"", 1, ""},
      {"\t a \t", 0, "\t a \t"},
      {" ", 1, " "},
      {"a", 0, "a"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(TrimSpaces(r.text, r.mode), r.expected) << "[" << r.text << "] " << r.mode;
}

TEST(StrTools, CuttingTexts) {
  const struct {
    std::string got;
    std::string expected;
  } rows[] = {
      {MidText("abc", 2, 5), "bc"},
      {MidText("abc", 5, 1), ""},
      {MidText("abc", 4, 1), ""},
      {MidText("abc", 0, 2), ""},
      {MidText("abc", 1, 0), ""},
      {MidText("abc", 1, 3), "abc"},
      {MidText("", 1, 1), ""},
      {LeftText("abc", 2), "ab"},
      {LeftText("abc", 3), "abc"},
      {LeftText("abc", 9), "abc"},
      {LeftText("abc", 0), ""},
      {LeftText("abc", -1), ""},
      {RightText("abc", 2), "bc"},
      {RightText("abc", 9), "abc"},
      {RightText("abc", -2), ""},
      {TextBefore(":", "Name:Value:x", 1), "Name"},
      {TextAfter(":", "Name:Value:x", 1), "Value:x"},
      {TextBefore(":", "Name:Value:x", 2), "Name:Value"},
      {TextAfter(":", "Name:Value:x", 2), "x"},
      {TextBefore(":", "NoColon", 1), "NoColon"},
      {TextAfter(":", "NoColon", 1), "NoColon"},
      {TextAfter(":", "Name:", 1), ""},
      {TextBefore(":", ":Value", 1), ""},
      {TextAfter("<>", "a<>b", 1), "b"},
      {TextBetween("x\"abc\"y", "\"", "\"", 1), "abc"},
      {TextBetween("x\"abc", "\"", "\"", 1), ""},
      {TextBetween("x\"\"y", "\"", "\"", 1), ""},  // the closing delimiter follows at once
      {TextBetween("abc", "\"", "\"", 1), "abc"},  // no opening delimiter: the whole text
      {TextBetween("a(b)c(d)e", "(", ")", 2), "d"},
      {TextBetween("a(b)c(d)e", "(", ")", 5), "d)e"},  // fewer than n: after the last opening one
      {TextBetween("a[B]", "[", "b", 1), ""},          // the closing search ignores case
      {TextBetween("x\"", "\"", "\"", 1), ""},
  };
  int row = 0;
  for (const auto& r : rows) EXPECT_EQ(r.got, r.expected) << "row " << row++;
}

TEST(StrTools, ElfHash) {
  const struct {
    std::string text;
    std::uint32_t hash;
  } rows[] = {
      {"", 0}, {"abc", 26499}, {"ABC", 17763}, {"AQ", 1121}, {"BA", 1121},
  };
  for (const auto& r : rows) EXPECT_EQ(ElfHash(r.text), r.hash) << r.text;
  // Long texts keep to 28 bits and agree with the textbook loop.
  std::string longText;
  for (int i = 0; i < 1000; ++i) longText += static_cast<char>(i * 37 + 11);
  std::uint32_t h = 0;
  for (unsigned char c : longText) {
    h = (h << 4) + c;
    std::uint32_t g = h & 0xF0000000u;
    if (g) h ^= g >> 24;
    h &= ~g;
  }
  EXPECT_EQ(ElfHash(longText), h);
  EXPECT_LT(ElfHash(longText), 1u << 28);
  EXPECT_LT(ElfHash("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff"s), 1u << 28);
}

TEST(StrTools, CopyBytesFirstToLast) {
  char buffer[] = "abcdef";
  CopyBytes(buffer, buffer + 1, 3);  // forward copy smears the first byte
  EXPECT_STREQ(buffer, "aaaaef");
  CopyBytes("xy", buffer, 0);
  EXPECT_STREQ(buffer, "aaaaef");
}

TEST(StrTools, EscapeControlBytesShowsThemAsHex) {
  const struct {
    std::string in;
    const char* out;
  } rows[] = {
      {"plain C:\\path", "plain C:\\path"},
      {"\x1b[2J\r\n\t", "\\x1b[2J\\x0d\\x0a\\x09"},
      {std::string("a\0b\x7f", 4), "a\\x00b\\x7f"},
      {"\xc6\xbd\xc3\xe6", "\xc6\xbd\xc3\xe6"},  // GBK and UTF-8 bytes stay
  };
  for (const auto& r : rows) EXPECT_EQ(EscapeControlBytes(r.in), r.out) << r.out;
}
