#include "dvTools/dvIniTools.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "dvTools/EscapedText.h"
#include "dvTools/dvError.h"

using namespace std::string_literals;

namespace {

// A document with root key Option and one open block.
struct OpenDoc {
  TDVIniFile ini;
  explicit OpenDoc(char separator = '.') {
    ini.SetDecimalSeparator(separator);
    ini.OpenRootKey("Option");
    ini.AddSubKey();
  }
};

}  // namespace

TEST(IniDocument, NamesIgnoreAsciiCaseAndOuterSpacesButKeepTheirSpelling) {
  OpenDoc d;
  d.ini.WriteString("Length", "1");
  EXPECT_TRUE(d.ini.ValueExists("LENGTH"));
  EXPECT_TRUE(d.ini.ValueExists("  length "));
  EXPECT_FALSE(d.ini.ValueExists("Len gth"));
  d.ini.WriteString("LENGTH", "2");
  EXPECT_EQ(d.ini.ReadString("length"), "2");
  EXPECT_EQ(d.ini.SaveToBytes(), "Option:[%RootKey%]\r\n[%\r\n  Length:2\r\n%]\r\n");

  // Letters outside ASCII are not folded: a-umlaut and A-umlaut (Latin-1) are two names.
  d.ini.WriteString("\xe4x", "small");
  d.ini.WriteString("\xc4x", "capital");
  EXPECT_EQ(d.ini.ReadString("\xe4x"), "small");
  EXPECT_EQ(d.ini.ReadString("\xc4x"), "capital");
}

TEST(IniDocument, NamesWithOneHashAreOneName) {
  OpenDoc d;
  EXPECT_EQ(TDVIniFile::NameKey("AQ"), 1121u);
  EXPECT_EQ(TDVIniFile::NameKey(" ba "), 1121u);
  d.ini.WriteString("AQ", "first");
  EXPECT_TRUE(d.ini.ValueExists("BA"));
  EXPECT_EQ(d.ini.ReadString("BA"), "first");
  d.ini.WriteString("BA", "x");
  EXPECT_EQ(d.ini.SaveToBytes(), "Option:[%RootKey%]\r\n[%\r\n  AQ:x\r\n%]\r\n");
  d.ini.OpenRootKey("BA");  // a new root key, which AQ then reopens
  d.ini.OpenRootKey("AQ");
  EXPECT_EQ(d.ini.RootKeyName(), "AQ");
  EXPECT_EQ(d.ini.SaveToBytes(), "Option:[%RootKey%]\r\n[%\r\n  AQ:x\r\n%]\r\n\r\nBA:[%RootKey%]\r\n");
}

TEST(IniDocument, LengthLimitsOnCreateAndReplace) {
  const std::string name255(255, 'n'), name256(256, 'n');
  const std::string value65535(65535, 'v'), value65536(65536, 'v');
  const struct {
    const char* what;
    std::string name;
    std::string value;
    bool replace;  // the name exists before the write
    const char* error;
  } rows[] = {
      {"name 255", name255, "x", false, ""},
      {"name 256", name256, "x", false, "Invaild field (length > 255)."},
      {"name 256 in spaces", "  " + name255 + "  ", "x", false, ""},
      {"empty name", "", "x", false, "Invaild field name"},
      {"blank name", "   ", "x", false, "Invaild field name"},
      {"value 65535 new", "V", value65535, false, ""},
      {"value 65536 new", "V", value65536, false, "Invalid value (length > 65535)."},
      {"value 65535 replace", "V", value65535, true, ""},
      {"value 65536 replace", "V", value65536, true, "Invalid value (length > 65535)."},
  };
  for (const auto& r : rows) {
    OpenDoc d;
    if (r.replace) d.ini.WriteString(r.name, "old");
    const std::string before = d.ini.SaveToBytes();
    const std::string error = ErrorOf([&] { d.ini.WriteString(r.name, r.value); });
    if (*r.error) {
      EXPECT_EQ(error, r.error) << r.what;
      EXPECT_EQ(d.ini.SaveToBytes(), before) << r.what;  // nothing added or changed
    } else {
      EXPECT_EQ(error, "") << r.what;
      EXPECT_EQ(d.ini.ReadRawString(r.name), r.value) << r.what;
    }
  }
  TDVIniFile ini;
  EXPECT_EQ(ErrorOf([&] { ini.OpenRootKey(name256); }), "Invaild field (length > 255).");
  ini.OpenRootKey(name255);
  EXPECT_TRUE(ini.IsRootKeyOpen());
}

