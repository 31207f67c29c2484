#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <functional>
#include <sstream>
#include <string>

#include "TempDir.h"
#include "TestSupport.h"
#include "dvTools/dvError.h"
#include "dvTools/dvIniTools.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const fs::path kData = SKIMPLANE_TEST_DATA;

std::string Load(TDVIniFile& ini, const std::string& bytes) {
  ini.LoadFromBytes(bytes);
  return ini.SaveToBytes();
}

std::string Resaved(const std::string& bytes) {
  TDVIniFile ini;
  return Load(ini, bytes);
}

}  // namespace

TEST(IniFormat, WorkedExampleOneWrittenByTheDocument) {
  for (char separator : {'.', ','}) {
    TempDir dir;
    TDVIniFile ini;
    ini.SetDecimalSeparator(separator);
    ini.OpenRootKey("Option");
    ini.AddSubKey();
    ini.WriteFloat("Length", 150);
    ini.WriteInteger("Layer", 1);
    ini.WriteBool("ClearEnd", true);
    ini.WriteString("Lang", "English.txt");
    ini.SaveToFile(dir / "Skimplane.ini");
    EXPECT_TRUE(SameBytes(ReadBytes(dir / "Skimplane.ini"), ReadBytes(kData / "ini-example1.ini")));
    ini.WriteFloat("Length", 150.5);
    EXPECT_EQ(ini.ReadRawString("Length"), separator == '.' ? "150.5" : "150,5");
  }
}

TEST(IniFormat, WorkedExampleTwoWrittenByTheDocument) {
  TDVIniFile ini;
  ini.OpenRootKey("Option");
  ini.AddSubKey();
  ini.WriteInteger("Length", 150);
  ini.AddSubKey();
  ini.WriteInteger("Layer", 1);
  ini.OpenRootKey("Lang");
  ini.AddSubKey();
  ini.WriteString("Sheet1", "Face");
  EXPECT_TRUE(SameBytes(ini.SaveToBytes(), ReadBytes(kData / "ini-example2.ini")));
}

TEST(IniFormat, WorkedExamplesLoadAndSaveAgain) {
  const struct {
    const char* input;
    const char* saved;
  } rows[] = {{"ini-example1.ini", "ini-example1.ini"},
              {"ini-example2.ini", "ini-example2.ini"},
              {"ini-example3-hand.ini", "ini-example3-saved.ini"},
              {"ini-example3-saved.ini", "ini-example3-saved.ini"}};
  for (const auto& r : rows) {
    TempDir dir;
    TDVIniFile ini;
    ini.LoadFromFile(kData / r.input);
    ini.SaveToFile(dir / "out.ini");
    EXPECT_TRUE(SameBytes(ReadBytes(dir / "out.ini"), ReadBytes(kData / r.saved))) << r.input;
  }
}

TEST(IniFormat, WorkedExampleThreeReadsTheHandWrittenFile) {
  TDVIniFile ini;
  ini.SetQuotedStrings(true);
  ini.LoadFromFile(kData / "ini-example3-hand.ini");
  EXPECT_TRUE(ini.QuotedStrings());  // a load keeps the flags
  ini.OpenRootKey("Option");
  ini.OpenSubKey();
  EXPECT_EQ(ini.ReadString("FontName"), "Arial");
  EXPECT_EQ(ini.ReadString("Caption"), "\"Face\" and edge\r\nsecond line");
  EXPECT_FALSE(ini.ValueExists("NoColonHere"));
  EXPECT_FALSE(ini.ValueExists("Stray"));
  PTreeItem second = nullptr;
  EXPECT_FALSE(ini.FindSubKey(1, second));
}

