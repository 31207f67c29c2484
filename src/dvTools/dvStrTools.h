#pragma once
// Byte-string tools: Boyer-Moore-Horspool search (also case-insensitive), n-th and last occurrence,
// occurrence counts, trimming of spaces, cutting before/after/between delimiters and the 28-bit ELF hash.
// Positions are 1-based; 0 means "not found". Occurrences never overlap: after a match the search goes
// on at the byte after it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Every case-insensitive comparison maps both bytes through this table first. ASCII letters are
// upper-cased, every other byte maps to itself. Read-only; ready before any code runs.
extern const std::array<unsigned char, 256> UpperTable;

// The text with its ASCII letters upper-cased through UpperTable, and the comparison of two texts that
// way: the one rule for every name compared without regard to case.
[[nodiscard]] std::string UpperCase(std::string_view text);
[[nodiscard]] bool SameText(std::string_view a, std::string_view b);

// Case flag: 1 compares bytes as they are, every other value compares through UpperTable.
constexpr std::uint8_t cfCaseSensitive = 1;
constexpr std::uint8_t cfIgnoreCase = 0;

using TBMTable = std::array<std::int32_t, 256>;

// Fills the skip table for one pattern. Raises EDVError "BufferLen is 0(MakeBMTable)" for length 0.
void MakeBMTable(const char* pattern, std::int32_t patternLength, TBMTable& table, std::uint8_t caseFlag);

// The first byte of the first match in text[0, textLength), or nullptr.
const char* BMSearch(const char* text, const char* pattern, std::int32_t textLength, std::uint8_t caseFlag,
                     const TBMTable& table, std::int32_t patternLength);

// The first match starting at or after `start`. A start below 1 is the caller's error and raises EDVError.
[[nodiscard]] std::int32_t BMPos(std::string_view text, std::string_view pattern, std::int32_t start,
                                 std::uint8_t caseFlag);
// The last match starting at or before `start` (0 = from the end).
[[nodiscard]] std::int32_t BackPos(std::string_view text, std::string_view pattern, std::int32_t start,
                                   std::uint8_t caseFlag);
[[nodiscard]] std::int32_t SearchPos(std::string_view pattern, std::string_view text, std::int32_t start,
                                     bool forward, std::uint8_t caseFlag);
// The n-th occurrence, always case-insensitive; an n below 1 counts as 1.
[[nodiscard]] std::int32_t NthPos(std::string_view pattern, std::string_view text, std::int32_t n);
[[nodiscard]] std::int32_t CountOf(std::string_view pattern, std::string_view text, std::uint8_t caseFlag);

// Removes spaces (byte 32 only): mode 1 at the start, 2 at the end, -1 nowhere, any other at both ends.
[[nodiscard]] std::string TrimSpaces(std::string_view text, std::int32_t mode);

[[nodiscard]] std::string MidText(std::string_view text, std::int32_t start, std::int32_t count);
[[nodiscard]] std::string LeftText(std::string_view text, std::int32_t n);
[[nodiscard]] std::string RightText(std::string_view text, std::int32_t n);
// The text before / after the n-th (case-insensitive) occurrence of the pattern; the whole text without one.
[[nodiscard]] std::string TextBefore(std::string_view pattern, std::string_view text, std::int32_t n);
[[nodiscard]] std::string TextAfter(std::string_view pattern, std::string_view text, std::int32_t n);
// The text after the n-th opening delimiter up to the next closing delimiter.
[[nodiscard]] std::string TextBetween(std::string_view text, std::string_view opening,
                                      std::string_view closing, std::int32_t n);

// The ELF object-file hash: below 2^28.
[[nodiscard]] std::uint32_t ElfHash(std::string_view text);

void CopyBytes(const char* source, char* destination, std::size_t count);

// The text for a message: control bytes (0 to 31 and 127) as \xNN, so that a name or a line from a file
// can neither break the message's line nor send a terminal an escape sequence. Other bytes stay, so GBK
// and UTF-8 text reads as it was.
[[nodiscard]] std::string EscapeControlBytes(std::string_view text);
