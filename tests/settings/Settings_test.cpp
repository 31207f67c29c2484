// Skimplane.ini at start and at exit, on a window made of plain members.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <string>

#include "FakeSettingsWindow.h"
#include "TempDir.h"
#include "TestSupport.h"
#include "dvTools/dvError.h"
#include "settings/LanguagePack.h"
#include "settings/Settings.h"
#include "settings/SettingsValues.h"

using namespace std::string_literals;

namespace {

const std::string kData = std::string(SKIMPLANE_TEST_DATA) + "/settings/";

std::string OptionBlock(std::initializer_list<const char*> values) {
  std::string text = "Option:[%RootKey%]\r\n[%\r\n";
  for (const char* v : values) text += std::string("  ") + v + "\r\n";
  return text + "%]\r\n";
}

// What a settings message reads for `file`: an entry or a line is named after the file's name.
std::string Named(const std::filesystem::path& file, const std::string& message) {
  const bool named = message.starts_with("entry ") || message.starts_with("line ");
  return named ? "\"" + file.string() + "\", " + message : message;
}

struct TFolder {
  TempDir dir;
  TSettingsPlace place{dir.path().string(), '.'};
  [[nodiscard]] std::filesystem::path Ini() const { return dir / "Skimplane.ini"; }
};

}  // namespace

TEST(SettingsSave, FirstExitWritesTheDesignValuesInTheUsersNumberFormat) {
  const struct {
    char separator;
    const char* golden;
  } rows[] = {{'.', "first-exit.ini"}, {',', "first-exit-comma.ini"}};
  for (const auto& r : rows) {
    TFolder f;
    f.place.DecimalSeparator = r.separator;
    TFakeSettingsWindow window;
    SaveSettings(window, f.place);
    const std::string saved = ReadBytes(f.Ini());
    ExpectSameBytes(saved, ReadBytes(kData + r.golden), r.golden);
    // Option, [%, the eleven keys, %]: every line ends in CR LF and nothing follows.
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 14) << r.golden;
    EXPECT_EQ(saved.substr(saved.size() - 4), "%]\r\n") << r.golden;
  }
}

TEST(SettingsLoad, MissingFileChangesNothingAndLoadsNoPack) {
  TFolder f;
  // A pack beside the executable is not enough: only a settings file names one.
  WriteBytes(f.dir / "English.lng", Crlf({"Option:[%RootKey%]", "[%", "  LangPack:x", "%]"}));
  TFakeSettingsWindow window;
  LoadSettings(window, f.place);
  EXPECT_TRUE(window.log.empty());
  EXPECT_FALSE(std::filesystem::exists(f.Ini()));
}

TEST(SettingsLoad, KeysSetTheirControls) {
  // Every row starts from a window whose entries differ from the design values, so a key that is read
  // is seen even when it holds the design value.
  const struct {
    const char* value;  // one value line of the block
    std::function<void(const TFakeSettingsWindow&)> check;
  } rows[] = {
      {"Length:12.5", [](auto& w) { EXPECT_EQ(w.floats.at("edtXPos"), 12.5); }},
      {"Width:33", [](auto& w) { EXPECT_EQ(w.floats.at("edtYPos"), 33); }},
      {"length:99", [](auto& w) { EXPECT_EQ(w.floats.at("edtXPos"), 99); }},
      {"  KNIT :  8  ", [](auto& w) { EXPECT_EQ(w.floats.at("edtKnit"), 8); }},
      {"Cross:-0.25", [](auto& w) { EXPECT_EQ(w.floats.at("edtCross"), -0.25); }},
      {"ZPos:0.1", [](auto& w) { EXPECT_EQ(w.floats.at("edtZPos"), 0.1); }},
      {"ZUp:1E2", [](auto& w) { EXPECT_EQ(w.floats.at("edtZUp"), 100); }},
      {"Layer:0", [](auto& w) { EXPECT_EQ(w.integers.at("edtLayer"), 0); }},
      {"Speed:$1388", [](auto& w) { EXPECT_EQ(w.integers.at("edtSpeed"), 5000); }},
      {"Speed:0x10", [](auto& w) { EXPECT_EQ(w.integers.at("edtSpeed"), 16); }},
      {"Fro:-7", [](auto& w) { EXPECT_EQ(w.integers.at("edtFro"), -7); }},
      {"ClearEnd:true", [](auto& w) { EXPECT_TRUE(w.clearEnd); }},
      {"ClearEnd:TrUe", [](auto& w) { EXPECT_TRUE(w.clearEnd); }},
      {"Mode:2", [](auto& w) { EXPECT_EQ(w.strategy, "opnXArrow"); }},
      {"Mode:3", [](auto& w) { EXPECT_EQ(w.strategy, "opnYArrow"); }},
      {"Mode:7", [](auto& w) { EXPECT_EQ(w.strategy, "opnDelta"); }},
      {"Mode:0", [](auto& w) { EXPECT_EQ(w.strategy, "opnDelta"); }},
      {"Fro:1", [](auto& w) { EXPECT_EQ(w.strategy, "opnDelta"); }},  // no Mode: spiral
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), OptionBlock({r.value}));
    TFakeSettingsWindow window;
    for (auto& [name, v] : window.floats) v = 555;
    for (auto& [name, v] : window.integers) v = 555;
    window.clearEnd = false;
    window.strategy = "opnYArrow";
    LoadSettings(window, f.place);
    SCOPED_TRACE(r.value);
    r.check(window);
  }
}