TEST(IniFormat, LineBreaksNulAndByteOrderMark) {
  const std::string expected = "A:[%RootKey%]\r\n[%\r\n  x:1\r\n  y:2\r\n%]\r\n";
  const struct {
    const char* what;
    std::string bytes;
  } rows[] = {
      {"CR LF", "A:[%RootKey%]\r\n[%\r\nx:1\r\ny:2\r\n%]\r\n"},
      {"LF", "A:[%RootKey%]\n[%\nx:1\ny:2\n%]\n"},
      {"CR", "A:[%RootKey%]\r[%\rx:1\ry:2\r%]"},
      {"mixed, no final break", "A:[%RootKey%]\n\r[%\r\n\nx:1\ry:2\n%]"},
      {"NUL ends the text", "A:[%RootKey%]\r\n[%\r\nx:1\r\ny:2\r\n%]\r\n\0B:[%RootKey%]\r\n"s},
      {"NUL inside a line", "A:[%RootKey%]\r\n[%\r\nx:1\r\ny:2\0zzz\r\nq:3\r\n%]\r\n"s},
  };
  for (const auto& r : rows) EXPECT_TRUE(SameBytes(Resaved(r.bytes), expected)) << r.what;

  TDVIniFile ini;
  Load(ini, "\xEF\xBB\xBFOption:[%RootKey%]\r\n[%\r\nLength:1\r\n%]\r\n");
  ini.OpenRootKey("Option");  // the mark belongs to the first name: this is a new, empty root key
  ini.OpenSubKey();
  EXPECT_FALSE(ini.IsSubKeyOpen());
  EXPECT_EQ(ini.SaveToBytes(),
            "\xEF\xBB\xBFOption:[%RootKey%]\r\n[%\r\n  Length:1\r\n%]\r\n\r\nOption:[%RootKey%]\r\n");
}

TEST(IniFormat, LineKinds) {
  const struct {
    const char* what;
    std::string bytes;
    std::string saved;
  } rows[] = {
      {"space before the colon", "Option :[%RootKey%]\n[%\nx:1\n%]",
       "Option:[%RootKey%]\r\n[%\r\n  x:1\r\n%]\r\n"},
      {"marker in any case", "Option:[%rootkey%]\n[%\nx:1", "Option:[%RootKey%]\r\n[%\r\n  x:1\r\n%]\r\n"},
      {"space after the colon", "R:[%RootKey%]\nOption: [%RootKey%]\n[%\nx:1",
       "R:[%RootKey%]\r\n[%\r\n  x:1\r\n%]\r\n"},
      {"colon in the name", "R:[%RootKey%]\nA:B:[%RootKey%]\n[%\nx:1",
       "R:[%RootKey%]\r\n[%\r\n  x:1\r\n%]\r\n"},
      {"marker as value inside a block", "R:[%RootKey%]\n[%\nOption: [%RootKey%]\n",
       "R:[%RootKey%]\r\n[%\r\n  Option:[%RootKey%]\r\n%]\r\n"},
      {"block lines must match exactly", "R:[%RootKey%]\n[% x\n%] end\n[%\na:1\n%] end\nb:2",
       "R:[%RootKey%]\r\n[%\r\n  a:1\r\n  b:2\r\n%]\r\n"},
      {"comments are whole lines", "R:[%RootKey%]\n[%\n  ; c:1\n // d:2\na:b;c\ne:f//g\n/x:1\n;\n//",
       "R:[%RootKey%]\r\n[%\r\n  a:b;c\r\n  e:f//g\r\n  /x:1\r\n%]\r\n"},
      {"tabs are not trimmed", "R:[%RootKey%]\n[%\n\tTab:\t1\t\n%]",
       "R:[%RootKey%]\r\n[%\r\n  \tTab:\t1\t\r\n%]\r\n"},
      {"value lines split at the first colon", "R:[%RootKey%]\n[%\nLang : C:\\packs\\English.txt \n%]",
       "R:[%RootKey%]\r\n[%\r\n  Lang:C:\\packs\\English.txt\r\n%]\r\n"},
      {"lines outside blocks", "x:1\nR:[%RootKey%]\ny:2\n[%\n%]\nz:3\nNoColon",
       "R:[%RootKey%]\r\n[%\r\n%]\r\n"},
      {"duplicate root keys merge",
       "A:[%RootKey%]\n[%\na:1\n%]\nB:[%RootKey%]\n[%\nb:1\n%]\n a :[%RootKey%]\n[%\na:2\n%]",
       "A:[%RootKey%]\r\n[%\r\n  a:1\r\n%]\r\n[%\r\n  a:2\r\n%]\r\n\r\nB:[%RootKey%]\r\n[%\r\n  "
       "b:1\r\n%]\r\n"},
      {"repeated value names", "R:[%RootKey%]\n[%\na:1\nA:2\n%]",
       "R:[%RootKey%]\r\n[%\r\n  a:1\r\n  A:2\r\n%]\r\n"},
      {"root key line in an open block",
       "A:[%RootKey%]\n[%\na:1\nB:[%RootKey%]\nlost:1\n%]\nc:1\n[%\nb:1\n%]",
       "A:[%RootKey%]\r\n[%\r\n  a:1\r\n%]\r\n\r\nB:[%RootKey%]\r\n[%\r\n  b:1\r\n%]\r\n"},
      {"unclosed block", "R:[%RootKey%]\n[%\na:1", "R:[%RootKey%]\r\n[%\r\n  a:1\r\n%]\r\n"},
      {"block start inside a block", "R:[%RootKey%]\n[%\na:1\n[%\nb:2\n%]",
       "R:[%RootKey%]\r\n[%\r\n  a:1\r\n%]\r\n[%\r\n  b:2\r\n%]\r\n"},
      {"root keys without blocks", "A:[%RootKey%]\nB:[%RootKey%]", "A:[%RootKey%]\r\nB:[%RootKey%]\r\n"},
      {"empty value", "R:[%RootKey%]\n[%\nEmpty:   \n%]", "R:[%RootKey%]\r\n[%\r\n  Empty:\r\n%]\r\n"},
      {"empty file", "", ""},
      {"only comments", "; a\r\n// b\r\n", ""},
  };
  for (const auto& r : rows) EXPECT_TRUE(SameBytes(Resaved(r.bytes), r.saved)) << r.what;
}

