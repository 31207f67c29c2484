// The real skimplane executable on a real X display (Xvfb) with a small window manager (openbox), driven
// as a user drives it: mouse clicks on its buttons and boxes, its files read afterwards. Each run copies the
// executable into a folder of its own, since the program keeps its files beside itself.

#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "TempDir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

constexpr const char* kMainTitle = "^Skimplane v1";
constexpr const char* kBoxTitle = "^Skimplane$";

// What a shell command prints, without its last line end.
std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
    ::pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

pid_t Spawn(const std::vector<std::string>& args, const fs::path& folder = fs::current_path(),
            const std::function<void()>& inChild = {}) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(120);
    ::setpgid(0, 0);
    if (inChild) inChild();
    // The suite runs on the offscreen platform; the program under test runs on the display.
    ::unsetenv("QT_QPA_PLATFORM");
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(121);
  }
  return child;
}

// The exit code, or nothing when the process is still running after `limit`.
std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(50ms);
  }
  return std::nullopt;
}

void Stop(pid_t pid) {
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

// An X display with a window manager, for every test of this file.
class DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Output("command -v Xvfb").empty() || Output("command -v openbox").empty() ||
        Output("command -v xdotool").empty())
      return;
    static TempDir ready;
    int fds[2];
    if (::pipe(fds) != 0) return;
    xvfb_ = Spawn(
        {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    ::close(fds[1]);
    char number[16] = {};
    const ssize_t n = ::read(fds[0], number, sizeof number - 1);
    ::close(fds[0]);
    if (n <= 0) return;
    display_ = ":" + std::string(number, static_cast<size_t>(n - (number[n - 1] == '\n' ? 1 : 0)));
    ::setenv("DISPLAY", display_.c_str(), 1);
    const fs::path started = ready / "wm-ready";
    openbox_ = Spawn({"openbox", "--sm-disable", "--startup", "touch " + started.string()});
    for (int i = 0; i < 200 && !fs::exists(started); ++i) std::this_thread::sleep_for(50ms);
  }
  static void TearDownTestSuite() {
    if (openbox_ > 0) Stop(openbox_);
    if (xvfb_ > 0) Stop(xvfb_);
  }
  void SetUp() override {
    if (display_.empty()) GTEST_SKIP() << "no Xvfb, openbox or xdotool on this machine";
    fs::copy_file(fs::path(SKIMPLANE_BIN_DIR) / "skimplane", dir / "skimplane");
    fs::create_directories(dir / "packs");
    for (const auto& e : fs::directory_iterator(fs::path(SKIMPLANE_BIN_DIR) / "packs"))
      fs::copy_file(e.path(), dir / "packs" / e.path().filename());
  }
  void TearDown() override {
    if (program_ > 0) Stop(program_);
  }

  void Start() { program_ = Spawn({(dir / "skimplane").string()}, dir.path()); }
  std::optional<int> Exited() {
    const auto rc = WaitFor(program_, 20s);
    if (rc) program_ = -1;
    return rc;
  }
  // The id of the visible window whose title matches, once it is there ("" after 20 s without it).
  static std::string Window(const char* title) {
    return Output(std::string("timeout 20 xdotool search --sync --onlyvisible --name '") + title +
                  "' | head -n 1");
  }
  static void Click(const std::string& window, int x, int y) {
    std::system(("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y) +
                 " click 1")
                    .c_str());
  }
  // The ways a user gets rid of a box: its OK button (in its bottom right corner), the Enter key, or the
  // window manager's close (Alt+F4 here).
  enum class TAnswer { OkButton, EnterKey, FrameClose };
  static void AnswerBox(const std::string& box, TAnswer answer = TAnswer::OkButton) {
    const std::string size = Output("xdotool getwindowgeometry " + box + " | sed -n 's/.*Geometry: //p'");
    const int w = std::stoi(size.substr(0, size.find('x')));
    const int h = std::stoi(size.substr(size.find('x') + 1));
    if (answer == TAnswer::OkButton) {
      Click(box, w - 50, h - 20);
    } else {
      // The keyboard goes to the box once the window manager has made it the active window.
      for (int i = 0; i < 50 && Output("xdotool getactivewindow 2>/dev/null") != box; ++i) {
        if (i % 10 == 0) Click(box, 20, 20);
        std::this_thread::sleep_for(100ms);
      }
      std::system(answer == TAnswer::EnterKey ? "xdotool key Return" : "xdotool key alt+F4");
    }
    // The box is gone before the user goes on.
    for (int i = 0; i < 100 && Shown(box); ++i) std::this_thread::sleep_for(50ms);
  }
  static bool Shown(const std::string& window) {
    return Output("xdotool search --onlyvisible --name '.' 2>/dev/null | grep -x " + window).size() > 0;
  }
  static void PressClose(const std::string& window) { Click(window, 376 + 37, 372 + 12); }
  static std::string Geometry(const std::string& window) {
    return Output("xdotool getwindowgeometry " + window + " | tail -n 2 | tr -s ' \\n' ' '");
  }

  // "X Y W H" of a window on the screen, as the X server places it.
  static std::string Placement(const std::string& window) {
    return Output("xwininfo -id " + window +
                  " | sed -n 's/^ *\\(Absolute upper-left [XY]\\|Width\\|Height\\): *//p' | tr '\\n' ' '");
  }
  // The window manager's frame around a program's window: its ancestor just below the root window.
  static std::string Frame(const std::string& window) {
    std::string frame = window;
    for (int depth = 0; depth < 8; ++depth) {
      const std::string parent = Output("xwininfo -children -id " + frame + " | grep 'Parent window id:'");
      if (parent.empty() || parent.find("(the root window)") != std::string::npos) break;
      const auto id = parent.find("0x");
      if (id == std::string::npos) break;
      frame = parent.substr(id, parent.find(' ', id) - id);
    }
    return frame;
  }

  TempDir dir;
  static inline std::string display_;
  static inline pid_t xvfb_ = -1;
  static inline pid_t openbox_ = -1;
  pid_t program_ = -1;
};

