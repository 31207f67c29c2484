// The registry hive kept in a registry export file: reading values of every kind, writing dwords, keeping
// what it does not understand, and a store whose file cannot be written.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <climits>
#include <filesystem>

#include "TempDir.h"
#include "dvTools/RegistryHive.h"
#include "dvTools/dvError.h"

namespace {

constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\Software\\Dravik\\AutoPos\\frmSkimplane";

std::string Crlf(std::string_view lf) {
  std::string out;
  for (char c : lf) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

TEST(RegistryHive, NewFileLooksLikeAnExport) {
  RegistryHive hive = RegistryHive::Parse("");
  EXPECT_FALSE(hive.KeyExists(kKey));
  hive.WriteInteger(kKey, "Left", 500);
  hive.WriteInteger(kKey, "Top", 214);
  hive.WriteInteger("HKEY_LOCAL_MACHINE\\Software\\Other", "Neg", -8);
  EXPECT_EQ(hive.Serialize(), Crlf("Windows Registry Editor Version 5.00\n"
                                   "\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\Dravik\\AutoPos\\frmSkimplane]\n"
                                   "\"Left\"=dword:000001f4\n"
                                   "\"Top\"=dword:000000d6\n"
                                   "\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
                                   "\"Neg\"=dword:fffffff8\n"
                                   "\n"));
  // Writing the same text back reads the same.
  EXPECT_EQ(RegistryHive::Parse(hive.Serialize()).Serialize(), hive.Serialize());
}

TEST(RegistryHive, IntegersRoundTrip) {
  const std::int32_t rows[] = {0, 1, 500, -1, -32000, INT_MAX, INT_MIN};
  for (std::int32_t value : rows) {
    RegistryHive hive;
    hive.WriteInteger(kKey, "Left", value);
    const RegistryHive again = RegistryHive::Parse(hive.Serialize());
    EXPECT_EQ(again.ReadInteger(kKey, "Left"), value);
  }
}

TEST(RegistryHive, ReadsOnlyDwordsAsIntegers) {
  const struct {
    const char* line;
    bool exists;
    std::optional<std::int32_t> value;
  } rows[] = {
      {"\"Left\"=dword:000001f4", true, 500},
      {"\"Left\"=DWORD:1F4", true, 500},
      {"\"left\"=dword:000001f4", true, 500},  // names compare without case
      {"\"Left\"=dword:fffffff8  ", true, -8},
      {"\"Left\" = dword:00000001", true, 1},
      {"\"Left\"=\"500\"", true, std::nullopt},
      {"\"Left\"=dword:123456789", true, std::nullopt},
      {"\"Left\"=dword:", true, std::nullopt},
      {"\"Left\"=dword:12x", true, std::nullopt},
      {"\"Left\"=dword:-1", true, std::nullopt},
      // A DWORD as an export may write it: four bytes, the least significant first.
      {"\"Left\"=hex(4):f4,01,00,00", true, 500},
      {"\"Left\"=HEX(4):00,00,00,80", true, INT32_MIN},
      {"\"Left\"=hex(4):f4, 01, 00, 00", true, 500},
      {"\"Left\"=hex(4):f4,01,00", true, std::nullopt},
      {"\"Left\"=hex(4):f4,01,00,00,00", true, std::nullopt},
      {"\"Left\"=hex(4):f4,1,00,00", true, std::nullopt},
      {"\"Left\"=hex(4):g4,01,00,00", true, std::nullopt},
      {"\"Left\"=hex:f4,01", true, std::nullopt},
      {"\"Left\"=-", true, std::nullopt},
      {"\"Leftover\"=dword:00000001", false, std::nullopt},
      {"\"Left", false, std::nullopt},
      {"; \"Left\"=dword:00000001", false, std::nullopt},
  };
  for (const auto& r : rows) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n[" + std::string(kKey) + "]\r\n" + r.line + "\r\n";
    const RegistryHive hive = RegistryHive::Parse(text);
    EXPECT_EQ(hive.ValueExists(kKey, "Left"), r.exists) << r.line;
    EXPECT_EQ(hive.ReadInteger(kKey, "Left"), r.value) << r.line;
    // Whatever it is, it is written back as it was.
    EXPECT_EQ(hive.Serialize(), text) << r.line;
  }
}

TEST(RegistryHive, KeepsForeignKeysAndValuesAndReplacesOnlyWhatItWrites) {
  const std::string before = Crlf(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
      "; exported by hand\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Dravik\\AutoPos\\frmSkimplane]\n"
      "\"Left\"=dword:00000001\n"
      "\n"
      "[hkey_local_machine\\software\\dravik\\autopos\\FRMSKIMPLANE]\n"
      "@=\"default text\"\n"
      "\"Left\"=\"500\"\n"
      "\"Path\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,\\\n"
      "  00,00\n"
      "\"Quote\\\"d\"=dword:00000002\n"
      "\n"
      "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
      "\"Width\"=dword:00000010");
  RegistryHive hive = RegistryHive::Parse(before);
  EXPECT_TRUE(hive.KeyExists(kKey));
  EXPECT_EQ(hive.ReadInteger(kKey, "Quote\"d"), 2);
  EXPECT_FALSE(hive.ValueExists(kKey, "00,00"));  // a continued line is not a value of its own
  hive.WriteInteger(kKey, "Left", 123);           // replaces the text value, keeping its spelling
  hive.WriteInteger(kKey, "Top", 45);             // goes after the key's last value
  hive.WriteInteger("HKEY_LOCAL_MACHINE\\Software\\Other", "Height", 7);
  hive.WriteInteger("HKEY_LOCAL_MACHINE\\Software\\New", "X", 1);
  EXPECT_EQ(hive.Serialize(), Crlf("\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
                                   "; exported by hand\n"
                                   "\n"
                                   "[HKEY_CURRENT_USER\\Software\\Dravik\\AutoPos\\frmSkimplane]\n"
                                   "\"Left\"=dword:00000001\n"
                                   "\n"
                                   "[hkey_local_machine\\software\\dravik\\autopos\\FRMSKIMPLANE]\n"
                                   "@=\"default text\"\n"
                                   "\"Left\"=dword:0000007b\n"
                                   "\"Path\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,\\\n"
                                   "  00,00\n"
                                   "\"Quote\\\"d\"=dword:00000002\n"
                                   "\"Top\"=dword:0000002d\n"
                                   "\n"
                                   "[-HKEY_LOCAL_MACHINE\\Software\\Gone]\n"
                                   "\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
                                   "\"Width\"=dword:00000010\n"
                                   "\"Height\"=dword:00000007\n"
                                   "\n"
                                   "[HKEY_LOCAL_MACHINE\\Software\\New]\n"
                                   "\"X\"=dword:00000001\n"
                                   "\n"));
  // The other hive's value of the same name was not touched.
  EXPECT_EQ(RegistryHive::Parse(hive.Serialize())
                .ReadInteger("HKEY_CURRENT_USER\\Software\\Dravik\\AutoPos\\frmSkimplane", "Left"),
            1);
}

// A hand-merged file may name a key or a value twice; as on import, the later one wins, and a value
// given under only one of two equal keys is still there.
TEST(RegistryHive, TheLastOfTwoEqualKeysOrValuesWins) {
  const std::string head = "Windows Registry Editor Version 5.00\n\n";
  const std::string key = "[" + std::string(kKey) + "]\n";
  const std::string sameKeyOtherCase = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Dravik\\AutoPos\\frmSkimplane]\n";
  const struct {
    const char* name;
    std::string text;
    std::optional<std::int32_t> left, top;
  } rows[] = {
      {"one value twice", key + "\"Left\"=dword:00000001\n\"Left\"=dword:00000002\n", 2, std::nullopt},
      {"the same name in another case", key + "\"Left\"=dword:00000001\n\"LEFT\"=dword:00000002\n", 2,
       std::nullopt},
      {"a later text value hides an integer", key + "\"Left\"=dword:00000001\n\"Left\"=\"2\"\n", std::nullopt,
       std::nullopt},
      {"a later integer replaces a text value", key + "\"Left\"=\"1\"\n\"Left\"=dword:00000002\n", 2,
       std::nullopt},
      {"one key twice",
       key + "\"Left\"=dword:00000001\n\"Top\"=dword:00000003\n\n" + key + "\"Left\"=dword:00000002\n", 2, 3},
      {"one key twice, the later in another case",
       key + "\"Top\"=dword:00000003\n\"Left\"=dword:00000001\n\n" + sameKeyOtherCase +
           "\"Left\"=dword:00000002\n\"Top\"=dword:00000004\n",
       2, 4},
      {"each of two equal keys with a value of its own",
       key + "\"Top\"=dword:00000003\n\n" + key + "\"Left\"=dword:00000002\n", 2, 3},
      {"a value twice in each of two equal keys",
       key + "\"Left\"=dword:00000001\n\"Left\"=dword:00000005\n\n" + key +
           "\"Left\"=dword:00000006\n\"Left\"=dword:00000002\n",
       2, std::nullopt},
  };
  for (const auto& r : rows) {
    RegistryHive hive = RegistryHive::Parse(Crlf(head + r.text));
    EXPECT_EQ(hive.ReadInteger(kKey, "Left"), r.left) << r.name;
    EXPECT_EQ(hive.ReadInteger(kKey, "Top"), r.top) << r.name;
    // Writing replaces the value that is read, so the new value is what the next run finds.
    hive.WriteInteger(kKey, "Left", 77);
    EXPECT_EQ(RegistryHive::Parse(hive.Serialize()).ReadInteger(kKey, "Left"), 77) << r.name;
    EXPECT_EQ(RegistryHive::Parse(hive.Serialize()).ReadInteger(kKey, "Top"), r.top) << r.name;
  }
}

