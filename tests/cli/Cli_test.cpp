#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <ctime>
#include <fstream>

#include "ChildProcess.h"
#include "GrblChecker.h"
#include "TempDir.h"
#include "toolpath/JobFields.h"
#include "toolpath/GenerateCode.h"

namespace fs = std::filesystem;

namespace {

std::string Program(const TJobEntries& e, const std::string& headerPath, const std::string& time) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({CheckJob(e), {}, headerPath, time}, list);
  return sink.Text();
}

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const std::string kTime = "2011-06-18 14:05";

std::string Joined(const std::vector<std::string>& problems) {
  std::string text;
  for (const auto& p : problems) text += p + "\n";
  return text;
}

}  // namespace

TEST(SkimplaneCli, WritesTheWorkedExample) {
  TempDir dir;
  const auto r = RunCli(dir, {"--x", "20", "--y", "12", "--layers", "2", "--time", kTime, "-o", "plate.nc"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");  // quiet on success
  EXPECT_EQ(r.err, "");
  std::string expected = ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / "plate-2-layers-relative.nc");
  const std::string samplePath = "D:\\nc\\plate.nc";
  expected.replace(expected.find(samplePath), samplePath.size(), (dir / "plate.nc").string());
  EXPECT_EQ(ReadBytes(dir / "plate.nc"), expected);
}

TEST(SkimplaneCli, OptionsReachTheJob) {
  const auto job = [](auto change) {
    TJobEntries e;
    change(e);
    return e;
  };
  const struct {
    std::vector<std::string> args;
    TJobEntries entries;
  } rows[] = {
      {{}, TJobEntries{}},
      {{"--x", "20.5", "--y=12"}, job([](TJobEntries& e) { e.XPos = 20.5, e.YPos = 12; })},
      {{"--x", "7.5", "--y", "8"}, job([](TJobEntries& e) { e.XPos = 7.5, e.YPos = 8; })},
      {{"--diameter", "6.125", "--overlap", "0.125"},
       job([](TJobEntries& e) { e.Knit = 6.125, e.Cross = 0.125; })},
      {{"--step-down", "0.25", "--layers", "3"}, job([](TJobEntries& e) { e.ZPos = 0.25, e.Layer = 3; })},
      {{"--retract", "5", "--absolute-retract", "--layers", "2"},
       job([](TJobEntries& e) { e.ZUp = 5, e.ZUpAbs = true, e.Layer = 2; })},
      {{"--spindle", "1", "--feed", "7"}, job([](TJobEntries& e) { e.Speed = 1, e.Fro = 7; })},
      {{"--strategy", "x", "--no-edge-clean"},
       job([](TJobEntries& e) { e.Mode = kModeXZigzag, e.ClearEnd = false; })},
      {{"--strategy", "y"}, job([](TJobEntries& e) { e.Mode = kModeYZigzag; })},
      {{"--strategy", "spiral", "--layers", "-3"}, job([](TJobEntries& e) { e.Layer = -3; })},
      // whole-number entries take a fraction as the window does: to the nearest, ties to even
      {{"--layers", "2.5", "--feed", "120.5", "--spindle", "4999.6"},
       job([](TJobEntries& e) { e.Layer = 2, e.Fro = 120, e.Speed = 5000; })},
      {{"--overcut", "1.5", "--x", "5"}, job([](TJobEntries& e) { e.Overcut = 1.5, e.XPos = 5; })},
      // The step-over sets the overlap from the diameter given, wherever the options stand.
      {{"--stepover", "40", "--diameter", "10"}, job([](TJobEntries& e) { e.Knit = 10, e.Cross = 6; })},
      {{"--stepover=75"}, job([](TJobEntries& e) { e.Cross = 1.5; })},
      {{"--entry", "ramp", "--ramp-angle", "10", "--layers", "2"},
       job([](TJobEntries& e) { e.Entry = kEntryRamp, e.RampAngle = 10, e.Layer = 2; })},
      {{"--entry=plunge", "--ramp-angle", "90"}, job([](TJobEntries& e) { e.RampAngle = 90; })},
  };
  for (const auto& row : rows) {
    TempDir dir;
    auto args = row.args;
    args.insert(args.end(), {"--time", kTime, "--output", "job.nc"});
    const auto r = RunCli(dir, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadBytes(dir / "job.nc"), Program(row.entries, (dir / "job.nc").string(), kTime)) << args[0];
  }
}

TEST(SkimplaneCli, HeaderCarriesTheAbsolutePathInGbkAndTheLocalTime) {
  TempDir dir;
  fs::create_directory(dir / "sub");
  const std::string before = [] {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return FormatHeaderDateTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min);
  }();
  // "平面" is in GBK, the emoji is not.
  const auto r = RunCli(dir, {"-o", "sub/../sub/\xE5\xB9\xB3\xE9\x9D\xA2\xF0\x9F\x98\x80.nc"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string text = ReadBytes(dir / "sub" / "\xE5\xB9\xB3\xE9\x9D\xA2\xF0\x9F\x98\x80.nc");
  const auto third =
      text.find("( " + (dir / "sub").string() + "/\xC6\xBD\xC3\xE6?.nc \xB4\xB4\xBD\xA8\xD3\xDA ");
  ASSERT_NE(third, std::string::npos) << text.substr(0, 200);
  const std::string stamp = text.substr(text.find("\xD3\xDA ", third) + 3, 16);
  EXPECT_TRUE(stamp.substr(0, 15) == before.substr(0, 15) || stamp >= before) << stamp << " vs " << before;
  EXPECT_TRUE(ParseHeaderTime(stamp).has_value()) << stamp;
}

TEST(SkimplaneCli, BadInputIsRefusedAndNothingIsWritten) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string message;
  } rows[] = {
      {{"--x", "abc"}, 2, "--x: \"abc\" is not a number"},
      {{"--diameter", ""}, 2, "--diameter: \"\" is not a number"},
      {{"--y", "12mm"}, 2, "--y: \"12mm\" is not a number"},
      {{"--layers", "two"}, 2, "--layers: \"two\" is not a whole number within 32 bits"},
      {{"--spindle", "3000000000"}, 2, "--spindle: \"3000000000\" is not a whole number within 32 bits"},
      {{"--feed", "nan"}, 2, "--feed: \"nan\" is not a whole number within 32 bits"},
      {{"--strategy", "zigzag"}, 2, "--strategy"},
      {{"--time", "2011-13-01 10:00"},
       2,
       "--time: \"2011-13-01 10:00\" is not a date and time \"YYYY-MM-DD HH:MM\""},
      {{"--time", "2011-02-29 10:00"}, 2, "is not a date and time"},
      {{"--time", "2011-06-18 24:00"}, 2, "is not a date and time"},
      {{"--time", "2011-6-18 14:05"}, 2, "is not a date and time"},
      {{"--time", "yesterday"}, 2, "is not a date and time"},
      {{"--bogus"}, 2, "--bogus"},
      {{"--overlap", "6"},
       1,
       "skimplane-cli: The pass step (diameter - overlap) must be above zero, but diameter 6 - overlap 6 = "
       "0\n"},
      {{"--x", "nan"}, 1, "skimplane-cli: The X size is not a finite number: nan\n"},
      {{"--retract", "inf"}, 1, "skimplane-cli: The retract height is not a finite number: inf\n"},
      {{"--feed", "0"}, 1, "skimplane-cli: The feed must be above zero, but it is 0\n"},
      {{"--feed", "-5"}, 1, "skimplane-cli: The feed must be above zero, but it is -5\n"},
      {{"--spindle", "0"}, 1, "skimplane-cli: The spindle speed must be above zero, but it is 0\n"},
      // A face beside the stock and numbers no controller reads: refused, not written.
      {{"--x", "-50"}, 1, "skimplane-cli: The X size must be above zero, but it is -50\n"},
      {{"--x", "1e300"}, 1, "skimplane-cli: The X size must stay below 1000000 mm, but it is 1e+300\n"},
      {{"--retract", "-1"}, 1, "skimplane-cli: The retract height must be above zero, but it is -1"},
      // The value as given, not a number of 309 digits.
      {{"--rapid-rate", "-1e308", "--stats"}, 2, "--rapid-rate: \"-1e308\" is not a number above zero"},
      {{"--rapid-rate", "0", "--stats"}, 2, "--rapid-rate: \"0\" is not a number above zero"},
      {{"--rapid-rate", "fast", "--stats"}, 2, "--rapid-rate: \"fast\" is not a number above zero"},
      {{"--overcut", "-1"}, 1, "skimplane-cli: The overcut must not be below zero, but it is -1"},
      {{"--x", "5"}, 1, "an overcut of at least 0.5 mm lets it cut past the edges"},
      {{"--stepover", "0"}, 2, "--stepover: \"0\" is not a number of percent above zero"},
      {{"--stepover", "nan"}, 2, "--stepover: \"nan\" is not a number of percent above zero"},
      {{"--stepover", "50", "--overlap", "1"}, 2, "give either --stepover or --overlap, not both"},
      {{"--entry", "spiral"}, 2, "--entry"},
      {{"--ramp-angle", "91"}, 2, "--ramp-angle: \"91\" is not a number of degrees from 0 to 90"},
      {{"--ramp-angle", "0"},
       1,
       "skimplane-cli: The ramp angle must be above 0 and at most 90 degrees, but it is 0"},
      {{"--entry", "ramp", "--x", "6", "--y", "6"}, 1, "too short to ramp down along at 3 degrees"},
  };
  for (const auto& row : rows) {
    TempDir dir;
    WriteBytes(dir / "job.nc", "old program");
    auto args = row.args;
    args.insert(args.end(), {"--time", kTime, "-o", "job.nc"});
    if (row.args[0] == "--time") args.erase(args.end() - 4, args.end() - 2);
    const auto r = RunCli(dir, args);
    EXPECT_EQ(r.exitCode, row.exitCode) << args[0] << " " << args[1];
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    EXPECT_LT(r.err.size(), 200u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadBytes(dir / "job.nc"), "old program");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"job.nc"});
  }
}