TEST(SettingsLoad, ClearEndIsTickedOnlyByTheTextTrue) {
  const struct {
    const char* file;
    bool ticked;
  } rows[] = {
      {"ClearEnd:yes", false},   {"ClearEnd:1", false}, {"ClearEnd:\"TRUE\"", false},
      {"ClearEnd:FALSE", false}, {"ClearEnd:", false},  {"ClearEnd:true", true},
      {"Knit:6", true},  // missing: the box keeps its tick
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), OptionBlock({r.file}));
    TFakeSettingsWindow window;
    LoadSettings(window, f.place);
    EXPECT_EQ(window.clearEnd, r.ticked) << r.file;
  }
}

TEST(SettingsLoad, StrategyIsSelectedOnlyAfterEveryKeyWasRead) {
  TFolder f;
  WriteBytes(f.Ini(), OptionBlock({"Mode:2", "Length:1", "ClearEnd:FALSE", "Fro:3"}));
  TFakeSettingsWindow window;
  LoadSettings(window, f.place);
  const std::vector<std::string> expected = {"float edtXPos", "int edtFro", "clearEnd", "select opnXArrow"};
  EXPECT_EQ(window.log, expected);
}

TEST(SettingsSave, KeepsForeignContentAndTheNamesCaseAndAppendsMissingKeysInOrder) {
  const struct {
    const char* name;
    std::string before;
    std::function<void(TFakeSettingsWindow&)> change;
    std::string after;
  } rows[] = {
      {"keys in another order, some missing, foreign keys and blocks",
       Crlf({"; my settings", "Other:[%RootKey%]", "[%", "  A:1", "%]", "Option:[%RootKey%]", "[%",
             "  Mode:7", "  length:99", "  Lang:\"my pack.lng\"", "  Speed:$1388", "  Extra:keep me", "%]",
             "[%", "  Length:1", "%]", "stray line"}),
       [](TFakeSettingsWindow& w) { w.floats["edtXPos"] = 0.1; },
       Crlf({"Other:[%RootKey%]",
             "[%",
             "  A:1",
             "%]",
             "",
             "Option:[%RootKey%]",
             "[%",
             "  Mode:1",
             "  length:0.1",
             "  Lang:\"my pack.lng\"",
             "  Speed:5000",
             "  Extra:keep me",
             "  Width:200",
             "  Knit:6",
             "  Cross:0.5",
             "  ZPos:1",
             "  ZUp:2",
             "  Layer:1",
             "  Fro:120",
             "  ClearEnd:TRUE",
             "%]",
             "[%",
             "  Length:1",
             "%]"})},
      {"every entry changed",
       OptionBlock({"Length:150", "Width:200", "Knit:6", "Cross:0.5", "ZPos:1", "ZUp:2", "Layer:1",
                    "Speed:5000", "Fro:120", "ClearEnd:TRUE", "Mode:1"}),
       [](TFakeSettingsWindow& w) {
         for (const auto& [name, value] : {std::pair<const char*, double>{"edtXPos", -5}, {"edtYPos", 0},
                                           {"edtKnit", 12.75}, {"edtCross", 1e-7}, {"edtZPos", 0.3},
                                           {"edtZUp", 123456789.123}})
           w.floats.at(name) = value;
         w.integers.at("edtLayer") = -1;
         w.integers.at("edtSpeed") = 2147483647;
         w.integers.at("edtFro") = -2147483647 - 1;
         w.clearEnd = false;
         w.strategy = "opnYArrow";
         w.retract = "opnZUpAbs";  // never stored
       },
       OptionBlock({"Length:-5", "Width:0", "Knit:12.75", "Cross:1E-7", "ZPos:0.3", "ZUp:123456789.123",
                    "Layer:-1", "Speed:2147483647", "Fro:-2147483648", "ClearEnd:FALSE", "Mode:3"})},
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), r.before);
    TFakeSettingsWindow window;
    // The first row's pack is missing; that error comes after every entry was read.
    (void)ErrorOf([&] { LoadSettings(window, f.place); });
    r.change(window);
    SaveSettings(window, f.place);
    ExpectSameBytes(ReadBytes(f.Ini()), r.after, r.name);
  }
}