// Whether UTF-8 text holds a Chinese character (the CJK ideographs U+4000 to U+9FFF lead with E4 to E9).
bool HasHan(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0xE4 && b <= 0xE9;
  });
}

}  // namespace

TEST_F(DesktopTest, CloseStoresTheEntriesAndThePosition) {
  Start();
  const std::string window = Window(kMainTitle);
  ASSERT_FALSE(window.empty());
  PressClose(window);
  EXPECT_EQ(Exited(), 0);
  EXPECT_EQ(ReadBytes(dir / "Skimplane.ini"),
            ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / "settings/first-exit.ini"));
  EXPECT_TRUE(fs::exists(dir / "Skimplane.reg"));
}

TEST_F(DesktopTest, AnErrorBoxAtStartIsFollowedByTheBoxAtExit) {
  // An empty settings file: nothing can be read at start, nothing stored at exit, and both are told.
  for (const TAnswer answer : {TAnswer::OkButton, TAnswer::EnterKey, TAnswer::FrameClose}) {
    SCOPED_TRACE(static_cast<int>(answer));
    WriteBytes(dir / "Skimplane.ini", "");
    Start();
    const std::string startBox = Window(kBoxTitle);
    ASSERT_FALSE(startBox.empty());
    AnswerBox(startBox, answer);
    const std::string window = Window(kMainTitle);
    ASSERT_FALSE(window.empty());
    std::this_thread::sleep_for(500ms);
    ASSERT_EQ(::waitpid(program_, nullptr, WNOHANG), 0) << "the program ended after the start box";
    PressClose(window);
    const std::string exitBox = Window(kBoxTitle);
    ASSERT_FALSE(exitBox.empty()) << "no box at exit";
    AnswerBox(exitBox, answer);
    EXPECT_EQ(Exited(), 0);
    EXPECT_EQ(ReadBytes(dir / "Skimplane.ini"), "");
  }
}