TEST(SkimplaneCli, OutputProblemsAreReported) {
  TempDir dir;
  const auto missing = RunCli(dir, {"--time", kTime});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.err.find("--output is required"), std::string::npos) << missing.err;

  const auto folder = RunCli(dir, {"--time", kTime, "-o", "no/such/x.nc"});
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_EQ(folder.err, "skimplane-cli: Cannot create file \"" + (dir / "no/such/x.nc").string() +
                            "\". No such file or directory\n");
  EXPECT_TRUE(FilesIn(dir.path()).empty());
}

// Whatever the user typed or a file holds is quoted with its control bytes shown, never sent to the
// terminal; a loop of links as the output is refused. Nothing is written either way.
TEST(SkimplaneCli, MessagesShowControlBytesAndALoopOfLinksIsRefused) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string shown;
  } rows[] = {
      {{"-o", "a\x1b[2J/x.nc"}, 1, "a\\x1b[2J/x.nc\". No such file or directory\n"},
      {{"-o", "\xe8\xbe\x93\xe5\x87\xba/x.nc"}, 1, "/\xe8\xbe\x93\xe5\x87\xba/x.nc\". No such"},
      {{"-o", "loop.nc"}, 1, "/loop.nc\". Too many levels of symbolic links\n"},
      {{"--x", "1\x1b]0;owned\x07"}, 2, "--x: \"1\\x1b]0;owned\\x07\" is not a number"},
      {{"--strategy", "\x1b[31mred"}, 2, "\\x1b[31mred"},
      {{"--\x1b[31m"}, 2, "--\\x1b[31m"},
      {{"--settings", "s\r.ini"}, 2, "skimplane-cli: Ini file:s\\x0d.ini not found.\n"},
      {{"--settings", "bad.ini"}, 2, "'\\x1b[2J' is not a valid"},
      {{"--settings", "\x1b[2J.ini"}, 2, "Cannot open file \"\\x1b[2J.ini\". Is a directory\n"},
  };
  for (const auto& r : rows) {
    TempDir dir;
    fs::create_symlink("loop.nc", dir / "loop.nc");
    WriteBytes(dir / "bad.ini", "Option:[%RootKey%]\r\n[%\r\n  Knit:\x1b[2J\r\n%]\r\n");
    fs::create_directory(dir / "\x1b[2J.ini");
    auto args = r.args;
    args.insert(args.end(), {"--time", kTime});
    if (args[0] != "-o") args.insert(args.end(), {"-o", "job.nc"});
    const auto result = RunCli(dir, args);
    EXPECT_EQ(result.exitCode, r.exitCode) << r.shown;
    EXPECT_NE(result.err.find(r.shown), std::string::npos) << result.err;
    EXPECT_EQ(std::count_if(result.err.begin(), result.err.end(),
                            [](char c) { return (c >= 0 && c < 0x20 && c != '\n') || c == 0x7f; }),
              0)
        << result.err;
    EXPECT_TRUE(fs::is_symlink(dir / "loop.nc"));
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"\x1b[2J.ini", "bad.ini", "loop.nc"}))
        << r.shown;
  }
}