// The centre pass is kept only once it was chosen: a file of a user who never ticked it gains no key, and
// unticking it later writes it off.
TEST(SettingsSave, FinishCentreIsWrittenOnlyOnceChosen) {
  const std::string plain = OptionBlock({"Length:150", "Width:200", "Knit:6", "Cross:0.5", "ZPos:1", "ZUp:2",
                                         "Layer:1", "Speed:5000", "Fro:120", "ClearEnd:TRUE", "Mode:1"});
  const auto with = [&](const char* value) {
    std::string text = plain;
    text.insert(text.rfind("%]"), std::string("  FinishCentre:") + value + "\r\n");
    return text;
  };
  const struct {
    const char* name;
    std::string before;
    bool loaded, chosen;
    std::string after;
  } rows[] = {
      {"never chosen", plain, false, false, plain},
      {"chosen", plain, false, true, with("TRUE")},
      {"kept", with("TRUE"), true, true, with("TRUE")},
      {"unticked", with("TRUE"), true, false, with("FALSE")},
      {"off stays off", with("FALSE"), false, false, with("FALSE")},
      {"only the text true ticks it", with("1"), false, false, with("FALSE")},
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), r.before);
    TFakeSettingsWindow window;
    LoadSettings(window, f.place);
    EXPECT_EQ(window.finishCentre, r.loaded) << r.name;
    window.finishCentre = r.chosen;
    SaveSettings(window, f.place);
    ExpectSameBytes(ReadBytes(f.Ini()), r.after, r.name);

    TJobEntries values;
    ReadSettingsFile(f.Ini(), values);
    EXPECT_EQ(values.FinishCentre, r.chosen) << r.name;
  }
}

TEST(SettingsSave, ValuesSurviveASaveAndALoadWithTheSameSeparator) {
  // Values of up to fifteen significant digits come back as the very same double.
  const double values[] = {0.1, 0.333333333333333, -2.5e-5, 1e15, 123456.789012345, 0, -0.0001};
  for (const char separator : {'.', ','}) {
    for (const double v : values) {
      TFolder f;
      f.place.DecimalSeparator = separator;
      TFakeSettingsWindow out;
      out.floats["edtCross"] = v;
      out.strategy = "opnXArrow";
      SaveSettings(out, f.place);
      TFakeSettingsWindow in;
      in.floats["edtCross"] = 999;
      LoadSettings(in, f.place);
      EXPECT_EQ(in.floats.at("edtCross"), v) << separator << " " << v;
      EXPECT_EQ(in.strategy, "opnXArrow");
    }
  }
}

TEST(SettingsSeparator, NumbersFollowTheUsersDecimalSeparator) {
  const struct {
    char separator;
    const char* line;
    const char* error;  // nullptr: loads 0.5
  } rows[] = {
      {',', "Cross:0,5", nullptr},
      {'.', "Cross:0.5", nullptr},
      {'.', "Cross:0,5", "entry \"Cross\": '0,5' is not a valid floating point value"},
      {',', "Cross:0.5", "entry \"Cross\": '0.5' is not a valid floating point value"},
  };
  for (const auto& r : rows) {
    TFolder f;
    f.place.DecimalSeparator = r.separator;
    WriteBytes(f.Ini(), OptionBlock({r.line}));
    TFakeSettingsWindow window;
    window.floats["edtCross"] = 9;
    const std::string message = ErrorOf([&] { LoadSettings(window, f.place); });
    if (r.error) {
      EXPECT_EQ(message, Named(f.Ini(), r.error)) << r.line;
      EXPECT_EQ(window.floats.at("edtCross"), 9) << r.line;
    } else {
      EXPECT_EQ(message, "") << r.line;
      EXPECT_EQ(window.floats.at("edtCross"), 0.5) << r.line;
    }
  }
}