TEST(IniFormat, ReadingAfterALoad) {
  TDVIniFile ini;
  Load(ini, "R:[%RootKey%]\n[%\nEmpty:\nTrue: TRUE \nPath:C:\\x:y\nTwice:first\nTwice:second\n%]");
  // The reader opened R; no block is current after a load.
  EXPECT_EQ(ErrorOf([&] { (void)ini.ValueExists("Empty"); }), "RootKey \"R\" - subitem key not open.");
  ini.OpenRootKey("r");
  EXPECT_EQ(ErrorOf([&] { (void)ini.ValueExists("Empty"); }), "RootKey \"r\" - subitem key not open.");
  ini.OpenSubKey();
  std::string out = "x";
  EXPECT_TRUE(ini.ValueExists("Empty"));
  EXPECT_FALSE(ini.ReadValue("Empty", out));
  EXPECT_EQ(ini.ReadString("Empty"), "");
  EXPECT_TRUE(ini.ReadBool("True"));
  EXPECT_EQ(ini.ReadString("Path"), "C:\\x:y");
  EXPECT_EQ(ini.ReadString("Twice"), "first");
  // A new value goes after those read; an existing one keeps its place.
  ini.WriteString("New", "n");
  ini.WriteString("path", "D:");
  EXPECT_EQ(
      ini.SaveToBytes(),
      "R:[%RootKey%]\r\n[%\r\n  Empty:\r\n  True:TRUE\r\n  Path:D:\r\n  Twice:first\r\n  Twice:second\r\n"
      "  New:n\r\n%]\r\n");
}

TEST(IniFormat, ALoadLeavesNoKeyCurrent) {
  // Also when the file ends inside a block, or a load fails half-way: values are reached only through
  // OpenRootKey and OpenSubKey, never through what the reader last had open.
  const struct {
    const char* bytes;
    const char* error;
  } rows[] = {{"R:[%RootKey%]\n[%\nA:1", ""},
              {"R:[%RootKey%]\n[%\nA:1\n%]\n[%\nB:2\n:bad", "Invaild field name"}};
  for (const auto& r : rows) {
    TDVIniFile ini;
    EXPECT_EQ(ErrorOf([&] { ini.LoadFromBytes(r.bytes); }), r.error) << r.bytes;
    EXPECT_FALSE(ini.IsRootKeyOpen()) << r.bytes;
    EXPECT_FALSE(ini.IsSubKeyOpen()) << r.bytes;
    EXPECT_EQ(ErrorOf([&] { (void)ini.ValueExists("A"); }), "RootKey \"R\" - subitem key not open.");
  }
}