TEST(SkimplaneCli, HelpAndVersion) {
  TempDir dir;
  const auto help = RunCli(dir, {"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* option :
       {"--x", "--y", "--diameter", "--overlap", "--step-down", "--retract", "--absolute-retract", "--layers",
        "--spindle", "--feed", "--strategy", "--no-edge-clean", "--time", "--output"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const auto version = RunCli(dir, {"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.substr(0, version.out.find('\n') + 1), "skimplane-cli 1.3.0\n");
  EXPECT_NE(version.out.find("GPL-3.0-or-later"), std::string::npos);
  EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST(CliSupport, ParsesHeaderTimes) {
  const struct {
    const char* text;
    bool ok;
  } rows[] = {{"2011-06-18 14:05", true},
              {"2024-02-29 00:00", true},
              {"2000-02-29 23:59", true},
              {"1900-02-29 12:00", false},
              {"2023-02-29 12:00", false},
              {"2011-04-31 12:00", false},
              {"2011-00-10 12:00", false},
              {"2011-06-00 12:00", false},
              {"2011-06-18 12:60", false},
              {"2011-06-18T14:05", false},
              {"2011-06-18 14:05 ", false},
              {"2011-06-18 14.05", false},
              {"", false}};
  for (const auto& r : rows) EXPECT_EQ(ParseHeaderTime(r.text).has_value(), r.ok) << r.text;
}

TEST(CliSupport, ParsesWholeNumbers) {
  const struct {
    const char* text;
    std::optional<int> value;
  } rows[] = {{"5000", 5000},
              {"-5", -5},
              {"0", 0},
              {"2.5", 2},
              {"3.5", 4},
              {"-2.5", -2},
              {"1e3", 1000},
              {"2147483647", INT32_MAX},
              {"-2147483648", INT32_MIN},
              {"2147483648", std::nullopt},
              {"inf", std::nullopt},
              {"", std::nullopt},
              {" 5", std::nullopt},
              {"5x", std::nullopt}};
  for (const auto& r : rows) EXPECT_EQ(ParseWholeNumber(r.text), r.value) << r.text;
}

namespace {

// A child running the tool that the test may stop while it runs.
struct TCliChild {
  pid_t pid = -1;
  TCliChild(const TempDir& dir, std::vector<std::string> args) {
    const std::string bin = SKIMPLANE_BIN_DIR "/skimplane-cli";
    args.insert(args.begin(), bin);
    pid = ::fork();
    if (pid == 0) {
      if (::chdir(dir.path().c_str()) != 0) ::_exit(120);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(bin.c_str(), argv.data());
      ::_exit(121);
    }
  }
  // Bytes the child has written so far, as the system counts them.
  [[nodiscard]] long long Written() const {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
      if (key == "wchar:") return value;
    return -1;
  }
  int Wait() {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
  }
};

}  // namespace

TEST(SkimplaneCli, HeaderPathCannotEndTheCommentOrAddLines) {
  const struct {
    std::string name, shown;
  } rows[] = {
      {"plate (2).nc", "plate [2].nc"},
      {"a\r\nG00 Z-50\r\n(b.nc", "a??G00 Z-50??[b.nc"},
  };
  for (const auto& r : rows) {
    TempDir dir;
    const auto result =
        RunCli(dir, {"--x", "20", "--y", "12", "--layers", "2", "--time", kTime, "-o", r.name});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string text = ReadBytes(dir / r.name);  // written at its true name
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 48);
    EXPECT_EQ(text.find("\nG00 Z-50"), std::string::npos);
    EXPECT_NE(text.find("( " + dir.path().string() + "/" + r.shown + " \xB4\xB4\xBD\xA8\xD3\xDA " + kTime +
                        " )\r\n"),
              std::string::npos)
        << text.substr(0, 200);
  }
}

TEST(SkimplaneCli, WritesToStandardOutputAndThroughSpecialFiles) {
  TempDir dir;
  std::string expected = ReadBytes(fs::path(SKIMPLANE_TEST_DATA) / "plate-2-layers-relative.nc");
  const auto withPath = [&](const std::string& path) {
    std::string text = expected;
    text.replace(text.find("D:\\nc\\plate.nc"), 14, path);
    return text;
  };
  const std::vector<std::string> plate = {"--x", "20", "--y", "12", "--layers", "2", "--time", kTime};

  auto args = plate;
  args.insert(args.end(), {"-o", "-"});
  const auto out = RunCli(dir, args);
  ASSERT_EQ(out.exitCode, 0) << out.err;
  EXPECT_EQ(out.out, withPath("-"));
  EXPECT_TRUE(FilesIn(dir.path()).empty());

  // A link to a file that does not exist yet: the file is written, the link stays.
  fs::create_directory(dir / "real");
  fs::create_symlink("real/plate.nc", dir / "link.nc");
  args = plate;
  args.insert(args.end(), {"-o", "link.nc"});
  const auto link = RunCli(dir, args);
  ASSERT_EQ(link.exitCode, 0) << link.err;
  EXPECT_TRUE(fs::is_symlink(dir / "link.nc"));
  EXPECT_EQ(ReadBytes(dir / "real" / "plate.nc"), withPath((dir / "link.nc").string()));

  // A device (a copy of /dev/null, as only a super-user may make one) stays a device.
  if (::geteuid() == 0) {
    ASSERT_EQ(::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    args = plate;
    args.insert(args.end(), {"-o", "null"});
    const auto device = RunCli(dir, args);
    ASSERT_EQ(device.exitCode, 0) << device.err;
    EXPECT_EQ(fs::status(dir / "null").type(), fs::file_type::character);
  }
  EXPECT_EQ(FilesIn(dir.path()).size(), ::geteuid() == 0 ? 3u : 2u);
}

TEST(SkimplaneCli, AStoppedRunLeavesTheOldProgramAndNothingElse) {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    TempDir dir;
    WriteBytes(dir / "big.nc", "old program");
    // About 2.5 GB when finished: it is stopped long before.
    TCliChild child(dir, {"--x", "3000", "--y", "2000", "--diameter", "0.1", "--overlap", "0.01", "--layers",
                          "4000", "--strategy", "x", "-o", "big.nc"});
    for (int i = 0; i < 2000 && child.Written() < (8 << 20); ++i) ::usleep(5000);
    EXPECT_GE(child.Written(), 8 << 20) << "the run did not get going";
    ::kill(child.pid, signal_number);
    const int status = child.Wait();
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << signal_number;
    EXPECT_EQ(ReadBytes(dir / "big.nc"), "old program");
    EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"big.nc"}) << signal_number;
  }
}

TEST(SkimplaneCli, ARunThatFailsReplacesNothing) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::string message;
  } rows[] = {
      {"drawing refused",
       {"--x", "3000", "--y", "2000", "--diameter", "0.1", "--overlap", "0.01", "--layers", "50",
        "--strategy", "x", "--preview", "p.svg"},
       "too many to draw"},
      {"drawing's folder missing",
       {"--preview", "no/such/p.svg"},
       "Cannot create file \"" + (fs::temp_directory_path()).string()},
      {"drawing's name taken by a folder", {"--preview", "folder.svg"}, "Is a directory"},
  };
  for (const auto& r : rows) {
    TempDir dir;
    WriteBytes(dir / "job.nc", "old program");
    WriteBytes(dir / "p.svg", "old drawing");
    fs::create_directory(dir / "folder.svg");
    auto args = r.args;
    args.insert(args.end(), {"--time", kTime, "-o", "job.nc"});
    const auto result = RunCli(dir, args);
    EXPECT_EQ(result.exitCode, 1) << r.what;
    EXPECT_EQ(result.err.rfind("skimplane-cli: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
    EXPECT_EQ(ReadBytes(dir / "job.nc"), "old program") << r.what;
    EXPECT_EQ(ReadBytes(dir / "p.svg"), "old drawing") << r.what;
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"folder.svg", "job.nc", "p.svg"})) << r.what;
  }
  // Both succeed together.
  TempDir dir;
  const auto both = RunCli(dir, {"--time", kTime, "-o", "job.nc", "--preview", "p.svg", "--stats"});
  ASSERT_EQ(both.exitCode, 0) << both.err;
  EXPECT_NE(both.out.find("Lines: "), std::string::npos) << both.out;
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"job.nc", "p.svg"}));
}

