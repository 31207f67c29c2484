#include "dvTools/dvStrTools.h"

#include <algorithm>
#include <limits>

#include "dvTools/dvError.h"

namespace {

constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
  return table;
}

inline unsigned char Byte(char c) {
  return static_cast<unsigned char>(c);
}

inline unsigned char Folded(char c, bool sensitive) {
  return sensitive ? Byte(c) : UpperTable[Byte(c)];
}

// Texts longer than 2 GiB cannot carry a 32-bit position; the searches see only that much of them.
inline std::int32_t Length32(std::string_view s) {
  return static_cast<std::int32_t>(
      std::min<std::size_t>(s.size(), static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
}

}  // namespace

constinit const std::array<unsigned char, 256> UpperTable = MakeUpperTable();

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(UpperTable[Byte(c)]);
  return upper;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperTable[Byte(a[i])] != UpperTable[Byte(b[i])]) return false;
  return true;
}

void MakeBMTable(const char* pattern, std::int32_t patternLength, TBMTable& table, std::uint8_t caseFlag) {
  if (patternLength <= 0) throw EDVError("BufferLen is 0(MakeBMTable)");
  const bool sensitive = caseFlag == cfCaseSensitive;
  table.fill(patternLength);
  for (std::int32_t i = 0; i <= patternLength - 2; ++i)
    table[Folded(pattern[i], sensitive)] = patternLength - 1 - i;
  if (patternLength == 1) table[Folded(pattern[0], sensitive)] = 0;
}

const char* BMSearch(const char* text, const char* pattern, std::int32_t textLength, std::uint8_t caseFlag,
                     const TBMTable& table, std::int32_t patternLength) {
  if (patternLength <= 0) return nullptr;
  const bool sensitive = caseFlag == cfCaseSensitive;
  std::int64_t end = patternLength - 1;  // index of the byte under the window's end
  while (end < textLength) {
    std::int32_t i = patternLength - 1;
    std::int64_t t = end;
    while (i >= 0 && Folded(text[t], sensitive) == Folded(pattern[i], sensitive)) {
      --i;
      --t;
    }
    if (i < 0) return text + (end - patternLength + 1);
    // A one-byte pattern has the skip 0 only for its own byte, which cannot be the mismatching one.
    end += std::max<std::int32_t>(1, table[Folded(text[end], sensitive)]);
  }
  return nullptr;
}

std::int32_t BMPos(std::string_view text, std::string_view pattern, std::int32_t start,
                   std::uint8_t caseFlag) {
  if (start < 1) throw EDVError("Assertion failure (dvTools/dvStrTools)");
  const std::int32_t textLength = Length32(text);
  const std::int32_t patternLength = Length32(pattern);
  if (patternLength == 0 || patternLength > textLength || start > textLength) return 0;
  TBMTable table;
  MakeBMTable(pattern.data(), patternLength, table, caseFlag);
  const char* from = text.data() + (start - 1);
  const char* hit = BMSearch(from, pattern.data(), textLength - (start - 1), caseFlag, table, patternLength);
  return hit ? static_cast<std::int32_t>(hit - text.data()) + 1 : 0;
}

std::int32_t BackPos(std::string_view text, std::string_view pattern, std::int32_t start,
                     std::uint8_t caseFlag) {
  const std::int32_t textLength = Length32(text);
  const std::int32_t patternLength = Length32(pattern);
  if (patternLength == 0 || patternLength > textLength) return 0;
  const bool sensitive = caseFlag == cfCaseSensitive;
  std::int32_t candidate = start;
  if (start <= 0 || static_cast<std::int64_t>(start) + patternLength - 1 > textLength)
    candidate = textLength - patternLength + 1;
  for (; candidate >= 1; --candidate) {
    const char* at = text.data() + (candidate - 1);
    if (Folded(at[0], sensitive) != Folded(pattern[0], sensitive)) continue;
    std::int32_t i = patternLength - 1;
    while (i > 0 && Folded(at[i], sensitive) == Folded(pattern[i], sensitive)) --i;
    if (i == 0) return candidate;
  }
  return 0;
}

std::int32_t SearchPos(std::string_view pattern, std::string_view text, std::int32_t start, bool forward,
                       std::uint8_t caseFlag) {
  return forward ? BMPos(text, pattern, start, caseFlag) : BackPos(text, pattern, start, caseFlag);
}

