#pragma once
// Where the program keeps its files and finds its language packs.
//
// A copy of the program in a folder of its own (a build tree, an unpacked archive, a USB stick) keeps
// Skimplane.ini and Skimplane.reg beside the executable, as it always has. Installed into a folder the
// user may not write (/usr/bin), it could never store them there: every exit would fail. Such a copy
// keeps them in the user's configuration folder instead. Language packs are looked up beside the
// executable first, then among the installed program's shared files.

#include <filesystem>
#include <string>

// The folder below the configuration folder that holds the program's files.
inline constexpr const char* kUserSettingsFolderName = "Skimplane";

struct TProgramFolders {
  // Where Skimplane.ini and Skimplane.reg lie, with a trailing '/'.
  std::string Settings;
  // Where a language pack that is not beside the executable is looked for, with a trailing '/': the
  // installed program's share/skimplane/, so a name such as packs\English.lng finds its shipped pack.
  std::string InstalledData;
};

// True when the current user may create files in `folder` (false when it is missing). Real permissions
// are asked, so a read-only file system and a root-owned folder both count as not writable.
[[nodiscard]] bool FolderIsWritable(const std::filesystem::path& folder);

// The user's folder for the program's settings: $XDG_CONFIG_HOME/Skimplane/ when that variable holds an
// absolute path, else $HOME/.config/Skimplane/. Empty when neither can be formed. Nothing is created.
[[nodiscard]] std::string UserSettingsFolder(const char* xdgConfigHome, const char* home);

// The folders for an executable in `exeFolder` (bytes, trailing '/' or not): the executable's own when
// `exeFolderWritable` or when no user folder can be formed, else the user's. InstalledData is always
// exeFolder/../share/skimplane/.
[[nodiscard]] TProgramFolders ProgramFoldersFor(const std::string& exeFolder, bool exeFolderWritable,
                                                const char* xdgConfigHome, const char* home);

// The same for this process: the executable folder's real permissions and the environment.
[[nodiscard]] TProgramFolders ProgramFolders(const std::string& exeFolder);
