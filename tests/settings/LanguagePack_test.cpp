// Language packs on a window made of plain members: loading, applying, character sets.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "FakeSettingsWindow.h"
#include "TempDir.h"
#include "TestSupport.h"
#include "dvTools/dvError.h"
#include "settings/LanguagePack.h"
#include "settings/Settings.h"

namespace {

const std::string kData = std::string(SKIMPLANE_TEST_DATA) + "/settings/";
const std::string kPacks = std::string(SKIMPLANE_TEST_DATA) + "/../../packs/";

// A folder with a settings file naming `packName` and the pack `packBytes` at `packFile`.
struct TPackFolder {
  TempDir dir;
  TSettingsPlace place{dir.path().string(), '.'};
  TPackFolder(const std::string& packName, const std::string& packFile, const std::string& packBytes,
              const std::string& settingsBefore = "  Mode:2") {
    WriteBytes(dir / "Skimplane.ini",
               Crlf({"Option:[%RootKey%]", "[%", settingsBefore, "  Lang:" + packName, "%]"}));
    if (!packFile.empty()) {
      std::filesystem::create_directories((dir / packFile).parent_path());
      WriteBytes(dir / packFile, packBytes);
    }
  }
};

std::string Pack(std::initializer_list<std::string> option, std::initializer_list<std::string> lang) {
  std::string text = "Option:[%RootKey%]\r\n[%\r\n";
  for (const auto& v : option) text += "  " + v + "\r\n";
  text += "%]\r\nLang:[%RootKey%]\r\n[%\r\n";
  for (const auto& v : lang) text += "  " + v + "\r\n";
  return text + "%]\r\n";
}

const std::vector<std::string> kDesignPages = {"材质平面", "铣刀选项", "运动选项", "加工选项", "关于"};
// CheckBox1 .. CheckBox11 in their order.
const char* const kChoices[] = {"opnDelta",    "opnXArrow", "opnYArrow",      "chkClearEnd",
                                "opnZUpRel",   "opnZUpAbs", "opnPlunge",      "opnRamp",
                                "opnBothWays", "opnClimb",  "opnConventional"};
constexpr int kChoicesOfEveryPack = 6;  // the later ones keep their own caption where a pack lacks them

}  // namespace

TEST(LanguagePack, CharsetNamesAreComparedWholeAfterUpperCasing) {
  const struct {
    const char* name;
    int code;
  } rows[] = {{"ANSI_CHARSET", 0},
              {"ansi_charset", 0},
              {"GB2312_CHARSET", 134},
              {"gb2312_charset", 134},
              {"ChineseBig5_Charset", 136},
              {"CHINESEBIG5_CHARSET", 136},
              {"GB2312", 1},
              {"", 1},
              {" ANSI_CHARSET", 1},
              {"DEFAULT_CHARSET", 1},
              {"0", 1},
              {"134", 1},
              {"ANSI_CHARSETX", 1}};
  for (const auto& r : rows) EXPECT_EQ(CharsetCode(r.name), r.code) << r.name;
}

TEST(LanguagePack, TextsAreDecodedWithTheCodePageOfTheirCharset) {
  const struct {
    std::string bytes;
    int charset;
    const char* utf8;
  } rows[] = {
      {"Tahoma", 0, "Tahoma"},
      {"Caf\xe9 \x80 \x93ok\x94", 0, "Café € “ok”"},
      {"\xcb\xce\xcc\xe5", 134, "宋体"},
      {"\xb3\xa4\xb6\xc8\xa3\xba", 134, "长度："},
      {"\x81\x40", 134, "丂"},  // a GBK character outside GB2312
      {"\xb2\xd3\xa9\xfa\xc5\xe9", 136, "細明體"},
      {"\xaa\xf8\xab\xd7\xa1\x47", 136, "長度："},
      {"\xa5\x5c\xaf\xe0", 136, "功能"},  // a trailing byte that is a backslash in ASCII
      {"\xc3\xa9t\xc3\xa9", 1, "été"},    // the system's code page: UTF-8 here
      {"\xcb\xce\xcc", 134, "宋"},        // cut inside a character: the half is dropped
      {"", 136, ""},
  };
  for (const auto& r : rows) EXPECT_EQ(DecodePackText(r.bytes, r.charset).toStdString(), r.utf8) << r.utf8;
}

