#include "dvTools/WindowsRegistry.h"

#include <windows.h>

#include <string>

#include "dvTools/WindowsText.h"
#include "dvTools/dvError.h"

namespace {

HKEY RootKey(TRegistryRoot root) {
  return root == TRegistryRoot::rrLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// What the key holds under this name: nothing, or its type and, for a 32-bit integer, its value.
struct TStored {
  bool exists = false;
  DWORD type = REG_NONE;
  DWORD size = 0;
  DWORD data = 0;
};

TStored Query(HKEY key, const std::wstring& name) {
  TStored stored;
  if (!key) return stored;
  DWORD size = sizeof stored.data;
  LONG rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &stored.type,
                               reinterpret_cast<BYTE*>(&stored.data), &size);
  if (rc == ERROR_MORE_DATA) {  // a longer value of another type: it exists, and is no 32-bit integer
    stored.exists = true;
    stored.size = size;
    return stored;
  }
  stored.exists = rc == ERROR_SUCCESS;
  stored.size = size;
  return stored;
}

}  // namespace

WindowsRegistryStore::WindowsRegistryStore(TRegistryRoot root, std::optional<TRegistryRoot> readAlso)
    : root_(root), readAlso_(readAlso) {}

WindowsRegistryStore::~WindowsRegistryStore() {
  CloseKey();
}

bool WindowsRegistryStore::OpenKey(std::string_view path, bool canCreate) {
  CloseKey();
  // The same paths as the hive file takes: relative, no empty parts.
  if (path.empty() || path.front() == '\\' || path.back() == '\\' ||
      path.find("\\\\") != std::string_view::npos)
    return false;
  const std::wstring sub = WideFromUtf8(path);
  HKEY key = nullptr;
  const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
  const LONG rc = canCreate ? ::RegCreateKeyExW(RootKey(root_), sub.c_str(), 0, nullptr,
                                                REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr)
                            : ::RegOpenKeyExW(RootKey(root_), sub.c_str(), 0, access, &key);
  if (rc != ERROR_SUCCESS) return false;
  key_ = key;
  if (readAlso_ && *readAlso_ != root_) {
    HKEY older = nullptr;
    if (::RegOpenKeyExW(RootKey(*readAlso_), sub.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &older) ==
        ERROR_SUCCESS)
      older_ = older;
  }
  return true;
}

void WindowsRegistryStore::CloseKey() {
  if (key_) ::RegCloseKey(key_);
  if (older_) ::RegCloseKey(older_);
  key_ = nullptr;
  older_ = nullptr;
}

bool WindowsRegistryStore::ValueExists(std::string_view name) {
  const std::wstring n = WideFromUtf8(name);
  return Query(key_, n).exists || Query(older_, n).exists;
}

std::int32_t WindowsRegistryStore::ReadInteger(std::string_view name) {
  const std::wstring n = WideFromUtf8(name);
  TStored stored = Query(key_, n);
  if (!stored.exists) stored = Query(older_, n);
  if (!stored.exists || stored.type != REG_DWORD || stored.size != sizeof(DWORD))
    throw EDVError("Invalid data type for '" + std::string(name) + "'");
  return static_cast<std::int32_t>(stored.data);
}

void WindowsRegistryStore::WriteInteger(std::string_view name, std::int32_t value) {
  const std::wstring n = WideFromUtf8(name);
  const DWORD data = static_cast<DWORD>(value);
  if (!key_ || ::RegSetValueExW(key_, n.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                sizeof data) != ERROR_SUCCESS)
    throw EDVError("Failed to set data for '" + std::string(name) + "'");
}

std::unique_ptr<RegistryStore> MakeMachineRegistry(const std::filesystem::path&) {
  return std::make_unique<WindowsRegistryStore>();
}
