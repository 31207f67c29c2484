// Loads any bytes as the position keeper's hive file, reads and writes a value, and checks that what is
// written back parses again to the same text: the store must never lose or mangle a file it was given.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dvTools/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RegistryHive hive = RegistryHive::Parse(text);
  const std::string key = "HKEY_LOCAL_MACHINE\\Software\\Dravik\\AutoPos\\frmSkimplane";
  (void)hive.KeyExists(key);
  (void)hive.ValueExists(key, "Left");
  (void)hive.ReadInteger(key, "Left");

  const std::string once = hive.Serialize();
  if (RegistryHive::Parse(once).Serialize() != once) std::abort();

  hive.WriteInteger(key, "Left", -1);
  hive.WriteInteger(key, "Top", 214);
  RegistryHive again = RegistryHive::Parse(hive.Serialize());
  if (again.ReadInteger(key, "Left") != -1 || again.ReadInteger(key, "Top") != 214) std::abort();
  return 0;
}
