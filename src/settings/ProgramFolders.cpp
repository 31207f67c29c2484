#include "settings/ProgramFolders.h"

#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

bool Absolute(const char* path) {
  return path && path[0] == '/';
}

}  // namespace

bool FolderIsWritable(const std::filesystem::path& folder) {
#ifdef _WIN32
  return ::_waccess(folder.c_str(), 2) == 0;
#else
  // Creating a file needs both the right to write the folder and to search it.
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

std::string UserSettingsFolder(const char* xdgConfigHome, const char* home) {
  // A relative XDG_CONFIG_HOME is invalid and is to be ignored.
  if (Absolute(xdgConfigHome)) return WithSlash(xdgConfigHome) + kUserSettingsFolderName + '/';
  if (home && home[0] != '\0') return WithSlash(home) + ".config/" + kUserSettingsFolderName + '/';
  return {};
}

TProgramFolders ProgramFoldersFor(const std::string& exeFolder, bool exeFolderWritable,
                                  const char* xdgConfigHome, const char* home) {
  TProgramFolders folders;
  const std::string exe = WithSlash(exeFolder);
  folders.Settings = exe;
  if (!exeFolderWritable) {
    const std::string user = UserSettingsFolder(xdgConfigHome, home);
    if (!user.empty()) folders.Settings = user;
  }
  folders.InstalledData = exe + "../share/skimplane/";
  return folders;
}

TProgramFolders ProgramFolders(const std::string& exeFolder) {
  return ProgramFoldersFor(exeFolder, FolderIsWritable(exeFolder), std::getenv("XDG_CONFIG_HOME"),
                           std::getenv("HOME"));
}