TEST(SkimplaneCli, AWriteFailureNamesTheFileAndTheReason) {
  TempDir dir;
  WriteBytes(dir / "job.nc", "old program");
  const auto r = RunCli(dir, {"--layers", "100", "-o", "job.nc"}, [] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  });
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "skimplane-cli: Cannot write file \"" + (dir / "job.nc").string() + "\". File too large\n");
  EXPECT_EQ(ReadBytes(dir / "job.nc"), "old program");
  EXPECT_EQ(FilesIn(dir.path()), std::vector<std::string>{"job.nc"});

  const auto both = RunCli(dir, {"--stats", "-o", "-"});
  EXPECT_EQ(both.exitCode, 2);
  EXPECT_NE(both.err.find("--stats: the figures cannot share standard output with \"-o -\""),
            std::string::npos)
      << both.err;
}

TEST(SkimplaneCli, SettingsFilesThatAreNoRegularFilesOrTooLargeAreRefused) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0644), 0);  // reading it would wait for ever
  WriteBytes(dir / "huge.ini", "");
  fs::resize_file(dir / "huge.ini", (16 << 20) + 1);
  const struct {
    std::string file, reason;
  } rows[] = {
      {"/dev/zero", "Not a regular file"},  // would read for ever
      {(dir / "pipe.ini").string(), "Not a regular file"},
      {(dir / "huge.ini").string(), "Larger than the limit of 16 MiB (16777216 bytes)"},
  };
  for (const auto& r : rows) {
    const auto result = RunCli(dir, {"--settings", r.file, "-o", "job.nc"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "skimplane-cli: Cannot open file \"" + r.file + "\". " + r.reason + "\n");
  }
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"huge.ini", "pipe.ini"}));
}