TEST(LanguagePack, ShippedEnglishPackRecaptionsTheWindow) {
  TPackFolder f("English.lng", "English.lng", ReadBytes(kPacks + "English.lng"));
  TFakeSettingsWindow w;
  LoadSettings(w, f.place);
  EXPECT_EQ(w.fontName, "Tahoma");
  EXPECT_EQ(w.charset, 0);
  EXPECT_EQ(w.captions.at("lblLangPack"), "LangPack: English");
  const std::vector<std::string> pages = {"Workpiece", "Cutter", "Motion", "Machining", "About"};
  EXPECT_EQ(w.Pages(), pages);
  EXPECT_EQ(w.captions.at("Label1"), "Length:");
  EXPECT_EQ(w.captions.at("Label44"), "Spindle dwell(W):");
  EXPECT_EQ(w.captions.at("opnConventional"), "Conventional");
  EXPECT_EQ(w.captions.at("Label4"), "* X axis, to the right");
  EXPECT_EQ(w.captions.at("Label14"), "rpm");
  EXPECT_EQ(w.captions.at("chkClearEnd"), "Clean the remaining edge");
  EXPECT_EQ(w.captions.at("opnZUpAbs"), "Absolute");
  EXPECT_EQ(w.captions.at("btnPreview"), "Preview");
  EXPECT_EQ(w.captions.at("lblController"), "Controller:");
  EXPECT_EQ(w.captions.at("cmbController"),
            "ISO, mist coolant (M07)|ISO, flood coolant (M08)|ISO, no coolant|GRBL 1.1, no coolant|"
            "GRBL 1.1, flood coolant (M8)");
  EXPECT_EQ(w.captions.at("lblVersion"), "(lblVersion)");
  EXPECT_EQ(w.strategy, "opnXArrow");
  // The order of the steps: font, character set, credit, pages by their keys, labels, the choices; then
  // the window shows the entries the settings file gave.
  std::vector<std::string> expected = {"fontName", "charset", "caption lblLangPack"};
  for (const char* page : {"tabFace", "tabKnit", "tabOption", "tabAbout", "tabMachining"})
    expected.push_back("caption " + std::string(page));
  for (const std::string& label : TFakeSettingsWindow::TranslatableLabels())
    expected.push_back("caption " + label);
  for (const char* c : kChoices) expected.push_back("caption " + std::string(c));
  expected.push_back("caption btnPreview");
  expected.push_back("caption lblController");
  expected.push_back("caption cmbController");
  expected.push_back("select opnXArrow");
  EXPECT_EQ(w.log, expected);
}

TEST(LanguagePack, ChinesePacksAreDecodedFromTheirCodePages) {
  const struct {
    std::string file;
    const char* font;
    int charset;
    const char* credit;
    std::vector<std::string> pages;
    const char* label2;
    const char* clearEnd;
  } rows[] = {
      {kData + "chinese-simplified-gbk.lng", "宋体", 134, "LangPack: 简体中文", kDesignPages,
       "* Y轴方向，向前", "清除清扫后的可能的残留边缘"},
      {kPacks + "Chinese-Traditional.lng",
       "細明體",
       136,
       "LangPack: 繁體中文",
       {"工件平面", "銑刀選項", "運動選項", "加工選項", "關於"},
       "* Y軸方向，向前",
       "清除清掃後可能殘留的邊緣"},
  };
  for (const auto& r : rows) {
    TPackFolder f("zh.lng", "zh.lng", ReadBytes(r.file));
    TFakeSettingsWindow w;
    w.fontName = "Tahoma";
    LoadSettings(w, f.place);
    EXPECT_EQ(w.fontName, r.font) << r.file;
    EXPECT_EQ(w.charset, r.charset) << r.file;
    EXPECT_EQ(w.captions.at("lblLangPack"), r.credit) << r.file;
    EXPECT_EQ(w.Pages(), r.pages) << r.file;
    EXPECT_EQ(w.captions.at("Label2"), r.label2) << r.file;
    EXPECT_EQ(w.captions.at("chkClearEnd"), r.clearEnd) << r.file;
  }
}

TEST(LanguagePack, OptionKeysSetFontAndCredit) {
  const struct {
    std::string name;
    std::vector<std::string> option;
    const char* font;  // the fake starts with 宋体
    int charset;
    const char* credit;
  } rows[] = {
      {"charset in lower case", {"Charset:gb2312_charset"}, "宋体", 134, "LangPack:"},
      {"charset without its suffix", {"Charset:GB2312"}, "宋体", 1, "LangPack:"},
      {"font without charset", {"FontName:Arial", "LangPack:x"}, "Arial", 1, "LangPack:x"},
      {"empty font name", {"FontName:", "Charset:ANSI_CHARSET"}, "宋体", 0, "LangPack:"},
      {"quoted font name keeps blanks", {"FontName:\" Courier New \""}, " Courier New ", 1, "LangPack:"},
      {"font name over 31 bytes",
       {"FontName:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"},
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234",
       1,
       "LangPack:"},
      {"GBK font name cut inside a character",
       {"Charset:GB2312_CHARSET", "FontName:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123\xcb\xce"},
       "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123",
       134,
       "LangPack:"},
      {"credit with a quoted dollar", {"LangPack:\"$#5 pack\""}, "宋体", 1, "LangPack:$5 pack"},
      {"credit with an unquoted dollar", {"LangPack:$5 pack"}, "宋体", 1, "LangPack:"},
      {"credit in Windows-1252",
       {"Charset:ANSI_CHARSET", "LangPack:\" fran\xe7\x61is\""},
       "宋体",
       0,
       "LangPack: français"},
  };
  for (const auto& r : rows) {
    TPackFolder f("p.lng", "", "");
    TFakeSettingsWindow w;
    std::string option = "Option:[%RootKey%]\r\n[%\r\n";
    for (const auto& v : r.option) option += "  " + v + "\r\n";
    WriteBytes(f.dir / "p.lng", option + "%]\r\nLang:[%RootKey%]\r\n[%\r\n%]\r\n");
    LoadSettings(w, f.place);
    EXPECT_EQ(w.fontName, r.font) << r.name;
    EXPECT_EQ(w.charset, r.charset) << r.name;
    EXPECT_EQ(w.captions.at("lblLangPack"), r.credit) << r.name;
  }
}

