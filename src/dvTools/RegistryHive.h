#pragma once
// The machine-wide registry hive (HKEY_LOCAL_MACHINE) as the window position keeper uses it.
//
// On Windows it is the system registry (per user there, see WindowsRegistry.h). Elsewhere the hive is kept in
// a text file beside the executable (Skimplane.reg) in the format of registry export files:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\Software\Dravik\AutoPos\frmSkimplane]
//   "Left"=dword:000001f4
//   "Top"=dword:000000d6
//
// Only 32-bit integers (dword) are understood. Everything else in the file - other hives, other value
// kinds, comments, deletion entries, continued hex lines - is kept verbatim and written back unchanged.
// Key and value names compare without regard to ASCII case, as the registry does.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class RegistryHive {
 public:
  static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
  static constexpr std::string_view kMachineRoot = "HKEY_LOCAL_MACHINE";

  // Reads a whole file's text; any bytes are accepted.
  [[nodiscard]] static RegistryHive Parse(std::string_view text);
  // The file's text with CR LF line ends.
  [[nodiscard]] std::string Serialize() const;

  // Keys are full paths from the hive's name, e.g. "HKEY_LOCAL_MACHINE\Software\Dravik".
  [[nodiscard]] bool KeyExists(std::string_view key) const;
  void CreateKey(std::string_view key);
  [[nodiscard]] bool ValueExists(std::string_view key, std::string_view name) const;
  // The value as a 32-bit integer; nothing when it is missing or stored as another kind.
  [[nodiscard]] std::optional<std::int32_t> ReadInteger(std::string_view key, std::string_view name) const;
  // Stores a dword, replacing a value of any kind with that name; creates the key when missing.
  void WriteInteger(std::string_view key, std::string_view name, std::int32_t value);

 private:
  struct Item {
    std::vector<std::string> lines;  // as read, a continued value over several lines
    bool isValue = false;
    std::string name;  // the value's name, unescaped ("" for the default value "@")
    std::optional<std::uint32_t> dword;
  };
  struct Section {
    std::string headerLine;
    std::string path;  // between the brackets
    std::vector<Item> items;
  };

  [[nodiscard]] const Item* FindValue(std::string_view key, std::string_view name) const;
  Section* LastSection(std::string_view key);

  bool bom_ = false;
  std::string header_{kHeader};
  std::vector<std::string> preamble_{""};  // the lines between the header and the first key
  std::vector<Section> sections_;
};

// The registry operations of the window position keeper, on HKEY_LOCAL_MACHINE.
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;
  // Opens the key at `path` below the hive's root ("Software\Dravik\AutoPos\frmSkimplane"), creating it
  // when missing and `canCreate`. False when the key can be neither opened nor created; any key that
  // was open before is closed first.
  virtual bool OpenKey(std::string_view path, bool canCreate) = 0;
  virtual void CloseKey() = 0;
  [[nodiscard]] virtual bool ValueExists(std::string_view name) = 0;
  // Raises EDVError when the value is missing or is not a 32-bit integer.
  [[nodiscard]] virtual std::int32_t ReadInteger(std::string_view name) = 0;
  // Raises EDVError when no key is open or the value cannot be stored.
  virtual void WriteInteger(std::string_view name, std::int32_t value) = 0;
};

// HKEY_LOCAL_MACHINE kept in one registry export file. The file is read when a key is opened and written
// through the safe file writer at every value written. A file or folder that cannot be written means
// the key can be neither opened nor created.
class RegistryFileStore : public RegistryStore {
 public:
  explicit RegistryFileStore(std::filesystem::path file) : file_(std::move(file)) {}

  bool OpenKey(std::string_view path, bool canCreate) override;
  void CloseKey() override { key_.reset(); }
  [[nodiscard]] bool ValueExists(std::string_view name) override;
  [[nodiscard]] std::int32_t ReadInteger(std::string_view name) override;
  void WriteInteger(std::string_view name, std::int32_t value) override;

  [[nodiscard]] const std::filesystem::path& File() const { return file_; }

 private:
  std::filesystem::path file_;
  RegistryHive hive_;
  std::optional<std::string> key_;  // full path of the open key
};

// The platform's HKEY_LOCAL_MACHINE: the system registry on Windows (WindowsRegistryStore, which keeps
// the values under HKEY_CURRENT_USER), else the hive file `hiveFile`.
[[nodiscard]] std::unique_ptr<RegistryStore> MakeMachineRegistry(const std::filesystem::path& hiveFile);