TEST(RegistryHive, AFileWithoutHeaderGetsOneAndKeepsItsLines) {
  const struct {
    const char* in;
    const char* out;
  } rows[] = {
      {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"},
      {"junk\n", "Windows Registry Editor Version 5.00\r\njunk\r\n"},
      {"[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:1\n",
       "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"v\"=dword:1\r\n"},
  };
  for (const auto& r : rows) EXPECT_EQ(RegistryHive::Parse(r.in).Serialize(), r.out) << r.in;
}

TEST(RegistryHive, WhatFollowsAFileThatEndsInsideAContinuedValueStaysSeparate) {
  // A file cut off in the middle of a long binary value: its last line ends in a backslash.
  const std::string cut =
      Crlf("Windows Registry Editor Version 5.00\n\n[" + std::string(kKey) + "]\n\"Bin\"=hex:01,02,\\\n");
  const struct { const char* key; } rows[] = {{kKey}, {"HKEY_LOCAL_MACHINE\\Software\\Other"}};
  for (const auto& r : rows) {
    RegistryHive hive = RegistryHive::Parse(cut);
    EXPECT_EQ(hive.Serialize(), cut) << "an untouched file is written back as it was";
    hive.WriteInteger(r.key, "Left", -1);
    const RegistryHive again = RegistryHive::Parse(hive.Serialize());
    EXPECT_EQ(again.ReadInteger(r.key, "Left"), -1) << r.key;
    EXPECT_EQ(RegistryHive::Parse(again.Serialize()).Serialize(), again.Serialize()) << r.key;
  }
}

TEST(RegistryFileStore, OpensCreatesReadsAndWritesThroughTheFile) {
  TempDir dir;
  const auto file = dir / "Skimplane.reg";
  {
    RegistryFileStore store(file);
    ASSERT_TRUE(store.OpenKey("Software\\Dravik\\AutoPos\\frmSkimplane", true));
    // Creating the key writes it at once, as the registry would keep it.
    EXPECT_EQ(ReadBytes(file), Crlf("Windows Registry Editor Version 5.00\n\n"
                                    "[HKEY_LOCAL_MACHINE\\Software\\Dravik\\AutoPos\\frmSkimplane]\n\n"));
    EXPECT_FALSE(store.ValueExists("Left"));
    EXPECT_THROW((void)store.ReadInteger("Left"), EDVError);
    store.WriteInteger("Left", 500);
    store.WriteInteger("Top", -4);
    store.CloseKey();
    EXPECT_FALSE(store.ValueExists("Left"));
    EXPECT_THROW(store.WriteInteger("Left", 1), EDVError);
    EXPECT_FALSE(store.OpenKey("Software\\Missing", false));
  }
  RegistryFileStore again(file);
  ASSERT_TRUE(again.OpenKey("SOFTWARE\\dravik\\AutoPos\\frmSkimplane", false));
  EXPECT_EQ(again.ReadInteger("Left"), 500);
  EXPECT_EQ(again.ReadInteger("Top"), -4);

  // A text value is there but is no integer.
  WriteBytes(file,
             "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"Left\"=\"500\"\r\n");
  ASSERT_TRUE(again.OpenKey("K", false));
  EXPECT_TRUE(again.ValueExists("Left"));
  try {
    (void)again.ReadInteger("Left");
    FAIL() << "a text value read as an integer";
  } catch (const EDVError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Left'");
  }
  // Key paths with empty parts name no key.
  EXPECT_FALSE(again.OpenKey("Software\\\\Dravik", true));
  EXPECT_FALSE(again.OpenKey("\\Software", true));
  EXPECT_FALSE(again.OpenKey("", true));
}

TEST(RegistryFileStore, AHiveThatCannotBeWrittenCannotBeOpened) {
  TempDir dir;
  WriteBytes(dir / "plain-file", "x");
  std::filesystem::create_directories(dir / "folder-as-file" / "Skimplane.reg");
  const struct {
    const char* name;
    std::filesystem::path file;
  } rows[] = {
      {"missing folder", dir / "missing" / "Skimplane.reg"},
      {"a file where the folder should be", dir / "plain-file" / "Skimplane.reg"},
      {"a folder where the file should be", dir / "folder-as-file" / "Skimplane.reg"},
#ifndef _WIN32
      {"a folder nobody may write into", "/proc/Skimplane.reg"},
#endif
  };
  for (const auto& r : rows) {
    RegistryFileStore store(r.file);
    EXPECT_FALSE(store.OpenKey("Software\\Dravik\\AutoPos\\frmSkimplane", true)) << r.name;
    EXPECT_THROW(store.WriteInteger("Left", 1), EDVError) << r.name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "missing"));

  // A UTF-16 export is not ours to rewrite in 8-bit lines: the key cannot be opened and the file stays.
  const std::string wide("\xFF\xFEW\0i\0n\0\r\0\n\0", 12);
  WriteBytes(dir / "wide.reg", wide);
  RegistryFileStore store(dir / "wide.reg");
  EXPECT_FALSE(store.OpenKey("Software\\K", true));
  EXPECT_EQ(ReadBytes(dir / "wide.reg"), wide);
}

#ifndef _WIN32
// A folder's POSIX permissions, which Windows does not have.
TEST(RegistryFileStore, AnExistingKeyInAFolderThatBecameReadOnlyCannotBeOpened) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the super-user";
  TempDir dir;
  const auto folder = dir / "locked";
  std::filesystem::create_directories(folder);
  const auto file = folder / "Skimplane.reg";
  RegistryFileStore store(file);
  ASSERT_TRUE(store.OpenKey("Software\\K", true));
  store.WriteInteger("Left", 1);
  const std::string before = ReadBytes(file);
  std::filesystem::permissions(folder,
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(store.OpenKey("Software\\K", true));
  EXPECT_EQ(ReadBytes(file), before);
}
#endif