TEST(SettingsLoad, ABadEntryCostsOnlyItsOwnControl) {
  const struct {
    std::string file;
    std::string message;
    std::vector<std::string> log;  // what reached the window
    const char* strategy;
    bool clearEnd;
  } rows[] = {
      // A file without the block: nothing can be read at all.
      {"", "RootKey \"Option\" - subitem key not open.", {}, "opnDelta", true},
      {Crlf({"Other:[%RootKey%]", "[%", "  Length:1", "%]"}),
       "RootKey \"Option\" - subitem key not open.",
       {},
       "opnDelta",
       true},
      {Crlf({"Option:[%RootKey%]", "  Length:1"}),
       "RootKey \"Option\" - subitem key not open.",
       {},
       "opnDelta",
       true},
      {Crlf({"[%", "  Length:1", "%]"}), "line 1 '[%': RootKey not Open.", {}, "opnDelta", true},
      {Crlf({"Option:[%RootKey%]", "[%", "  :1", "%]"}),
       "line 3 '  :1': Invaild field name",
       {},
       "opnDelta",
       true},
      {Crlf({"Option:[%RootKey%]", "[%", "  Length:1", "  " + std::string(256, 'N') + ":1", "%]"}),
       "line 4 '  " + std::string(78, 'N') + "...': Invaild field (length > 255).",
       {},
       "opnDelta",
       true},
      // One bad entry: every other entry still arrives, before and after it.
      {OptionBlock({"Length:1", "Width:2", "Knit:abc", "Cross:3", "Mode:2"}),
       "entry \"Knit\": 'abc' is not a valid floating point value",
       {"float edtXPos", "float edtYPos", "float edtCross"},
       "opnXArrow",
       true},
      {OptionBlock({"Width:abc", "Knit:8", "Mode:3"}),
       "entry \"Width\": 'abc' is not a valid floating point value",
       {"float edtKnit"},
       "opnYArrow",
       true},
      {OptionBlock({"ZUp:", "Length:1"}),
       "entry \"ZUp\": '' is not a valid floating point value",
       {"float edtXPos"},
       "opnDelta",
       true},
      {OptionBlock({"Length:1", "Layer:2", "Speed:1.5", "Fro:3"}),
       "entry \"Speed\": '1.5' is not a valid integer value",
       {"float edtXPos", "int edtLayer", "int edtFro"},
       "opnDelta",
       true},
      {OptionBlock({"Fro:3", "Mode:spiral", "ClearEnd:FALSE"}),
       "entry \"Mode\": 'spiral' is not a valid integer value",
       {"int edtFro"},
       "opnDelta",
       false},
      {OptionBlock({"Layer:99999999999"}),
       "entry \"Layer\": '99999999999' is not a valid integer value",
       {},
       "opnDelta",
       true},
      // Numbers that are not finite are no entries for a job.
      {OptionBlock({"Knit:nan", "Cross:0.25"}),
       "entry \"Knit\": 'nan' is not a valid floating point value",
       {"float edtCross"},
       "opnDelta",
       true},
      {OptionBlock({"Length:inf"}),
       "entry \"Length\": 'inf' is not a valid floating point value",
       {},
       "opnDelta",
       true},
      {OptionBlock({"ZUp:-INF", "Mode:3"}),
       "entry \"ZUp\": '-INF' is not a valid floating point value",
       {},
       "opnYArrow",
       true},
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), r.file);
    TFakeSettingsWindow window;
    EXPECT_EQ(ErrorOf([&] { LoadSettings(window, f.place); }), Named(f.Ini(), r.message)) << r.file;
    std::vector<std::string> entries;  // the numbers that reached the window
    for (const auto& step : window.log)
      if (step.starts_with("float ") || step.starts_with("int ")) entries.push_back(step);
    EXPECT_EQ(entries, r.log) << r.file;
    EXPECT_EQ(window.strategy, r.strategy) << r.file;
    EXPECT_EQ(window.clearEnd, r.clearEnd) << r.file;
  }
}

