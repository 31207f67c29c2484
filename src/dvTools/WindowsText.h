#pragma once
// Windows only: UTF-8 text to the system's UTF-16 and back, and the C library's error number for a
// system error code, so that messages read the same on every system.

#include <string>
#include <string_view>

[[nodiscard]] std::wstring WideFromUtf8(std::string_view utf8);
[[nodiscard]] std::string Utf8FromWide(std::wstring_view wide);

// ERROR_ACCESS_DENIED gives EACCES, ERROR_DISK_FULL ENOSPC, and so on; an unknown code gives EIO.
[[nodiscard]] int ErrnoOfSystemError(unsigned long error);
