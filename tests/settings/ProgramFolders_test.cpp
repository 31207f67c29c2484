// Where a portable and an installed copy keep Skimplane.ini and Skimplane.reg and find their packs.

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "FakeSettingsWindow.h"
#include "TempDir.h"
#include "TestSupport.h"
#include "dvTools/dvError.h"
#include "settings/ProgramFolders.h"
#include "settings/LanguagePack.h"
#include "settings/Settings.h"

namespace fs = std::filesystem;

namespace {

const std::string kPack =
    "Option:[%RootKey%]\r\n[%\r\n  FontName:Serif\r\n%]\r\nLang:[%RootKey%]\r\n[%\r\n  Sheet1:Face\r\n%]\r\n";

// Runs `body` in a child process as an ordinary user: "nobody" when the tests run as root (root may write
// every folder, so a read-only folder could not be seen otherwise), else the user itself. The child's
// result is whether `body` returned true; nothing when no such user can be had.
std::optional<bool> AsOrdinaryUser(const std::function<bool()>& body) {
  uid_t uid = ::getuid();
  gid_t gid = ::getgid();
  if (uid == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) return std::nullopt;
    uid = nobody->pw_uid;
    gid = nobody->pw_gid;
  }
  const pid_t child = ::fork();
  if (child == 0) {
    if (::getuid() == 0 && (::setgid(gid) != 0 || ::setuid(uid) != 0)) ::_exit(3);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return std::nullopt;
  return WEXITSTATUS(status) == 0;
}

uid_t OrdinaryUid() {
  if (::getuid() != 0) return ::getuid();
  const passwd* nobody = ::getpwnam("nobody");
  return nobody ? nobody->pw_uid : 0;
}

}  // namespace

TEST(ProgramFolders, AWritableFolderKeepsItsFilesAnInstalledOneUsesTheUsersFolder) {
  const struct {
    const char* exe;
    bool writable;
    const char* xdg;
    const char* home;
    const char* settings;
  } rows[] = {
      {"/opt/skim/", true, "/x/cfg", "/home/u", "/opt/skim/"},
      {"/opt/skim", true, nullptr, nullptr, "/opt/skim/"},
      {"/usr/bin/", false, "/x/cfg", "/home/u", "/x/cfg/Skimplane/"},
      {"/usr/bin/", false, "/x/cfg/", "/home/u", "/x/cfg/Skimplane/"},
      {"/usr/bin/", false, nullptr, "/home/u", "/home/u/.config/Skimplane/"},
      {"/usr/bin/", false, "", "/home/u/", "/home/u/.config/Skimplane/"},
      // A relative XDG_CONFIG_HOME is not to be used.
      {"/usr/bin/", false, "cfg", "/home/u", "/home/u/.config/Skimplane/"},
      // Nowhere else to go: beside the executable, where the exit reports that it cannot write.
      {"/usr/bin/", false, nullptr, nullptr, "/usr/bin/"},
      {"/usr/bin/", false, nullptr, "", "/usr/bin/"},
  };
  for (const auto& r : rows) {
    const TProgramFolders f = ProgramFoldersFor(r.exe, r.writable, r.xdg, r.home);
    EXPECT_EQ(f.Settings, r.settings)
        << r.exe << " " << (r.xdg ? r.xdg : "-") << " " << (r.home ? r.home : "-");
    EXPECT_EQ(f.InstalledData,
              std::string(r.exe) + (std::string(r.exe).back() == '/' ? "" : "/") + "../share/skimplane/");
  }
}