// Every entry that could not be read is named in the one message, a line each, in reading order.
TEST(SettingsLoad, EveryBadEntryIsReportedInOneMessage) {
  const struct {
    std::string file;
    std::vector<std::string> entries;  // the message of each bad entry, in reading order
    std::vector<std::string> log;      // what reached the window
  } rows[] = {
      {OptionBlock({"Speed:x", "Length:y", "Fro:4"}),
       {"entry \"Length\": 'y' is not a valid floating point value",
        "entry \"Speed\": 'x' is not a valid integer value"},
       {"int edtFro"}},
      {OptionBlock({"Length:1", "Width:a", "Knit:b", "ZPos:2", "Layer:1.5", "Mode:z"}),
       {"entry \"Width\": 'a' is not a valid floating point value",
        "entry \"Knit\": 'b' is not a valid floating point value",
        "entry \"Layer\": '1.5' is not a valid integer value",
        "entry \"Mode\": 'z' is not a valid integer value"},
       {"float edtXPos", "float edtZPos"}},
      // More than nine.
      {OptionBlock({"Length:a", "Width:a", "Knit:a", "Cross:a", "ZPos:a", "ZUp:a", "Layer:a", "Speed:a", "Fro:a",
                    "Mode:a", "Dwell:a"}),
       {"entry \"Length\": 'a' is not a valid floating point value",
        "entry \"Width\": 'a' is not a valid floating point value",
        "entry \"Knit\": 'a' is not a valid floating point value",
        "entry \"Cross\": 'a' is not a valid floating point value",
        "entry \"ZPos\": 'a' is not a valid floating point value",
        "entry \"ZUp\": 'a' is not a valid floating point value", "entry \"Layer\": 'a' is not a valid integer value",
        "entry \"Speed\": 'a' is not a valid integer value", "entry \"Fro\": 'a' is not a valid integer value",
        "entry \"Mode\": 'a' is not a valid integer value",
        "entry \"Dwell\": 'a' is not a valid floating point value"},
       {}},
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), r.file);
    std::string expected;
    for (const std::string& e : r.entries) expected += (expected.empty() ? "" : "\n") + Named(f.Ini(), e);
    TFakeSettingsWindow window;
    EXPECT_EQ(ErrorOf([&] { LoadSettings(window, f.place); }), expected);
    std::vector<std::string> entries;
    for (const auto& step : window.log)
      if (step.starts_with("float ") || step.starts_with("int ")) entries.push_back(step);
    EXPECT_EQ(entries, r.log);
    // The exit keeps such a file and says why with the same lines.
    EXPECT_EDVERROR(SaveSettings(TJobEntries{}, f.place),
                    expected + "; the file was kept unchanged and the window's entries were not saved");
  }
}

TEST(SettingsLoad, APackIsAppliedAfterABadEntry) {
  TFolder f;
  WriteBytes(f.Ini(), OptionBlock({"Knit:abc", "Lang:p.lng"}));
  WriteBytes(f.dir / "p.lng", Crlf({"Option:[%RootKey%]", "[%", "  FontName:Serif", "%]", "Lang:[%RootKey%]",
                                    "[%", "  Sheet1:Face", "%]"}));
  TFakeSettingsWindow window;
  EXPECT_EDVERROR(LoadSettings(window, f.place),
                  Named(f.Ini(), "entry \"Knit\": 'abc' is not a valid floating point value"));
  EXPECT_EQ(window.fontName, "Serif");
  EXPECT_EQ(window.Pages().front(), "Face");
}