TEST(IniDocument, CursorMessagesAndStates) {
  TDVIniFile ini;
  EXPECT_EQ(ErrorOf([&] { (void)ini.ValueExists("x"); }), "RootKey \"\" - subitem key not open.");
  EXPECT_EQ(ErrorOf([&] { ini.AddSubKey(); }), "RootKey not Open.");
  ini.OpenSubKey();  // no root key: nothing happens
  EXPECT_FALSE(ini.IsSubKeyOpen());

  ini.OpenRootKey("Option");
  const std::string notOpen = "RootKey \"Option\" - subitem key not open.";
  const std::function<void()> needBlock[] = {
      [&] { (void)ini.ValueExists("x"); },
      [&] { (void)ini.ReadString("x"); },
      [&] { (void)ini.ReadRawString("x"); },
      [&] { (void)ini.ReadInteger("x"); },
      [&] { (void)ini.ReadFloat("x"); },
      [&] { (void)ini.ReadBool("x"); },
      [&] {
        std::string s;
        ini.ReadValue("x", s);
      },
      [&] {
        PTreeItem i;
        ini.FindValue("x", i);
      },
      [&] { ini.WriteString("x", "1"); },
      [&] { ini.WriteInteger("x", 1); },
      [&] { ini.WriteFloat("x", 1); },
      [&] { ini.WriteBool("x", true); },
  };
  for (const auto& action : needBlock) EXPECT_EQ(ErrorOf(action), notOpen);
  ini.OpenSubKey();  // no block and AutoCreate off
  EXPECT_FALSE(ini.IsSubKeyOpen());
  EXPECT_EQ(ini.SaveToBytes(), "Option:[%RootKey%]\r\n");

  // A rejected name adds nothing and keeps the cursor; later messages carry the name as given.
  ini.SetAutoCreate(true);
  ini.OpenSubKey();
  EXPECT_TRUE(ini.IsSubKeyOpen());
  PTreeItem option = ini.CurrentRootKey();
  EXPECT_EQ(ErrorOf([&] { ini.OpenRootKey("   "); }), "Invaild field name");
  EXPECT_EQ(ini.CurrentRootKey(), option);
  EXPECT_TRUE(ini.IsSubKeyOpen());
  EXPECT_EQ(ErrorOf([&] { ini.OpenRootKey(""); }), "Invaild field name");
  ini.CloseSubKey();
  EXPECT_EQ(ErrorOf([&] { (void)ini.ReadBool("x"); }), "RootKey \"\" - subitem key not open.");
  EXPECT_EQ(ini.SaveToBytes(), "Option:[%RootKey%]\r\n[%\r\n%]\r\n");
}

TEST(IniDocument, SubKeysAddFindAndReopen) {
  TDVIniFile ini;
  PTreeItem found = nullptr;
  EXPECT_FALSE(ini.FindSubKey(0, found));
  ini.OpenRootKey("Option");
  PTreeItem first = ini.AddSubKey();
  ini.WriteString("A", "1");
  PTreeItem second = ini.AddSubKey();
  EXPECT_EQ(ini.CurrentSubKey(), second);
  ini.WriteString("A", "2");
  EXPECT_EQ(ini.ReadString("A"), "2");
  ini.OpenSubKey();
  EXPECT_EQ(ini.CurrentSubKey(), first);
  EXPECT_EQ(ini.ReadString("A"), "1");
  const struct {
    int index;
    PTreeItem item;
  } rows[] = {{0, first}, {1, second}, {2, nullptr}, {-1, nullptr}};
  for (const auto& r : rows) {
    found = nullptr;
    EXPECT_EQ(ini.FindSubKey(r.index, found), r.item != nullptr) << r.index;
    EXPECT_EQ(found, r.item) << r.index;
  }
  EXPECT_EQ(ini.CurrentSubKey(), first);  // finding does not move the cursor
  ini.OpenRootKey("other");
  ini.OpenRootKey("OPTION");
  EXPECT_EQ(ini.RootKeyName(), "OPTION");
  ini.OpenSubKey();
  EXPECT_EQ(ini.CurrentSubKey(), first);
  ini.Clear();
  EXPECT_FALSE(ini.IsRootKeyOpen());
  EXPECT_EQ(ini.SaveToBytes(), "");
}

