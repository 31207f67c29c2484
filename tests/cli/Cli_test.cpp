#include <gtest/gtest.h>

#include <ctime>

#include "ChildProcess.h"
#include "TempDir.h"
#include "cli/CliSupport.h"
#include "toolpath/GenerateCode.h"

namespace fs = std::filesystem;

namespace {

std::string Program(const TJobEntries& e, const std::string& headerPath, const std::string& time) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({e, {}, headerPath, time}, list);
  return sink.Text();
}

std::vector<std::string> FilesIn(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const std::string kTime = "2011-06-18 14:05";

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
      {{"--x", "-5", "--y", "0"}, job([](TJobEntries& e) { e.XPos = -5, e.YPos = 0; })},
      {{"--diameter", "6.125", "--overlap", "0.125"},
       job([](TJobEntries& e) { e.Knit = 6.125, e.Cross = 0.125; })},
      {{"--step-down", "0", "--layers", "3"}, job([](TJobEntries& e) { e.ZPos = 0, e.Layer = 3; })},
      {{"--retract", "5", "--absolute-retract", "--layers", "2"},
       job([](TJobEntries& e) { e.ZUp = 5, e.ZUpAbs = true, e.Layer = 2; })},
      {{"--spindle", "0", "--feed", "-5"}, job([](TJobEntries& e) { e.Speed = 0, e.Fro = -5; })},
      {{"--strategy", "x", "--no-edge-clean"},
       job([](TJobEntries& e) { e.Mode = kModeXZigzag, e.ClearEnd = false; })},
      {{"--strategy", "y"}, job([](TJobEntries& e) { e.Mode = kModeYZigzag; })},
      {{"--strategy", "spiral", "--layers", "-3"}, job([](TJobEntries& e) { e.Layer = -3; })},
      // whole-number entries take a fraction as the window does: to the nearest, ties to even
      {{"--layers", "2.5", "--feed", "120.5", "--spindle", "4999.6"},
       job([](TJobEntries& e) { e.Layer = 2, e.Fro = 120, e.Speed = 5000; })},
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
  EXPECT_EQ(version.out, "skimplane-cli 1.3.0\n");
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

TEST(CliSupport, EncodesPathsToGbk) {
  const struct {
    const char* utf8;
    const char* gbk;
  } rows[] = {
      {"/tmp/plate.nc", "/tmp/plate.nc"},
      {"/\xE6\x95\xB0\xE6\x8E\xA7/a.nc", "/\xCA\xFD\xBF\xD8/a.nc"},  // 数控
      {"/\xF0\x9F\x98\x80.nc", "/?.nc"},                             // an emoji GBK lacks
      {"/\xED\x95\x9C.nc", "/?.nc"},                                 // Hangul syllable 한
  };
  for (const auto& r : rows) EXPECT_EQ(EncodePathForHeader(r.utf8), r.gbk) << r.utf8;
}