TEST_F(DesktopTest, ASettingsFileThatCannotBeReadWholeKeepsItsBytesThroughStartAndClose) {
  // The user's diameter 8, 4 layers and feed 300 stand after a NUL byte or beside an entry that cannot
  // be read: the window opens with its design values for them and must not store those at exit.
  const std::string entries = "  Knit:8\r\n  Layer:4\r\n  Fro:300\r\n%]\r\n";
  const std::string rows[] = {
      "Option:[%RootKey%]\r\n[%\r\n  Length:90\0\r\n"s + entries,
      "Option:[%RootKey%]\r\n[%\r\n  Length:90\r\n  Width:abc\r\n" + entries,
  };
  for (const std::string& file : rows) {
    SCOPED_TRACE(file.substr(25, 12));
    WriteBytes(dir / "Skimplane.ini", file);
    Start();
    const std::string startBox = Window(kBoxTitle);
    ASSERT_FALSE(startBox.empty()) << "no box at start";
    AnswerBox(startBox);
    const std::string window = Window(kMainTitle);
    ASSERT_FALSE(window.empty());
    PressClose(window);
    const std::string exitBox = Window(kBoxTitle);
    ASSERT_FALSE(exitBox.empty()) << "no box at exit";
    AnswerBox(exitBox);
    EXPECT_EQ(Exited(), 0);
    EXPECT_EQ(ReadBytes(dir / "Skimplane.ini"), file);
  }
}

TEST_F(DesktopTest, APacksFontChangesThePixelsOfThePage) {
  const auto pagePixels = [this](const char* font) {
    WriteBytes(dir / "p.lng", "Option:[%RootKey%]\r\n[%\r\n  FontName:" + std::string(font) +
                                  "\r\n  Charset:ANSI_CHARSET\r\n%]\r\nLang:[%RootKey%]\r\n[%\r\n%]\r\n");
    WriteBytes(dir / "Skimplane.ini", "Option:[%RootKey%]\r\n[%\r\n  Lang:p.lng\r\n%]\r\n");
    fs::remove(dir / "Skimplane.reg");
    Start();
    const std::string window = Window(kMainTitle);
    EXPECT_FALSE(window.empty());
    std::this_thread::sleep_for(700ms);
    // The window's contents only (no frame), as the X server holds them.
    const std::string shot = (dir / "shot.xwd").string();
    std::system(("xwd -silent -id " + window + " > " + shot).c_str());
    const std::string pixels = ReadBytes(shot);
    PressClose(window);
    EXPECT_EQ(Exited(), 0);
    return pixels;
  };
  const std::string serif = pagePixels("DejaVu Serif");
  const std::string sans = pagePixels("DejaVu Sans");
  const std::string serifAgain = pagePixels("DejaVu Serif");
  ASSERT_GT(serif.size(), 463u * 408u * 3u);
  EXPECT_EQ(serif.size(), sans.size());
  EXPECT_NE(serif, sans);
  EXPECT_EQ(serif, serifAgain);  // the difference is the font's, not chance
}

TEST_F(DesktopTest, TheWindowReopensWhereItWasLeftWithoutDrifting) {
  Start();
  std::string window = Window(kMainTitle);
  ASSERT_FALSE(window.empty());
  std::system(("xdotool windowmove --sync " + window + " 120 90").c_str());
  std::this_thread::sleep_for(300ms);
  const std::string left = Geometry(window);
  PressClose(window);
  ASSERT_EQ(Exited(), 0);
  for (int run = 1; run <= 3; ++run) {
    Start();
    window = Window(kMainTitle);
    ASSERT_FALSE(window.empty());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(Geometry(window), left) << "run " << run;
    PressClose(window);
    ASSERT_EQ(Exited(), 0);
  }
}

// Left and Top are the frame's corner (title bar and border included), as they are on Windows: the
// stored numbers are where the frame was, and the reopened frame lands there, not the window inside it.
TEST_F(DesktopTest, TheFrameLandsWhereItWasClosedAndTheStoredPlaceIsTheFrames) {
  Start();
  std::string window = Window(kMainTitle);
  ASSERT_FALSE(window.empty());
  std::system(("xdotool windowmove --sync " + window + " 150 130").c_str());
  std::this_thread::sleep_for(300ms);
  const std::string frame = Placement(Frame(window));
  ASSERT_NE(frame, Placement(window)) << "the window manager gives the window no frame";
  int left = 0, top = 0;
  ASSERT_EQ(std::sscanf(frame.c_str(), "%d %d", &left, &top), 2) << frame;
  PressClose(window);
  ASSERT_EQ(Exited(), 0);
  char stored[64];
  std::snprintf(stored, sizeof stored, "\"Left\"=dword:%08x\r\n\"Top\"=dword:%08x\r\n",
                static_cast<unsigned>(left), static_cast<unsigned>(top));
  EXPECT_NE(ReadBytes(dir / "Skimplane.reg").find(stored), std::string::npos)
      << ReadBytes(dir / "Skimplane.reg") << "frame: " << frame;

  Start();
  window = Window(kMainTitle);
  ASSERT_FALSE(window.empty());
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Placement(Frame(window)), frame);
  PressClose(window);
  EXPECT_EQ(Exited(), 0);
}