TEST(IniDocument, ReadValueRawStringAndBool) {
  OpenDoc d;
  d.ini.WriteString("Empty", "");
  d.ini.WriteString("Text", " a b ");
  std::string out = "unchanged";
  EXPECT_FALSE(d.ini.ReadValue("Missing", out));
  EXPECT_EQ(out, "unchanged");
  EXPECT_FALSE(d.ini.ReadValue("Empty", out));
  EXPECT_EQ(out, "");
  EXPECT_TRUE(d.ini.ReadValue("Text", out));
  EXPECT_EQ(out, " a b ");
  EXPECT_TRUE(d.ini.ValueExists("Empty"));
  EXPECT_EQ(d.ini.ReadString("Missing"), "");

  const struct {
    const char* stored;
    bool expected;
  } rows[] = {{"TRUE", true}, {"true", true}, {"True", true}, {"TRUE ", false},   {" TRUE", false},
              {"1", false},   {"yes", false}, {"", false},    {"\"TRUE\"", false}};
  for (const auto& r : rows) {
    d.ini.WriteString("B", r.stored);
    d.ini.SetQuotedStrings(true);
    EXPECT_EQ(d.ini.ReadBool("B"), r.expected) << r.stored;
  }
  EXPECT_FALSE(d.ini.ReadBool("Missing"));
  d.ini.WriteBool("C", true);
  d.ini.WriteBool("D", false);
  EXPECT_EQ(d.ini.ReadRawString("C"), "TRUE");
  EXPECT_EQ(d.ini.ReadRawString("D"), "FALSE");
}

TEST(IniDocument, QuotedStringsDecodeOnlyReadString) {
  OpenDoc d;
  d.ini.WriteString("Caption", "\"$QFace$Q and edge$N$Dsecond line\"");
  EXPECT_EQ(d.ini.ReadString("Caption"), "\"$QFace$Q and edge$N$Dsecond line\"");
  d.ini.SetQuotedStrings(true);
  EXPECT_EQ(d.ini.ReadString("Caption"), "\"Face\" and edge\r\nsecond line");
  EXPECT_EQ(d.ini.ReadRawString("Caption"), "\"$QFace$Q and edge$N$Dsecond line\"");
  std::string raw;
  d.ini.ReadValue("Caption", raw);
  EXPECT_EQ(raw, "\"$QFace$Q and edge$N$Dsecond line\"");
}

TEST(IniDocument, DecodeQuotedTable) {
  const struct {
    std::string stored;
    std::string decoded;
  } rows[] = {
      {"\"\"", ""},        {"abc", "abc"},
      {"\"abc", ""},       {"x\"abc\"y", "abc"},
      {"\"a$#b\"", "a$b"}, {"\"a$", "a$"},
      {"$\"ab", "ab"},     {"$\"a", ""},
      {"Price 5$", ""},    {"\"$Q$N$D$d$$$x\"", "\"\r\nd$x"},
      {"\"a\"b\"", "a"},   {"\" keep spaces \"", " keep spaces "},
      {"\"$q\"", "q"},     {"", ""},
      {"\"", ""},          {"\"ab$\"tail", "ab\"tail"},  // an escaped quote does not end the text
  };
  for (const auto& r : rows) EXPECT_EQ(DecodeQuoted(r.stored), r.decoded) << r.stored;
}