TEST(IniFormat, WhatASaveAndReloadChanges) {
  TDVIniFile ini;
  ini.OpenRootKey("R");
  ini.AddSubKey();
  ini.WriteString("Flag", "TRUE ");
  ini.WriteString("Padded", "  text  ");
  ini.WriteString("A:B", "c");
  ini.WriteString("Quoted", "\" in quotes \"");
  ini.WriteString("Marker", "[%RootKey%]");
  ini.WriteString("Dropped", "after the marker");
  EXPECT_FALSE(ini.ReadBool("Flag"));

  TDVIniFile again;
  again.SetQuotedStrings(true);
  Load(again, ini.SaveToBytes());
  again.OpenRootKey("R");
  again.OpenSubKey();
  EXPECT_TRUE(again.ReadBool("Flag"));  // the reader trims values
  EXPECT_EQ(again.ReadString("Padded"), "text");
  EXPECT_EQ(again.ReadString("A"), "B:c");  // a name with a colon is cut at it
  EXPECT_EQ(again.ReadString("Quoted"), " in quotes ");
  EXPECT_FALSE(again.ValueExists("Marker"));   // its line is now a root key line
  EXPECT_FALSE(again.ValueExists("Dropped"));  // and what followed it has no block
  PTreeItem marker = nullptr;
  EXPECT_TRUE(again.FindRootKey("Marker", marker));
}

TEST(IniFormat, FailedLoadKeepsWhatWasReadBeforeTheFailingLine) {
  const std::string longName(256, 'n');
  const std::string longValue(65536, 'v');
  const std::string head = "A:[%RootKey%]\n[%\na:1\n";
  const std::string kept = "A:[%RootKey%]\r\n[%\r\n  a:1\r\n%]\r\n";
  const struct {
    const char* what;
    std::string bytes;
    const char* error;
    std::string saved;
  } rows[] = {
      {"block before any root key", "x:1\n[%\na:1", "RootKey not Open.", ""},
      {"empty name", head + ":1\nb:2\n", "Invaild field name", kept},
      {"blank name", head + "   :1\nb:2\n", "Invaild field name", kept},
      {"long name", head + longName + ":1\nb:2\n", "Invaild field (length > 255).", kept},
      {"long value", head + "b:" + longValue + "\nc:2\n", "Invalid value (length > 65535).", kept},
      {"empty root key name", head + ":[%RootKey%]\n[%\nb:2\n", "Invaild field name", kept},
      {"bad value where it would be dropped", "A:[%RootKey%]\n[%\nB:[%RootKey%]\n:x\n", "Invaild field name",
       "A:[%RootKey%]\r\n[%\r\n%]\r\n\r\nB:[%RootKey%]\r\n"},
  };
  for (const auto& r : rows) {
    TDVIniFile ini;
    Load(ini, "Old:[%RootKey%]\n");
    EXPECT_EQ(ErrorOf([&] { ini.LoadFromBytes(r.bytes); }), r.error) << r.what;
    EXPECT_TRUE(SameBytes(ini.SaveToBytes(), r.saved)) << r.what;
  }
  TDVIniFile ini;
  Load(ini, "R:[%RootKey%]\n[%\n" + std::string(255, 'n') + ":" + std::string(65535, 'v'));
  ini.OpenRootKey("R");
  ini.OpenSubKey();
  EXPECT_EQ(ini.ReadRawString(std::string(255, 'n')).size(), 65535u);
}