TEST(LanguagePack, LangKeysRecaptionPagesLabelsAndChoices) {
  const struct {
    const char* name;
    std::string lang;  // lines of the Lang block
    std::function<void(const TFakeSettingsWindow&)> check;
  } rows[] = {
      {"empty block", "",
       [](auto& w) {
         EXPECT_EQ(w.Pages(), kDesignPages);
         EXPECT_EQ(w.captions.at("Label1"), "(Label1)");
         for (int i = 0; i < 11; ++i)
           EXPECT_EQ(w.captions.at(kChoices[i]),
                     i < kChoicesOfEveryPack ? "" : "(" + std::string(kChoices[i]) + ")")
               << kChoices[i];
       }},
      // Sheet4 is About wherever it stands; Sheet5 is the machining page that came later, before it.
      {"pages counted from 1, each key its page",
       "Sheet0:zero\r\nSheet2:two\r\nSheet6:six\r\nSheet5:five\r\nSheet4:four\r\n",
       [](auto& w) {
         const std::vector<std::string> pages = {"材质平面", "two", "运动选项", "five", "four"};
         EXPECT_EQ(w.Pages(), pages);
       }},
      {"labels by name in any case", "label1:one\r\nLABEL14:fourteen\r\nLabel39:mm?\r\nlblVersion:v\r\n",
       [](auto& w) {
         EXPECT_EQ(w.captions.at("Label1"), "one");
         EXPECT_EQ(w.captions.at("Label14"), "fourteen");
         EXPECT_EQ(w.captions.at("Label39"), "(Label39)");
         EXPECT_EQ(w.captions.at("lblVersion"), "(lblVersion)");
         EXPECT_EQ(w.captions.at("Label2"), "(Label2)");
       }},
      {"only plain labels with Tag 9", "ZQLabel9:x\r\nZQLabel1:y\r\nedtXPos:z\r\n",
       [](auto& w) {
         EXPECT_EQ(w.captions.at("ZQLabel9"), "(ZQLabel9)");
         EXPECT_EQ(w.captions.at("ZQLabel1"), "(ZQLabel1)");
         EXPECT_EQ(w.captions.at("edtXPos"), "(edtXPos)");
       }},
      {"split at the first colon, outer spaces trimmed", "Label3:  Width: (X)  \r\nLabel5:\"  R: \"\r\n",
       [](auto& w) {
         EXPECT_EQ(w.captions.at("Label3"), "Width: (X)");
         EXPECT_EQ(w.captions.at("Label5"), "  R: ");
       }},
      {"dollar sign unquoted and quoted", "CheckBox4:Clean $ edge\r\nCheckBox1:\"Spiral $# 1\"\r\n",
       [](auto& w) {
         EXPECT_EQ(w.captions.at("chkClearEnd"), "");
         EXPECT_EQ(w.captions.at("opnDelta"), "Spiral $ 1");
       }},
      {"an empty label text is a caption too", "Label7:\r\n",
       [](auto& w) { EXPECT_EQ(w.captions.at("Label7"), ""); }},
      {"each choice by its number",
       "CheckBox11:11\r\nCheckBox10:10\r\nCheckBox9:9\r\nCheckBox8:8\r\nCheckBox7:7\r\nCheckBox6:6\r\n"
       "CheckBox5:5\r\nCheckBox4:4\r\nCheckBox3:3\r\nCheckBox2:2\r\nCheckBox1:1\r\nCheckBox12:12\r\n",
       [](auto& w) {
         for (int i = 0; i < 11; ++i)
           EXPECT_EQ(w.captions.at(kChoices[i]), std::to_string(i + 1)) << kChoices[i];
       }},
  };
  for (const auto& r : rows) {
    TPackFolder f(
        "p.lng", "p.lng",
        "Option:[%RootKey%]\r\n[%\r\n  LangPack:x\r\n%]\r\nLang:[%RootKey%]\r\n[%\r\n" + r.lang + "%]\r\n");
    TFakeSettingsWindow w;
    LoadSettings(w, f.place);
    SCOPED_TRACE(r.name);
    EXPECT_EQ(w.captions.at("lblLangPack"), "LangPack:x");
    r.check(w);
  }
}