TEST(IniDocument, ReadIntegerIsStrict) {
  const struct {
    const char* text;
    bool valid;
    std::int32_t value;
  } rows[] = {
      {"5000", true, 5000},
      {"  12", true, 12},
      {"+7", true, 7},
      {"-7", true, -7},
      {"007", true, 7},
      {"$1388", true, 5000},
      {"x10", true, 16},
      {"0x10", true, 16},
      {"0X1f", true, 31},
      {"-$10", true, -16},
      {"$FFFFFFFF", true, -1},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, std::numeric_limits<std::int32_t>::min()},
      {"", false, 0},
      {"12 ", false, 0},
      {"1.5", false, 0},
      {"1e3", false, 0},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"$", false, 0},
      {"0x", false, 0},
      {"$100000000", false, 0},
      {"$G", false, 0},
      {"abc", false, 0},
      {"\t5", false, 0},
      {"- 5", false, 0},
      {"--5", false, 0},
  };
  for (const auto& r : rows) {
    OpenDoc d;
    d.ini.WriteString("N", r.text);
    if (r.valid) {
      EXPECT_EQ(d.ini.ReadInteger("N"), r.value) << r.text;
    } else {
      EXPECT_EQ(ErrorOf([&] { (void)d.ini.ReadInteger("N"); }),
                "'"s + EscapeControlBytes(r.text) + "' is not a valid integer value");
    }
  }
  OpenDoc d;
  EXPECT_EQ(ErrorOf([&] { (void)d.ini.ReadInteger("Missing"); }), "'' is not a valid integer value");
  d.ini.WriteInteger("I", -2147483647 - 1);
  EXPECT_EQ(d.ini.ReadRawString("I"), "-2147483648");
}

TEST(IniDocument, ReadFloatUsesTheDocumentsSeparator) {
  const struct {
    char separator;
    const char* text;
    bool valid;
    double value;
  } rows[] = {
      {'.', "150", true, 150},     {'.', "150.5", true, 150.5},   {',', "150,5", true, 150.5},
      {'.', " 1E-6 ", true, 1e-6}, {'.', "1.5E20", true, 1.5e20}, {'.', "-2.5e+3", true, -2500},
      {'.', "+.5", true, 0.5},     {'.', "5.", true, 5},          {'.', "0.1", true, 0.1},
      {'.', "1E-400", true, 0},    {'.', "INF", true, HUGE_VAL},  {'.', "-inf", true, -HUGE_VAL},
      {'.', "150,5", false, 0},    {',', "150.5", false, 0},      {'.', "", false, 0},
      {'.', "   ", false, 0},      {'.', "1e", false, 0},         {'.', "e5", false, 0},
      {'.', ".", false, 0},        {'.', "1.5.2", false, 0},      {'.', "1E400", false, 0},
      {'.', "0x10", false, 0},     {'.', "1 5", false, 0},        {'.', "\t1", false, 0},
      {'.', "1,000.5", false, 0},  {'.', "infinity", false, 0},
  };
  for (const auto& r : rows) {
    OpenDoc d(r.separator);
    d.ini.WriteString("F", r.text);
    if (r.valid) {
      EXPECT_EQ(d.ini.ReadFloat("F"), r.value) << r.text;
    } else {
      EXPECT_EQ(ErrorOf([&] { (void)d.ini.ReadFloat("F"); }),
                "'"s + EscapeControlBytes(r.text) + "' is not a valid floating point value");
    }
  }
  OpenDoc d;
  d.ini.WriteString("N", "nan");
  EXPECT_TRUE(std::isnan(d.ini.ReadFloat("N")));
  EXPECT_EQ(ErrorOf([&] { (void)d.ini.ReadFloat("Missing"); }), "'' is not a valid floating point value");
}

