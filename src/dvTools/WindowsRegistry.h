#pragma once
// Windows only: the system registry as the window position keeper uses it.
//
// Positions are kept per user, under HKEY_CURRENT_USER. HKEY_LOCAL_MACHINE may be written only by an
// administrator, so there an ordinary user's window would never keep its place (every save would fail
// without a word). A value that a copy of the program kept under HKEY_LOCAL_MACHINE is still read while
// the user's own key lacks it, from the 32-bit view where the older 32-bit program wrote it; the next save
// puts it in the user's key.

#include <cstdint>
#include <optional>
#include <string_view>

#include "dvTools/RegistryHive.h"

struct HKEY__;  // the system's key handle, HKEY

enum class TRegistryRoot { rrCurrentUser, rrLocalMachine };

class WindowsRegistryStore : public RegistryStore {
 public:
  // Keys are opened and created below `root`; values missing there are read from `readAlso`, if given.
  explicit WindowsRegistryStore(TRegistryRoot root = TRegistryRoot::rrCurrentUser,
                                std::optional<TRegistryRoot> readAlso = TRegistryRoot::rrLocalMachine);
  ~WindowsRegistryStore() override;
  WindowsRegistryStore(const WindowsRegistryStore&) = delete;
  WindowsRegistryStore& operator=(const WindowsRegistryStore&) = delete;

  bool OpenKey(std::string_view path, bool canCreate) override;
  // Closing does not force the key to disk.
  void CloseKey() override;
  [[nodiscard]] bool ValueExists(std::string_view name) override;
  [[nodiscard]] std::int32_t ReadInteger(std::string_view name) override;
  void WriteInteger(std::string_view name, std::int32_t value) override;

 private:
  TRegistryRoot root_;
  std::optional<TRegistryRoot> readAlso_;
  HKEY__* key_ = nullptr;
  HKEY__* older_ = nullptr;  // the same key below `readAlso`, when it exists
};