TEST(SettingsSave, AFailedSaveLeavesTheFileAsItWas) {
  const std::string kKept = "; the file was kept unchanged and the window's entries were not saved";
  const struct {
    std::string file;
    std::string message;
  } rows[] = {
      {"", "RootKey \"Option\" - subitem key not open."},
      {Crlf({"; nothing here"}), "RootKey \"Option\" - subitem key not open."},
      {Crlf({"Other:[%RootKey%]", "[%", "  A:1", "%]"}), "RootKey \"Option\" - subitem key not open."},
      {Crlf({"Option:[%RootKey%]", "Lang:[%RootKey%]", "[%", "%]"}),
       "RootKey \"Option\" - subitem key not open."},
      {Crlf({"[%", "%]"}), "line 1 '[%': RootKey not Open."},
      {Crlf({"Option:[%RootKey%]", "[%", "  : x", "%]"}), "line 3 '  : x': Invaild field name"},
      // A file that cannot be read whole: the window would store its design values over what it could
      // not read.
      {OptionBlock({"Knit:8", "Dialect:fanuc", "Fro:300"}),
       "entry \"Dialect\": 'fanuc' is not a valid dialect" + kKept},
      {OptionBlock({"Knit:8", "Cross:0,5"}),
       "entry \"Cross\": '0,5' is not a valid floating point value" + kKept},
      {"Option:[%RootKey%]\r\n[%\r\n  Knit:8\0\x1b[2J\r\n  Fro:300\r\n%]\r\n"s,
       "line 3 '  Knit:8\\x00\\x1b[2J': a NUL byte ends the text here; nothing after it is read" + kKept},
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), r.file);
    TFakeSettingsWindow window;
    EXPECT_EQ(ErrorOf([&] { SaveSettings(window, f.place); }), Named(f.Ini(), r.message)) << r.file;
    EXPECT_EQ(ReadBytes(f.Ini()), r.file);
  }
}

TEST(SettingsSave, AFileThatCannotBeWrittenIsReportedWithItsPath) {
  TempDir dir;
  TFakeSettingsWindow window;
  // A folder that does not exist: the file cannot be created.
  const std::string missing = (dir / "gone").string();
  EXPECT_EQ(ErrorOf([&] {
              SaveSettings(window, {missing, '.'});
            }),
            "Cannot create file \"" + missing + "/Skimplane.ini\". No such file or directory");
  // A folder where the settings file's name is taken by a folder: it cannot be read, so nothing is
  // written over it.
  std::filesystem::create_directories(dir / "Skimplane.ini");
  EXPECT_EQ(ErrorOf([&] {
              SaveSettings(window, {dir.path().string(), '.'});
            }),
            "Cannot open file \"" + (dir / "Skimplane.ini").string() + "\". Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Skimplane.ini"));
}

TEST(SettingsPath, NamesBesideTheExecutableTakeBackslashesAsSeparators) {
  const struct {
    const char* folder;
    const char* name;
    const char* path;
  } rows[] = {
      {"/opt/skim/", "Skimplane.ini", "/opt/skim/Skimplane.ini"},
      {"/opt/skim", "Skimplane.ini", "/opt/skim/Skimplane.ini"},
      {"/opt/skim/", "packs\\English.lng", "/opt/skim/packs/English.lng"},
      {"/opt/skim/", "a\\b\\c.lng", "/opt/skim/a/b/c.lng"},
      // A full path is appended like any other name.
      {"/opt/skim/", "/etc/passwd", "/opt/skim//etc/passwd"},
      {"/opt/skim/", "my pack.lng", "/opt/skim/my pack.lng"},
  };
  for (const auto& r : rows) EXPECT_EQ(BesideExecutable(r.folder, r.name).string(), r.path) << r.name;
}

TEST(SettingsValues, ASettingsFileGivesTheWindowsEntries) {
  const struct {
    std::string file;
    const char* message;
    TJobEntries expected;
  } rows[] = {
      {OptionBlock({"Length:1", "Width:2", "Knit:3", "Cross:4", "ZPos:5", "ZUp:6", "Layer:7", "Speed:8",
                    "Fro:9", "ClearEnd:false", "Mode:3", "Lang:missing.lng"}),
       "",
       {.XPos = 1,
        .YPos = 2,
        .Knit = 3,
        .Cross = 4,
        .ZPos = 5,
        .ZUp = 6,
        .Speed = 8,
        .Fro = 9,
        .Layer = 7,
        .Mode = 3,
        .ClearEnd = false}},
      {OptionBlock({"Speed:$1388", "Mode:9"}), "", {}},
      {OptionBlock({"Mode:2"}), "", {.Mode = 2}},
      // A bad entry costs only its own field.
      {OptionBlock({"Length:7", "Knit:x", "Fro:90"}),
       "entry \"Knit\": 'x' is not a valid floating point value",
       {.XPos = 7, .Fro = 90}},
      {"", "RootKey \"Option\" - subitem key not open.", {}},
  };
  for (const auto& r : rows) {
    TempDir dir;
    WriteBytes(dir / "job.ini", r.file);
    TJobEntries v;
    EXPECT_EQ(ErrorOf([&] { ReadSettingsFile(dir / "job.ini", v, '.'); }), Named(dir / "job.ini", r.message))
        << r.file;
    const auto& e = r.expected;
    EXPECT_EQ(
        std::tie(v.XPos, v.YPos, v.Knit, v.Cross, v.ZPos, v.ZUp, v.Layer, v.Speed, v.Fro, v.ClearEnd, v.Mode),
        std::tie(e.XPos, e.YPos, e.Knit, e.Cross, e.ZPos, e.ZUp, e.Layer, e.Speed, e.Fro, e.ClearEnd, e.Mode))
        << r.file;
  }
  TempDir dir;
  TJobEntries v;
  EXPECT_EQ(ErrorOf([&] { ReadSettingsFile(dir / "none.ini", v, '.'); }),
            "Ini file:" + (dir / "none.ini").string() + " not found.");
}

