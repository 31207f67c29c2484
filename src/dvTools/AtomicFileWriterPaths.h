#pragma once
// Inside the safe file writer: the path rules both systems' halves share. Not for other callers.

#include <cstddef>
#include <filesystem>
#include <string>

namespace dvFileWriting {

// The absolute, normalised form of a path (the system's half: Windows keeps device names as they are).
[[nodiscard]] std::filesystem::path FullPath(const std::filesystem::path& p);

// Replacing a link would cut it: the file it names is written instead, also when that does not exist yet.
[[nodiscard]] std::filesystem::path FollowLinks(std::filesystem::path p);

// ".NAME.tmpXXXXXX": hidden, beside the target, and never longer than a name may be (maxNameUnits, in
// the system's path characters), so a target whose own name is at the limit still gets one.
[[nodiscard]] std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target,
                                                        std::size_t maxNameUnits, unsigned processId);

// "Cannot create file \"<full path>\". <reason>"
[[nodiscard]] std::string CannotCreateFile(const std::filesystem::path& target, int errorNumber);

}  // namespace dvFileWriting
