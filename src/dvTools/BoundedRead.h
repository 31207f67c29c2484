#pragma once
// The project's one way to read a whole file: only a regular file is read, and only up to a size limit,
// so a name that points at a device, a pipe or a runaway file can neither block the program nor fill its
// memory. Used by the INI reader (settings, language packs) and the registry hive file.

#include <cstddef>
#include <filesystem>
#include <string>

// Far above any settings file, language pack or hive (a few KiB each).
inline constexpr std::size_t kMaxReadFileBytes = std::size_t{16} << 20;

// Reads the whole file. Raises EDVError "Cannot open file \"<path>\". <reason>" when it cannot be opened,
// is a folder ("Is a directory") or anything else but a regular file ("Not a regular file"), or is larger
// than `maxBytes` ("Larger than the limit of 16 MiB (16777216 bytes)"); "Stream read error" when reading
// fails half way.
[[nodiscard]] std::string ReadRegularFile(const std::filesystem::path& path,
                                          std::size_t maxBytes = kMaxReadFileBytes);