// The start reads the settings file and the pack it names only when they are regular files within the size
// limit: a pipe would keep the window from ever opening, a device or a runaway file would fill memory.
TEST(SettingsLoad, ASettingsFileOrPackThatIsNoRegularFileOrTooLargeIsRefused) {
  {
    TFolder f;
    ASSERT_EQ(::mkfifo(f.Ini().c_str(), 0644), 0);
    TFakeSettingsWindow window;
    EXPECT_EQ(ErrorOf([&] { LoadSettings(window, f.place); }),
              "Cannot open file \"" + f.Ini().string() + "\". Not a regular file");
    EXPECT_TRUE(window.log.empty());
  }
  const struct {
    const char* pack;
    std::function<void(const std::filesystem::path&)> make;
    std::string reason;
  } rows[] = {
      {"pipe.lng", [](const std::filesystem::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
       "Not a regular file"},
      {"huge.lng",
       [](const std::filesystem::path& p) {
         WriteBytes(p, "");
         std::filesystem::resize_file(p, (16 << 20) + 1);
       },
       "Larger than the limit of 16 MiB (16777216 bytes)"},
  };
  for (const auto& r : rows) {
    TFolder f;
    r.make(f.dir / r.pack);
    WriteBytes(f.Ini(),
               Crlf({"Option:[%RootKey%]", "[%", "  Layer:3", std::string("  Lang:") + r.pack, "%]"}));
    TFakeSettingsWindow window;
    EXPECT_EQ(ErrorOf([&] { LoadSettings(window, f.place); }),
              "Cannot open file \"" + (f.dir / r.pack).string() + "\". " + r.reason);
    EXPECT_EQ(window.SpinIntValue("edtLayer"), 3) << r.pack;  // the entries before the pack are set
  }
}

// The controller's choices and the machining options are written after the other entries and only once
// they differ from the defaults: the file of a user who never chose stays as it was.
TEST(SettingsSave, OutputChoicesAreWrittenOnlyWhenTheyDiffer) {
  const std::string plain = OptionBlock({"Length:150", "Width:200", "Knit:6", "Cross:0.5", "ZPos:1", "ZUp:2",
                                         "Layer:1", "Speed:5000", "Fro:120", "ClearEnd:TRUE", "Mode:1"});
  const auto with = [&](std::initializer_list<const char*> entries) {
    std::string text = plain;
    for (const char* e : entries) text.insert(text.rfind("%]"), std::string("  ") + e + "\r\n");
    return text;
  };
  const struct {
    const char* name;
    std::string before;
    int dialect, coolant;
    double dwell;
    std::string after;
    // The machining options follow the same rule.
    int direction = 0;
    double depth = 0;
    int32_t feed = 0;
  } rows[] = {
      {"never chosen", plain, 0, -1, 0, plain},
      {"ISO with its own coolant", plain, 0, 1, 0, plain},
      {"GRBL with its own coolant", plain, 1, 0, 0, with({"Dialect:grbl"})},
      {"GRBL, flood", plain, 1, 2, 0, with({"Dialect:grbl", "Coolant:flood"})},
      {"ISO, no coolant, dwell", plain, 0, 0, 1.5, with({"Coolant:off", "Dwell:1.5"})},
      {"the longest dwell, an hour, read and kept", with({"Coolant:off", "Dwell:3600"}), 0, 0, 3600,
       with({"Coolant:off", "Dwell:3600"})},
      {"back to ISO", with({"Dialect:grbl", "Coolant:flood"}), 0, 1, 0,
       with({"Dialect:iso", "Coolant:mist"})},
      {"climb", plain, 0, -1, 0, with({"Direction:climb"}), 1},
      {"conventional with a finishing layer", plain, 0, -1, 0,
       with({"Direction:conventional", "FinishDepth:0.25", "FinishFeed:60"}), 2, 0.25, 60},
      {"options kept", with({"Dwell:1.5", "Direction:climb", "FinishDepth:0.5", "FinishFeed:80"}), 0, -1, 1.5,
       with({"Dwell:1.5", "Direction:climb", "FinishDepth:0.5", "FinishFeed:80"}), 1, 0.5, 80},
      {"back to both", with({"Direction:climb"}), 0, -1, 0, with({"Direction:both"})},
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), r.before);
    TFakeSettingsWindow window;
    LoadSettings(window, f.place);
    window.dialect = r.dialect;
    window.coolant = r.coolant;
    window.floats.at("edtDwell") = r.dwell;
    window.direction = r.direction;
    window.floats.at("edtFinishDepth") = r.depth;
    window.integers.at("edtFinishFeed") = r.feed;
    SaveSettings(window, f.place);
    ExpectSameBytes(ReadBytes(f.Ini()), r.after, r.name);

    TJobEntries values;
    ReadSettingsFile(f.Ini(), values);
    EXPECT_EQ(values.Dialect, r.dialect) << r.name;
    EXPECT_EQ(values.Dwell, r.dwell) << r.name;
    const int own = r.dialect == 1 ? 0 : 1;
    EXPECT_EQ(values.Coolant == -1 ? own : values.Coolant, r.coolant == -1 ? own : r.coolant) << r.name;
    EXPECT_EQ(values.Direction, r.direction) << r.name;
    EXPECT_EQ(values.FinishDepth, r.depth) << r.name;
    EXPECT_EQ(values.FinishFeed, r.feed) << r.name;
  }
}

