// skimplane-cli --settings: the entries of a settings file, overridden by the options given as well.

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TempDir.h"
#include "toolpath/GCodeFile.h"
#include "toolpath/GenerateCode.h"

namespace fs = std::filesystem;

using namespace std::string_literals;

namespace {

const std::string kTime = "2011-06-18 14:05";

std::string Program(const TJobEntries& e, const std::string& headerPath) {
  TGCodeMemorySink sink;
  TGCodeFile list(sink);
  WriteProgram({CheckJob(e), {}, headerPath, kTime}, list);
  return sink.Text();
}

std::string OptionBlock(std::initializer_list<std::string> values) {
  std::string text = "Option:[%RootKey%]\r\n[%\r\n";
  for (const auto& v : values) text += "  " + v + "\r\n";
  return text + "%]\r\n";
}

const std::string kFullFile = OptionBlock({"Length:40", "Width:30", "Knit:8", "Cross:1.5", "ZPos:0.5",
                                           "ZUp:5", "Layer:2", "Speed:$1388", "Fro:300", "ClearEnd:FALSE",
                                           "Mode:3", "Lang:packs\\nothere.lng", "Extra:ignored"});

}  // namespace

TEST(CliSettings, EntriesComeFromTheFileAndOptionsOverrideThem) {
  const auto job = [](auto change) {
    TJobEntries e{40, 30, 8, 1.5, 0.5, 5, false, 5000, 300, 2, 3, false};
    change(e);
    return e;
  };
  const struct {
    const char* name;
    std::string file;
    std::vector<std::string> options;
    TJobEntries expected;
  } rows[] = {
      {"file alone", kFullFile, {}, job([](TJobEntries&) {})},
      {"numbers given",
       kFullFile,
       {"--x", "20", "--layers", "1", "--feed", "90", "--absolute-retract"},
       job([](TJobEntries& e) {
         e.XPos = 20;
         e.Layer = 1;
         e.Fro = 90;
         e.ZUpAbs = true;
       })},
      {"strategy given", kFullFile, {"--strategy", "spiral"}, job([](TJobEntries& e) { e.Mode = 1; })},
      {"edge clean switched off",
       OptionBlock({"ClearEnd:true", "Mode:7"}),
       {"--no-edge-clean"},
       [] {
         TJobEntries e;
         e.ClearEnd = false;
         return e;
       }()},
      {"missing keys keep the window's initial values",
       OptionBlock({"Mode:2", "Width:50"}),
       {},
       [] {
         TJobEntries e;
         e.Mode = 2;
         e.YPos = 50;
         return e;
       }()},
  };
  for (const auto& r : rows) {
    TempDir dir;
    WriteBytes(dir / "job.ini", r.file);
    std::vector<std::string> args = {"--settings", "job.ini", "--time", kTime, "-o", "out.nc"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    const auto result = RunCli(dir, args);
    ASSERT_EQ(result.exitCode, 0) << r.name << ": " << result.err;
    EXPECT_EQ(ReadBytes(dir / "out.nc"), Program(r.expected, (dir / "out.nc").string())) << r.name;
  }
}

TEST(CliSettings, ABrokenSettingsFileIsRefusedWithTheWindowsMessage) {
  const struct {
    const char* name;
    std::string file;  // empty name: no file at all
    std::string message;
  } rows[] = {
      {"bad number", OptionBlock({"Length:7", "Knit:abc"}),
       "\"job.ini\", entry \"Knit\": 'abc' is not a valid floating point value"},
      {"bad integer", OptionBlock({"Mode:two"}),
       "\"job.ini\", entry \"Mode\": 'two' is not a valid integer value"},
      {"comma where a point is used", OptionBlock({"Cross:0,5"}),
       "\"job.ini\", entry \"Cross\": '0,5' is not a valid floating point value"},
      {"no Option block", "", "RootKey \"Option\" - subitem key not open."},
      {"syntax", "[%\r\n", "\"job.ini\", line 1 '[%': RootKey not Open."},
      // The entries after a NUL byte would be lost without a word.
      {"NUL byte", "Option:[%RootKey%]\r\n[%\r\n  Knit:8\0\r\n  Layer:4\r\n%]\r\n"s,
       "\"job.ini\", line 3 '  Knit:8\\x00': a NUL byte ends the text here; nothing after it is read"},
  };
  for (const auto& r : rows) {
    TempDir dir;
    WriteBytes(dir / "job.ini", r.file);
    const auto result = RunCli(dir, {"--settings", "job.ini", "--x", "20", "-o", "out.nc"});
    EXPECT_EQ(result.exitCode, 2) << r.name;
    EXPECT_EQ(result.err, "skimplane-cli: " + r.message + "\n") << r.name;
    EXPECT_FALSE(fs::exists(dir / "out.nc")) << r.name;
  }
  TempDir dir;
  const auto result = RunCli(dir, {"--settings", "none.ini", "-o", "out.nc"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "skimplane-cli: Ini file:none.ini not found.\n");
  EXPECT_FALSE(fs::exists(dir / "out.nc"));
}
