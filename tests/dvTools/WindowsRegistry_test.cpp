// The registry store over the Windows registry: values written and read back, missing keys and values,
// values of other types, and the older values kept under HKEY_LOCAL_MACHINE. Every test works below a key
// of its own, removed afterwards.
#include "dvTools/WindowsRegistry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <random>
#include <string>

#include "TestSupport.h"
#include "dvTools/WindowsText.h"
#include "dvTools/dvError.h"

namespace {

// A key path of the test's own below Software, and what it leaves in both hives removed at the end.
class TestKey {
 public:
  TestKey() {
    std::random_device random;
    path_ = "Software\\SkimplaneTests\\run" + std::to_string(random()) + std::to_string(random());
  }
  ~TestKey() {
    Remove(HKEY_CURRENT_USER, 0);
    Remove(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
  }
  TestKey(const TestKey&) = delete;
  TestKey& operator=(const TestKey&) = delete;

  [[nodiscard]] const std::string& Path() const { return path_; }

  // Sets a value straight through the system, with any type.
  void Set(HKEY root, REGSAM view, const std::string& name, DWORD type, const void* data, DWORD size) const {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, WideFromUtf8(path_).c_str(), 0, nullptr, 0, KEY_SET_VALUE | view,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(
        ::RegSetValueExW(key, WideFromUtf8(name).c_str(), 0, type, static_cast<const BYTE*>(data), size),
        ERROR_SUCCESS);
    ::RegCloseKey(key);
  }
  void SetDword(HKEY root, REGSAM view, const std::string& name, DWORD value) const {
    Set(root, view, name, REG_DWORD, &value, sizeof value);
  }

  // A value as the system holds it: its type and a 32-bit integer, or nothing.
  [[nodiscard]] std::optional<DWORD> Dword(HKEY root, REGSAM view, const std::string& name) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, WideFromUtf8(path_).c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
      return std::nullopt;
    DWORD type = 0, data = 0, size = sizeof data;
    const LONG rc = ::RegQueryValueExW(key, WideFromUtf8(name).c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&data), &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data) return std::nullopt;
    return data;
  }

 private:
  void Remove(HKEY root, REGSAM view) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, L"Software\\SkimplaneTests", 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
      return;
    const std::wstring leaf = WideFromUtf8(path_.substr(path_.rfind('\\') + 1));
    ::RegDeleteTreeW(key, leaf.c_str());
    ::RegDeleteKeyExW(key, leaf.c_str(), view, 0);
    ::RegCloseKey(key);
  }

  std::string path_;
};

}  // namespace

TEST(WindowsRegistryStore, IntegersRoundTripThroughTheRegistry) {
  TestKey key;
  const struct {
    const char* name;
    std::int32_t value;
  } rows[] = {{"Left", 500}, {"Top", -214}, {"Width", INT32_MAX}, {"Height", INT32_MIN}, {"WindowState", 0}};
  {
    WindowsRegistryStore store;
    ASSERT_TRUE(store.OpenKey(key.Path(), true));
    for (const auto& r : rows) store.WriteInteger(r.name, r.value);
  }
  WindowsRegistryStore again;
  ASSERT_TRUE(again.OpenKey(key.Path(), false));
  for (const auto& r : rows) {
    EXPECT_TRUE(again.ValueExists(r.name)) << r.name;
    EXPECT_EQ(again.ReadInteger(r.name), r.value) << r.name;
    // Stored as the system's own 32-bit integers, under the user's hive.
    EXPECT_EQ(key.Dword(HKEY_CURRENT_USER, 0, r.name), static_cast<DWORD>(r.value)) << r.name;
  }
  // Names compare without regard to case, as the registry does.
  EXPECT_EQ(again.ReadInteger("LEFT"), 500);
  // A value written again replaces the old one.
  again.WriteInteger("Left", 7);
  EXPECT_EQ(again.ReadInteger("Left"), 7);
}

TEST(WindowsRegistryStore, AMissingKeyIsCreatedOnlyWhenAllowed) {
  TestKey key;
  WindowsRegistryStore store;
  EXPECT_FALSE(store.OpenKey(key.Path(), false));
  EXPECT_FALSE(store.ValueExists("Left"));
  EXPECT_EDVERROR(store.WriteInteger("Left", 1), "Failed to set data for 'Left'");
  EXPECT_EDVERROR((void)store.ReadInteger("Left"), "Invalid data type for 'Left'");

  ASSERT_TRUE(store.OpenKey(key.Path(), true));
  EXPECT_FALSE(store.ValueExists("Left"));
  EXPECT_EDVERROR((void)store.ReadInteger("Left"), "Invalid data type for 'Left'");
  store.CloseKey();
  EXPECT_TRUE(store.OpenKey(key.Path(), false));

  // Key paths with empty parts name no key, as in the hive file.
  for (const char* path : {"", "\\Software", "Software\\\\Dravik", "Software\\"})
    EXPECT_FALSE(store.OpenKey(path, true)) << path;
}