// The machining options are read from their keys; a file without them gets the defaults.
TEST(SettingsLoad, MachiningOptionsAreReadFromTheirKeys) {
  TFolder f;
  WriteBytes(f.Ini(), OptionBlock({"Length:40", "Overcut:2.5", "Entry:ramp", "RampAngle:7.5"}));
  TJobEntries values;
  ReadSettingsFile(f.Ini(), values);
  EXPECT_EQ(values.Overcut, 2.5);
  EXPECT_EQ(values.Entry, kEntryRamp);
  EXPECT_EQ(values.RampAngle, 7.5);
  WriteBytes(f.Ini(), OptionBlock({"Length:40"}));
  TJobEntries plain;
  ReadSettingsFile(f.Ini(), plain);
  EXPECT_EQ(plain.Overcut, 0);
  EXPECT_EQ(plain.Entry, kEntryPlunge);
  EXPECT_EQ(plain.RampAngle, 3);
}

TEST(SettingsLoad, BadOutputChoicesAreRefusedAndCostOnlyThemselves) {
  const struct {
    const char* entry;
    std::string message;
  } rows[] = {
      {"Dialect:fanuc", "entry \"Dialect\": 'fanuc' is not a valid dialect"},
      {"Coolant:air", "entry \"Coolant\": 'air' is not a valid coolant"},
      {"Dwell:-1", "entry \"Dwell\": '-1' is not a valid dwell"},
      {"Dwell:3600.0001", "entry \"Dwell\": '3600.0001' is not a valid dwell"},
      {"Dwell:3601", "entry \"Dwell\": '3601' is not a valid dwell"},
      {"Dwell:abc", "entry \"Dwell\": 'abc' is not a valid floating point value"},
      {"Overcut:-1", "entry \"Overcut\": '-1' is not a valid overcut"},
      {"Entry:dive", "entry \"Entry\": 'dive' is not a valid entry"},
      {"RampAngle:95", "entry \"RampAngle\": '95' is not a valid ramp angle"},
  };
  for (const auto& r : rows) {
    TFolder f;
    WriteBytes(f.Ini(), OptionBlock({"Length:40", r.entry, "Coolant:flood"}));
    TFakeSettingsWindow window;
    EXPECT_EQ(ErrorOf([&] { LoadSettings(window, f.place); }), Named(f.Ini(), r.message)) << r.entry;
    EXPECT_EQ(window.SpinValue("edtXPos"), 40) << r.entry;
  }
}