TEST(LanguagePack, PacksAreNamedRelativeToTheExecutablesFolder) {
  const std::string pack = Pack({"LangPack:found"}, {});
  const struct {
    const char* lang;  // as written in the settings file
    const char* file;  // where the pack lies
  } rows[] = {
      {"packs\\English.lng", "packs/English.lng"}, {"packs/English.lng", "packs/English.lng"},
      {"a\\b\\deep.lng", "a/b/deep.lng"},          {"\"my pack.lng\"", "my pack.lng"},
      {"\" spaced .lng\"", " spaced .lng"},        {"  English.lng  ", "English.lng"},
  };
  for (const auto& r : rows) {
    TPackFolder f(r.lang, r.file, pack);
    TFakeSettingsWindow w;
    EXPECT_EQ(ErrorOf([&] { LoadSettings(w, f.place); }), "") << r.lang;
    EXPECT_EQ(w.captions.at("lblLangPack"), "LangPack:found") << r.lang;
  }
}

TEST(LanguagePack, NoPackIsLoadedForAnEmptyOrMissingLang) {
  for (const char* lang : {"", "\"\""}) {
    TPackFolder f(lang, "English.lng", Pack({"LangPack:found"}, {}));
    TFakeSettingsWindow w;
    LoadSettings(w, f.place);
    EXPECT_EQ(w.captions.at("lblLangPack"), "(lblLangPack)") << lang;
    EXPECT_EQ(w.strategy, "opnXArrow");
  }
}

TEST(LanguagePack, FailuresStopTheStepsThatFollow) {
  const struct {
    const char* name;
    std::string lang;   // the settings' Lang
    std::string bytes;  // the pack, written to p.lng
    std::string message;
    std::vector<std::string> applied;  // what reached the window after the settings
  } rows[] = {
      {"missing pack", "nothere.lng", "", "Ini file:<dir>/nothere.lng not found.", {}},
      {"missing pack in a subfolder",
       "packs\\nothere.lng",
       "",
       "Ini file:<dir>/packs/nothere.lng not found.",
       {}},
      {"no Option block",
       "p.lng",
       Crlf({"Lang:[%RootKey%]", "[%", "  Sheet1:x", "%]"}),
       "RootKey \"Option\" - subitem key not open.",
       {}},
      {"Option without a block",
       "p.lng",
       Crlf({"Option:[%RootKey%]", "Lang:[%RootKey%]", "[%", "%]"}),
       "RootKey \"Option\" - subitem key not open.",
       {}},
      {"empty pack", "p.lng", "", "RootKey \"Option\" - subitem key not open.", {}},
      {"no Lang block",
       "p.lng",
       Crlf({"Option:[%RootKey%]", "[%", "  FontName:Arial", "%]"}),
       "RootKey \"Lang\" - subitem key not open.",
       {"fontName", "charset", "caption lblLangPack"}},
      {"block before any root key", "p.lng", Crlf({"[%", "%]"}), "RootKey not Open.", {}},
      {"empty value name",
       "p.lng",
       Crlf({"Option:[%RootKey%]", "[%", "  :x", "%]"}),
       "Invaild field name",
       {}},
      {"name over 255 bytes",
       "p.lng",
       Crlf({"Option:[%RootKey%]", "[%", "  " + std::string(256, 'k') + ":x", "%]"}),
       "Invaild field (length > 255).",
       {}},
      {"value over 65535 bytes",
       "p.lng",
       Crlf({"Option:[%RootKey%]", "[%", "  k:" + std::string(65536, 'v'), "%]"}),
       "Invalid value (length > 65535).",
       {}},
  };
  for (const auto& r : rows) {
    TPackFolder f(r.lang, r.bytes.empty() && r.message.starts_with("Ini") ? "" : "p.lng", r.bytes);
    TFakeSettingsWindow w;
    std::string message = r.message;
    if (const auto at = message.find("<dir>"); at != std::string::npos)
      message.replace(at, 5, f.dir.path().string());
    EXPECT_EQ(ErrorOf([&] { LoadSettings(w, f.place); }), message) << r.name;
    // The pack's steps up to the failure, then the settings' entries, all read, reach the window.
    std::vector<std::string> expected = r.applied;
    expected.push_back("select opnXArrow");
    EXPECT_EQ(w.log, expected) << r.name;
  }
}