TEST(WindowsRegistryStore, ValuesOfOtherTypesExistButAreNoIntegers) {
  TestKey key;
  const std::wstring text = L"500";
  const std::uint64_t wide = 500;
  const std::uint32_t four = 500;
  const std::uint16_t two = 500;
  key.Set(HKEY_CURRENT_USER, 0, "Text", REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
  key.Set(HKEY_CURRENT_USER, 0, "Quad", REG_QWORD, &wide, sizeof wide);
  key.Set(HKEY_CURRENT_USER, 0, "Bytes", REG_BINARY, &four, sizeof four);  // four bytes, but not a dword
  key.Set(HKEY_CURRENT_USER, 0, "Short", REG_DWORD, &two, sizeof two);     // a dword of two bytes
  key.Set(HKEY_CURRENT_USER, 0, "Big", REG_BINARY, std::string(4096, 'x').data(), 4096);
  WindowsRegistryStore store;
  ASSERT_TRUE(store.OpenKey(key.Path(), false));
  for (const char* name : {"Text", "Quad", "Bytes", "Short", "Big"}) {
    EXPECT_TRUE(store.ValueExists(name)) << name;
    EXPECT_EDVERROR((void)store.ReadInteger(name), std::string("Invalid data type for '") + name + "'");
  }
  // Writing replaces a value of any type with an integer.
  store.WriteInteger("Text", 12);
  EXPECT_EQ(store.ReadInteger("Text"), 12);
}

TEST(WindowsRegistryStore, OlderValuesUnderTheMachineHiveAreReadAndTheUsersWin) {
  TestKey key;
  // What the 32-bit program kept under HKEY_LOCAL_MACHINE.
  key.SetDword(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Left", 300);
  key.SetDword(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Top", 200);
  const std::wstring text = L"x";
  key.Set(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Width", REG_SZ, text.c_str(), 4);

  WindowsRegistryStore store;
  ASSERT_TRUE(store.OpenKey(key.Path(), true));
  EXPECT_EQ(store.ReadInteger("Left"), 300);
  EXPECT_EQ(store.ReadInteger("Top"), 200);
  EXPECT_TRUE(store.ValueExists("Width"));
  EXPECT_EDVERROR((void)store.ReadInteger("Width"), "Invalid data type for 'Width'");
  EXPECT_FALSE(store.ValueExists("Height"));

  // A save goes to the user's key and leaves the machine's alone; from then on the user's value counts.
  store.WriteInteger("Left", 640);
  EXPECT_EQ(store.ReadInteger("Left"), 640);
  EXPECT_EQ(store.ReadInteger("Top"), 200);
  EXPECT_EQ(key.Dword(HKEY_CURRENT_USER, 0, "Left"), 640u);
  EXPECT_EQ(key.Dword(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Left"), 300u);

  // Without the second hive only the user's values count.
  WindowsRegistryStore userOnly(TRegistryRoot::rrCurrentUser, std::nullopt);
  ASSERT_TRUE(userOnly.OpenKey(key.Path(), false));
  EXPECT_FALSE(userOnly.ValueExists("Top"));
  EXPECT_EQ(userOnly.ReadInteger("Left"), 640);
}

TEST(WindowsRegistryStore, ThePlatformsRegistryIsTheUsersHive) {
  TestKey key;
  const std::unique_ptr<RegistryStore> registry = MakeMachineRegistry("unused.reg");
  ASSERT_NE(dynamic_cast<WindowsRegistryStore*>(registry.get()), nullptr);
  ASSERT_TRUE(registry->OpenKey(key.Path(), true));
  registry->WriteInteger("Left", 123);
  registry->CloseKey();
  EXPECT_EQ(key.Dword(HKEY_CURRENT_USER, 0, "Left"), 123u);
  EXPECT_FALSE(key.Dword(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, "Left").has_value());
  EXPECT_FALSE(std::filesystem::exists("unused.reg"));
}