TEST_F(DesktopTest, AnInstalledCopyKeepsItsFilesInTheUsersFolder) {
  // The layout of a package: usr/bin with the program, usr/share/skimplane/packs with the packs. The user
  // may not write usr/bin: as root the program runs as "nobody", otherwise the folder is made read-only.
  const fs::path bin = dir / "usr/bin";
  const fs::path packs = dir / "usr/share/skimplane/packs";
  const fs::path home = dir / "home";
  fs::create_directories(bin);
  fs::create_directories(packs);
  fs::create_directories(home);
  fs::rename(dir / "skimplane", bin / "skimplane");
  for (const auto& e : fs::directory_iterator(dir / "packs"))
    fs::copy_file(e.path(), packs / e.path().filename());
  fs::remove_all(dir / "packs");
  uid_t uid = ::getuid();
  gid_t gid = ::getgid();
  if (uid == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) GTEST_SKIP() << "running as root and there is no user nobody to run the program as";
    uid = nobody->pw_uid;
    gid = nobody->pw_gid;
    ASSERT_EQ(::chown(home.c_str(), uid, gid), 0);
  } else {
    fs::permissions(bin, fs::perms::owner_write, fs::perm_options::remove);
  }
  // The user's settings name a pack that exists only among the installed program's files.
  const fs::path config = home / ".config/Skimplane";
  fs::create_directories(config);
  {
    std::ofstream ini(config / "Skimplane.ini", std::ios::binary);
    ini << "Option:[%RootKey%]\r\n[%\r\n  Lang:packs\\English.lng\r\n%]\r\n";
  }
  for (const fs::path& p : {home / ".config", config, config / "Skimplane.ini"})
    ASSERT_EQ(::chown(p.c_str(), uid, gid), 0);
  const bool root = ::getuid() == 0;
  // Under the sanitizers the leak suppressions lie in the source tree, which the other user may not be
  // allowed to read: that user gets a copy of its own.
  std::string leakOptions;
  if (const char* options = std::getenv("LSAN_OPTIONS")) {
    leakOptions = options;
    const std::string key = "suppressions=";
    if (const auto at = leakOptions.find(key); at != std::string::npos) {
      const auto from = at + key.size();
      const auto to = std::min(leakOptions.find(':', from), leakOptions.size());
      const fs::path copy = home / "lsan.supp";
      fs::copy_file(leakOptions.substr(from, to - from), copy, fs::copy_options::overwrite_existing);
      leakOptions.replace(from, to - from, copy.string());
    }
  }
  program_ = Spawn({(bin / "skimplane").string()}, home, [&] {
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    if (!leakOptions.empty()) ::setenv("LSAN_OPTIONS", leakOptions.c_str(), 1);
    if (root && (::setgid(gid) != 0 || ::setuid(uid) != 0)) ::_exit(122);
  });
  const std::string window = Window(kMainTitle);
  ASSERT_FALSE(window.empty());
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(Output("xdotool search --onlyvisible --name '^Skimplane$' 2>/dev/null").empty())
      << "an error box at start: the installed pack was not found";
  PressClose(window);
  EXPECT_EQ(Exited(), 0);
  const std::string ini = ReadBytes(config / "Skimplane.ini");
  EXPECT_NE(ini.find("Lang:packs\\English.lng"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Length:"), std::string::npos) << ini;
  EXPECT_TRUE(fs::exists(config / "Skimplane.reg"));
  EXPECT_FALSE(fs::exists(bin / "Skimplane.ini"));
  EXPECT_FALSE(fs::exists(bin / "Skimplane.reg"));
}

TEST_F(DesktopTest, VersionAndHelpAnswerWithoutADisplay) {
  const fs::path out = dir / "out.txt";
  for (const char* option : {"--version", "--help"}) {
    program_ =
        Spawn({"sh", "-c", "DISPLAY= WAYLAND_DISPLAY= ./skimplane " + std::string(option) + " > out.txt"},
              dir.path());
    EXPECT_EQ(Exited(), 0) << option;
    const std::string text = ReadBytes(out);
    EXPECT_EQ(text.rfind(option == std::string("--version") ? "skimplane 1." : "Usage: skimplane", 0), 0u)
        << text;
  }
}
// What a screen reader reads of the window (its accessibility tree over AT-SPI): with the English pack no
// caption, button, tab, tab-bar button, controller entry, About text or box text is Chinese, the refusal's
// reason included; the Chinese window's refusal box is Chinese, its reason too, and titled Skimplane.
TEST_F(DesktopTest, AScreenReaderReadsTheWindowInThePacksLanguage) {
  const std::string launcher = "/usr/libexec/at-spi-bus-launcher";
  const std::string names = std::string(SKIMPLANE_E2E_DIR) + "/accessible-names.py";
  if (Output("command -v dbus-daemon").empty() || !fs::exists(launcher) ||
      Output("/usr/bin/python3 -c 'import pyatspi' 2>/dev/null && echo ok") != "ok")
    GTEST_SKIP() << "no dbus-daemon, at-spi2-core or python3-pyatspi on this machine";
  // A session bus of the test's own, with the accessibility bus on it.
  const std::string bus = Output("dbus-daemon --session --fork --print-address=1 --print-pid=1");
  const std::string address = bus.substr(0, bus.find('\n'));
  const pid_t busPid = static_cast<pid_t>(std::stol(bus.substr(bus.find('\n') + 1)));
  ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
  const pid_t accessibility = Spawn({launcher, "--launch-immediately"});
  const struct {
    const char* name;
    std::string settings;
    bool refuse;  // press Generate on a job that is refused, and read the box
    bool english;
    const char* boxText;  // what the refusal box says, in part
  } rows[] = {
      {"English", "Option:[%RootKey%]\r\n[%\r\n  Lang:packs\\English.lng\r\n%]\r\n", false, true, ""},
      {"English refusal", "Option:[%RootKey%]\r\n[%\r\n  Cross:6\r\n  Lang:packs\\English.lng\r\n%]\r\n",
       true, true,
       "The pass step (Diameter(R) - Overlap(C)) must be above zero, but Diameter(R) 6 - Overlap(C) 6 = 0."},
      {"Chinese refusal", "Option:[%RootKey%]\r\n[%\r\n  Cross:6\r\n%]\r\n", true, false,
       "步距（直径(R) - 重叠(C)）必须大于零，但 直径(R) 6 - 重叠(C) 6 = 0。"},
  };
  for (const auto& r : rows) {
    WriteBytes(dir / "Skimplane.ini", r.settings);
    program_ = Spawn({(dir / "skimplane").string()}, dir.path(),
                     [] { ::setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1); });
    const std::string window = Window(kMainTitle);
    ASSERT_FALSE(window.empty()) << r.name;
    std::string tree;
    if (r.refuse) {
      Click(window, 280 + 37, 372 + 12);  // Generate
      const std::string box = Window(kBoxTitle);
      ASSERT_FALSE(box.empty()) << r.name;
      tree = Output("/usr/bin/python3 " + names + " 2");
      EXPECT_NE(tree.find(r.boxText), std::string::npos) << r.name << "\n" << tree;
      EXPECT_NE(tree.find("|Skimplane|"), std::string::npos) << tree;  // the box's title
      AnswerBox(box);
    } else {
      tree = Output("/usr/bin/python3 " + names);
      for (const char* seen :
           {"push button|Generate|", "push button|Close|", "push button|Scroll Left|", "page tab|Cutter|",
            "combo box|ISO, mist coolant (M07)|", "Thanks to these users"})
        EXPECT_NE(tree.find(seen), std::string::npos) << seen << "\n" << tree;
    }
    std::istringstream lines(tree);
    for (std::string line; r.english && std::getline(lines, line);)
      EXPECT_FALSE(HasHan(line)) << r.name << ": " << line;
    PressClose(window);
    EXPECT_EQ(Exited(), 0) << r.name;
  }
  Stop(accessibility);
  ::kill(busPid, SIGTERM);
  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
}
