#pragma once
// File names are UTF-8 text throughout the program; a std::filesystem::path holds them in the system's
// own form: the same bytes on Linux, UTF-16 on Windows. A path built straight from a std::string on
// Windows would read the bytes in the ANSI code page instead, and string() would throw for a name it
// cannot show there. These two convert both ways without loss.

#include <filesystem>
#include <string>
#include <string_view>

[[nodiscard]] inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

[[nodiscard]] inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