TEST(ProgramFolders, AFolderTheUserMayNotWriteIsSeenAsSuch) {
  TempDir dir;
  const fs::path open = dir / "open";
  const fs::path locked = dir / "locked";
  const fs::path own = dir / "own";
  fs::create_directories(open);
  fs::create_directories(locked);
  fs::create_directories(own);
  fs::permissions(open, fs::perms::all);
  fs::permissions(locked, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  ASSERT_EQ(::chown(own.c_str(), OrdinaryUid(), static_cast<gid_t>(-1)), 0);
  if (::getuid() != 0) fs::permissions(locked, fs::perms::owner_write, fs::perm_options::remove);
  const struct {
    fs::path folder;
    bool writable;
  } rows[] = {{open, true}, {own, true}, {locked, false}, {dir / "missing", false}};
  for (const auto& r : rows) {
    const auto seen = AsOrdinaryUser([&] { return FolderIsWritable(r.folder); });
    if (!seen) GTEST_SKIP() << "no ordinary user to run as (no user nobody)";
    EXPECT_EQ(*seen, r.writable) << r.folder;
  }
  // The whole choice as the program makes it, from the real permissions and the environment.
  const auto chosen = AsOrdinaryUser([&] {
    ::setenv("XDG_CONFIG_HOME", (own / "cfg").c_str(), 1);
    return ProgramFolders(locked.string()).Settings == (own / "cfg/Skimplane/").string() &&
           ProgramFolders(own.string()).Settings == own.string() + "/";
  });
  ASSERT_TRUE(chosen.has_value());
  EXPECT_TRUE(*chosen);
}

TEST(ProgramFolders, APackIsLookedForBesideTheExecutableThenAmongTheInstalledFiles) {
  enum { kNowhere = 0, kBeside = 1, kInstalled = 2 };
  const struct {
    int present;
    bool installedGiven;
    int found;  // where the file named is; kNowhere: the path beside the executable
  } rows[] = {
      {kBeside, true, kBeside},   {kInstalled, true, kInstalled}, {kBeside | kInstalled, true, kBeside},
      {kNowhere, true, kNowhere}, {kInstalled, false, kNowhere},
  };
  for (const auto& r : rows) {
    TempDir dir;
    const fs::path exe = dir / "bin";
    const fs::path share = dir / "share/skimplane";
    fs::create_directories(exe / "packs");
    fs::create_directories(share / "packs");
    if (r.present & kBeside) WriteBytes(exe / "packs/English.lng", kPack);
    if (r.present & kInstalled) WriteBytes(share / "packs/English.lng", kPack);
    TSettingsPlace place{exe.string(), '.', "",
                         r.installedGiven ? (dir / "bin/../share/skimplane").string() : ""};
    const fs::path file = LanguagePackFile(place, "packs\\English.lng");
    const fs::path expected =
        r.found == kInstalled ? dir / "bin/../share/skimplane/packs/English.lng" : exe / "packs/English.lng";
    EXPECT_EQ(file, expected) << r.present << r.installedGiven;
  }
}

TEST(ProgramFolders, AnInstalledCopyLoadsAndStoresInTheUsersFolder) {
  TempDir dir;
  const fs::path exe = dir / "usr/bin";
  const fs::path share = dir / "usr/share/skimplane";
  const fs::path user = dir / "home/.config/Skimplane";
  fs::create_directories(exe);
  fs::create_directories(share / "packs");
  WriteBytes(share / "packs/English.lng", kPack);
  const TSettingsPlace place{exe.string(), '.', user.string(), (exe / "../share/skimplane").string()};

  // First start: no file anywhere, nothing happens. First exit: the user's folder is made, private.
  TFakeSettingsWindow window;
  EXPECT_EQ(ErrorOf([&] { LoadSettings(window, place); }), "");
  EXPECT_EQ(ErrorOf([&] { SaveSettings(window, place); }), "");
  ASSERT_TRUE(fs::exists(user / "Skimplane.ini"));
  EXPECT_EQ(fs::status(user).permissions(), fs::perms::owner_all);
  EXPECT_FALSE(fs::exists(exe / "Skimplane.ini"));

  // The user names a pack: it is found among the installed files.
  const std::string stored = ReadBytes(user / "Skimplane.ini");
  WriteBytes(user / "Skimplane.ini",
             stored.substr(0, stored.rfind("%]")) + "  Lang:packs\\English.lng\r\n%]\r\n");
  TFakeSettingsWindow restarted;
  EXPECT_EQ(ErrorOf([&] { LoadSettings(restarted, place); }), "");
  EXPECT_EQ(restarted.fontName, "Serif");
  EXPECT_EQ(restarted.Pages().front(), "Face");

  // A pack found nowhere is reported with the path beside the executable, the first place looked in.
  fs::remove(share / "packs/English.lng");
  TFakeSettingsWindow missing;
  EXPECT_EQ(ErrorOf([&] { LoadSettings(missing, place); }),
            "Ini file:" + (exe / "packs/English.lng").string() + " not found.");
}