// The window's job with the controller's choices.
static TJobEntries JobFor(int dialect, int coolant, double dwell) {
  TJobEntries e;
  e.Dialect = dialect;
  e.Coolant = coolant;
  e.Dwell = dwell;
  return e;
}

// --dialect, --coolant and --dwell reach the job; the GRBL program passes the controller's rules.
TEST(SkimplaneCli, DialectCoolantAndDwell) {
  const struct {
    std::vector<std::string> args;
    TJobEntries entries;
  } rows[] = {
      {{"--dialect", "iso"}, JobFor(kDialectIso, kCoolantDefault, 0)},
      {{"--dialect", "grbl"}, JobFor(kDialectGrbl, kCoolantDefault, 0)},
      {{"--dialect", "grbl", "--coolant", "flood", "--dwell", "2.5"},
       JobFor(kDialectGrbl, kCoolantFlood, 2.5)},
      {{"--dialect", "grbl", "--coolant", "off"}, JobFor(kDialectGrbl, kCoolantOff, 0)},
      {{"--coolant", "off", "--dwell", "0"}, JobFor(kDialectIso, kCoolantOff, 0)},
      {{"--coolant", "flood"}, JobFor(kDialectIso, kCoolantFlood, 0)},
      {{"--dwell", "3600"}, JobFor(kDialectIso, kCoolantDefault, 3600)},  // the bound itself is allowed
  };
  for (const auto& row : rows) {
    TempDir dir;
    auto args = row.args;
    args.insert(args.end(), {"--time", kTime, "--output", "job.nc"});
    const auto r = RunCli(dir, args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string text = ReadBytes(dir / "job.nc");
    EXPECT_EQ(text, Program(row.entries, (dir / "job.nc").string(), kTime)) << args[1];
    if (row.entries.Dialect != kDialectGrbl) continue;
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
      lines.push_back(text.substr(at, end - at));
    EXPECT_EQ(Joined(grbl::Problems(lines)), "") << args[1];
  }
}

TEST(SkimplaneCli, BadDialectChoicesAreRefused) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } rows[] = {
      {{"--dialect", "fanuc"}, "--dialect"},
      {{"--coolant", "air"}, "--coolant"},
      {{"--dialect", "grbl", "--coolant", "mist"}, "GRBL 1.1 has no mist coolant (M7) in its stock build"},
      {{"--dwell", "-1"}, "--dwell: \"-1\" is not a number of seconds from 0 to 3600"},
      {{"--dwell", "3601"}, "is not a number of seconds from 0 to 3600"},
      {{"--dwell", "nan"}, "is not a number of seconds from 0 to 3600"},
      {{"--dwell", "2s"}, "is not a number of seconds from 0 to 3600"},
  };
  for (const auto& row : rows) {
    TempDir dir;
    auto args = row.args;
    args.insert(args.end(), {"--time", kTime, "-o", "job.nc"});
    const auto r = RunCli(dir, args);
    EXPECT_EQ(r.exitCode, 2) << args[1];
    EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "job.nc"));
  }
}