// A load tells where it stopped before the end of its text, so a message can show the line.
TEST(IniFormat, ALoadTellsTheLineWhereItStopped) {
  const struct {
    const char* what;
    std::string bytes;
    std::size_t line;
    bool atNul;
    std::string text;
  } rows[] = {
      {"whole text", "A:[%RootKey%]\r\n[%\r\nx:1\r\n", 0, false, ""},
      {"NUL inside a line", "A:[%RootKey%]\r\n[%\r\nx:1\0zz\r\ny:2\r\n"s, 3, true, "x:1\0zz"s},
      {"NUL after a CR", "A:[%RootKey%]\r[%\r\0y:2\r\n"s, 3, true, "\0y:2"s},
      {"NUL first", "\0A:[%RootKey%]"s, 1, true, "\0A:[%RootKey%]"s},
      {"NUL after a last line break", "A:[%RootKey%]\n\0"s, 2, true, "\0"s},
      {"long line", "x:" + std::string(100, 'v') + "\0"s, 1, true, "x:" + std::string(78, 'v')},
      {"line that cannot be read", "A:[%RootKey%]\n[%\n:1\n\0"s, 3, false, ":1"},
  };
  for (const auto& r : rows) {
    TDVIniFile ini;
    (void)ErrorOf([&] { ini.LoadFromBytes(r.bytes); });
    EXPECT_EQ(ini.LoadStop().Line, r.line) << r.what;
    EXPECT_EQ(ini.LoadStop().AtNul, r.atNul) << r.what;
    EXPECT_EQ(ini.LoadStop().Text, r.text) << r.what;
  }
}

TEST(IniFormat, FileFailuresLeaveDocumentAndFileAsTheyWere) {
  TempDir dir;
  TDVIniFile ini;
  Load(ini, "Keep:[%RootKey%]\n[%\na:1\n%]\n");
  const std::string before = ini.SaveToBytes();

  const std::string missing = (dir / "nothere.ini").string();
  EXPECT_EQ(ErrorOf([&] { ini.LoadFromFile(missing); }), "Ini file:" + missing + " not found.");
  EXPECT_EQ(ini.SaveToBytes(), before);

  fs::create_directory(dir / "folder.ini");
  EXPECT_EQ(ErrorOf([&] { ini.LoadFromFile(dir / "folder.ini"); }).rfind("Cannot open file \"", 0), 0u);
  EXPECT_EQ(ini.SaveToBytes(), before);

#ifndef _WIN32             // a file nobody may read: POSIX permissions
  if (::geteuid() != 0) {  // root reads everything
    WriteBytes(dir / "locked.ini", "X:[%RootKey%]\n");
    ::chmod((dir / "locked.ini").c_str(), 0);
    EXPECT_EQ(ErrorOf([&] { ini.LoadFromFile(dir / "locked.ini"); }).rfind("Cannot open file \"", 0), 0u);
    EXPECT_EQ(ini.SaveToBytes(), before);
  }
#endif

  // Saving: an existing file is replaced whole; a failed save leaves it alone.
  WriteBytes(dir / "Skimplane.ini", "old contents, much longer than the new ones\r\n");
  ini.SaveToFile(dir / "Skimplane.ini");
  EXPECT_EQ(ReadBytes(dir / "Skimplane.ini"), before);
  EXPECT_EQ(
      ErrorOf([&] { ini.SaveToFile(dir / "no" / "such" / "folder.ini"); }).rfind("Cannot create file \"", 0),
      0u);
  EXPECT_FALSE(fs::exists(dir / "no"));

  TDVIniFile empty;
  empty.SaveToFile(dir / "empty.ini");
  EXPECT_EQ(ReadBytes(dir / "empty.ini"), "");
  empty.LoadFromFile(dir / "empty.ini");
  EXPECT_EQ(empty.SaveToBytes(), "");
}

TEST(IniFormat, BytesPassThroughUnchanged) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    if (b != '\r' && b != '\n' && b != ':') all += static_cast<char>(b);
  TDVIniFile ini;
  ini.OpenRootKey("\xD6\xD0\xCE\xC4");  // GBK text stays as bytes
  ini.AddSubKey();
  ini.WriteString("V", "x" + all + "x");
  TDVIniFile again;
  Load(again, ini.SaveToBytes());
  again.OpenRootKey("\xD6\xD0\xCE\xC4");
  again.OpenSubKey();
  EXPECT_EQ(again.ReadRawString("V"), "x" + all + "x");
  EXPECT_EQ(again.SaveToBytes(), ini.SaveToBytes());
}
