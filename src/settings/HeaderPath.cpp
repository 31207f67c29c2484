#include "settings/HeaderPath.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct TGbkCode {
  std::uint16_t CodePoint;
  std::uint16_t Bytes;  // below 0x100: one byte
};

constexpr TGbkCode kGbk[] = {
#include "settings/GbkTable.inc"
};

static_assert(std::is_sorted(std::begin(kGbk), std::end(kGbk),
                             [](const TGbkCode& a, const TGbkCode& b) { return a.CodePoint < b.CodePoint; }));

void AppendGbk(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
    return;
  }
  const auto* hit = c > 0xFFFF
                        ? std::end(kGbk)
                        : std::lower_bound(std::begin(kGbk), std::end(kGbk), c,
                                           [](const TGbkCode& e, char32_t v) { return e.CodePoint < v; });
  if (hit == std::end(kGbk) || hit->CodePoint != c) {
    out += '?';
  } else if (hit->Bytes < 0x100) {
    out += static_cast<char>(hit->Bytes);
  } else {
    out += static_cast<char>(hit->Bytes >> 8);
    out += static_cast<char>(hit->Bytes & 0xFF);
  }
}

// The length of the well-formed UTF-8 sequence at the start of `s` and its code point; 0 when the first
// byte starts none (a stray continuation byte, an overlong form, a surrogate, a cut-off sequence).
std::size_t DecodeUtf8(std::string_view s, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    c = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i) & 0x3F);
  }
  if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string HeaderPathBytes(std::u32string_view path) {
  std::string out;
  out.reserve(path.size() * 2);
  for (const char32_t c : path) AppendGbk(out, c);
  return out;
}

std::string HeaderPathBytesOfUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8(utf8, c);
    if (length == 0) {
      out += '?';
      utf8.remove_prefix(1);
    } else {
      AppendGbk(out, c);
      utf8.remove_prefix(length);
    }
  }
  return out;
}