// A settings file's choices, and options that override them.
TEST(SkimplaneCli, SettingsFileCarriesTheDialect) {
  const std::string file =
      "Option:[%RootKey%]\r\n[%\r\n  Dialect:grbl\r\n  Coolant:flood\r\n  Dwell:1.5\r\n%]\r\n";
  const struct {
    std::vector<std::string> options;
    TJobEntries expected;
    int exitCode;
  } rows[] = {
      {{}, JobFor(kDialectGrbl, kCoolantFlood, 1.5), 0},
      {{"--dialect", "iso"}, JobFor(kDialectIso, kCoolantFlood, 1.5), 0},
      {{"--coolant", "off", "--dwell", "0"}, JobFor(kDialectGrbl, kCoolantOff, 0), 0},
      {{"--coolant", "mist"}, {}, 2},
  };
  for (const auto& row : rows) {
    TempDir dir;
    WriteBytes(dir / "job.ini", file);
    std::vector<std::string> args = {"--settings", "job.ini", "--time", kTime, "-o", "out.nc"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    const auto r = RunCli(dir, args);
    ASSERT_EQ(r.exitCode, row.exitCode) << r.err;
    if (row.exitCode == 0) {
      EXPECT_EQ(ReadBytes(dir / "out.nc"), Program(row.expected, (dir / "out.nc").string(), kTime));
    }
  }
}