std::int32_t NthPos(std::string_view pattern, std::string_view text, std::int32_t n) {
  const std::int32_t textLength = Length32(text);
  const std::int32_t patternLength = Length32(pattern);
  if (textLength == 0 || patternLength == 0) return 0;
  if (n < 1) n = 1;
  TBMTable table;
  MakeBMTable(pattern.data(), patternLength, table, cfIgnoreCase);
  std::int32_t from = 0;  // 0-based index where the next search begins
  for (std::int32_t found = 0;;) {
    const char* hit =
        BMSearch(text.data() + from, pattern.data(), textLength - from, cfIgnoreCase, table, patternLength);
    if (!hit) return 0;
    const auto at = static_cast<std::int32_t>(hit - text.data());
    if (++found == n) return at + 1;
    from = at + patternLength;
  }
}

std::int32_t CountOf(std::string_view pattern, std::string_view text, std::uint8_t caseFlag) {
  const std::int32_t textLength = Length32(text);
  const std::int32_t patternLength = Length32(pattern);
  if (textLength == 0 || patternLength == 0) return 0;
  TBMTable table;
  MakeBMTable(pattern.data(), patternLength, table, caseFlag);
  std::int32_t count = 0;
  std::int32_t from = 0;
  while (const char* hit = BMSearch(text.data() + from, pattern.data(), textLength - from, caseFlag, table,
                                    patternLength)) {
    ++count;
    from = static_cast<std::int32_t>(hit - text.data()) + patternLength;
  }
  return count;
}

std::string TrimSpaces(std::string_view text, std::int32_t mode) {
  if (text.empty() || mode == -1) return std::string(text);
  std::size_t first = 0;
  std::size_t last = text.size();  // one past the last byte kept
  if (mode != 2) {
    // The removal at the start stops before the last byte, so mode 1 keeps one space of an all-space text.
    while (first + 1 < text.size() && text[first] == ' ') ++first;
  }
  if (mode != 1) {
    while (last > first && text[last - 1] == ' ') --last;
  }
  return std::string(text.substr(first, last - first));
}

std::string MidText(std::string_view text, std::int32_t start, std::int32_t count) {
  if (text.empty() || start < 1 || count < 1) return {};
  const auto from = static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return {};
  return std::string(text.substr(from, static_cast<std::size_t>(count)));
}

std::string LeftText(std::string_view text, std::int32_t n) {
  if (n <= 0) return {};
  return std::string(text.substr(0, static_cast<std::size_t>(n)));
}

std::string RightText(std::string_view text, std::int32_t n) {
  if (n <= 0) return {};
  const auto count = static_cast<std::size_t>(n);
  if (count >= text.size()) return std::string(text);
  return std::string(text.substr(text.size() - count));
}

std::string TextBefore(std::string_view pattern, std::string_view text, std::int32_t n) {
  const std::int32_t p = NthPos(pattern, text, n);
  if (p == 0) return std::string(text);
  return LeftText(text, p - 1);
}

std::string TextAfter(std::string_view pattern, std::string_view text, std::int32_t n) {
  const std::int32_t p = NthPos(pattern, text, n);
  if (p == 0) return std::string(text);
  return RightText(text, Length32(text) - p - Length32(pattern) + 1);
}

std::string TextBetween(std::string_view text, std::string_view opening, std::string_view closing,
                        std::int32_t n) {
  const std::int32_t openings = CountOf(opening, text, cfIgnoreCase);
  if (openings == 0) return std::string(text);
  if (openings < n) {
    const std::int32_t last = NthPos(opening, text, openings);
    return RightText(text, Length32(text) - last - Length32(opening) + 1);
  }
  const std::int32_t start = NthPos(opening, text, n) + Length32(opening);
  if (start > Length32(text) || closing.empty()) return {};
  const std::int32_t end = SearchPos(closing, text, start, true, cfIgnoreCase);
  if (end <= start) return {};
  return MidText(text, start, end - start);
}

std::uint32_t ElfHash(std::string_view text) {
  std::uint32_t h = 0;
  for (char c : text) {
    h = (h << 4) + Byte(c);
    if (const std::uint32_t high = h & 0xF0000000u) {
      h ^= high >> 24;
      h &= ~0xF0000000u;
    }
  }
  return h;
}

void CopyBytes(const char* source, char* destination, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) destination[i] = source[i];
}

std::string EscapeControlBytes(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out += c;
      continue;
    }
    const char escaped[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xF]};
    out.append(escaped, sizeof escaped);
  }
  return out;
}