TEST(IniDocument, WriteFloatGeneralFormatFifteenDigits) {
  const struct {
    double value;
    const char* point;
    const char* comma;
  } rows[] = {
      {150, "150", "150"},
      {150.5, "150.5", "150,5"},
      {0.5, "0.5", "0,5"},
      {0.1, "0.1", "0,1"},
      {-0.25, "-0.25", "-0,25"},
      {0, "0", "0"},
      {-0.0, "0", "0"},
      {1e-6, "1E-6", "1E-6"},
      {1.5e20, "1.5E20", "1,5E20"},
      {-1.5e-7, "-1.5E-7", "-1,5E-7"},
      {0.00001, "0.00001", "0,00001"},
      {0.000025, "0.000025", "0,000025"},
      {0.000009, "9E-6", "9E-6"},
      {999999999999999, "999999999999999", "999999999999999"},
      {1e15, "1E15", "1E15"},
      {1e100, "1E100", "1E100"},
      {1.0 / 3, "0.333333333333333", "0,333333333333333"},
      {2.0 / 3, "0.666666666666667", "0,666666666666667"},
      {0.1 + 0.2, "0.3", "0,3"},
      {123456.789, "123456.789", "123456,789"},
      {5e-324, "4.94065645841247E-324", "4,94065645841247E-324"},
      {1.7976931348623157e308, "1.79769313486232E308", "1,79769313486232E308"},
      {std::nan(""), "NAN", "NAN"},
      {HUGE_VAL, "INF", "INF"},
      {-HUGE_VAL, "-INF", "-INF"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(FormatIniFloat(r.value, '.'), r.point) << r.point;
    OpenDoc d(',');
    d.ini.WriteFloat("F", r.value);
    EXPECT_EQ(d.ini.ReadRawString("F"), r.comma) << r.point;
  }
}

TEST(IniDocument, WriteFloatReadsBack) {
  const double values[] = {0.1,    0.2, 150.5, -3.75,   1e-6, 1.5e20, 12345.6789, 1e-5,
                           0.0001, 42,  -1e15, 2.5e-10, 1e21, 1.1,    0.07,       299792.458};
  for (char separator : {'.', ','}) {
    for (double v : values) {
      OpenDoc d(separator);
      d.ini.WriteFloat("F", v);
      EXPECT_EQ(d.ini.ReadFloat("F"), v) << d.ini.ReadRawString("F");
    }
  }
  OpenDoc d;
  d.ini.WriteFloat("F", HUGE_VAL);
  EXPECT_EQ(d.ini.ReadFloat("F"), HUGE_VAL);
}

TEST(IniDocument, DecimalSeparatorDefaultsToThePlatforms) {
  TDVIniFile ini;
  EXPECT_EQ(ini.DecimalSeparator(), DefaultDecimalSeparator());
  // The tests run under LC_ALL=C.UTF-8, whose separator is the point.
  if (const char* all = std::getenv("LC_ALL"); all && std::string(all) == "C.UTF-8") {
    EXPECT_EQ(DefaultDecimalSeparator(), '.');
  }
}

namespace {

// A derived document: the tree list reaches the overrides through the document's callbacks.
class TUpperIniFile : public TDVIniFile {
 public:
  int deleted = 0;
  ~TUpperIniFile() override { Clear(); }

 protected:
  void DoDeleteNode(PTreeItem item) override {
    ++deleted;
    TDVIniFile::DoDeleteNode(item);
  }
  void DoWriteNode(PTreeItem item) override {
    if (item->Level == 3) {
      Writer()->Lines.push_back("  " + EntryName(item) + "=" + EntryValue(item));
      return;
    }
    TDVIniFile::DoWriteNode(item);
  }
};

}  // namespace

TEST(IniDocument, OverridesTakeEffectThroughTheTree) {
  TUpperIniFile ini;
  ini.OpenRootKey("R");
  ini.AddSubKey();
  ini.WriteString("a", "1");
  EXPECT_EQ(ini.SaveToBytes(), "R:[%RootKey%]\r\n[%\r\n  a=1\r\n%]\r\n");
  ini.Clear();
  EXPECT_EQ(ini.deleted, 3);
}
