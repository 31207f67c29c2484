// Loads any bytes as the position keeper's hive file, reads and writes a value, and checks that what is
// written back parses again to the same text: the store must never lose or mangle a file it was given.
// The bytes are also given to the store as a real file, read through the program's own file reader.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "dvTools/AtomicFileWriter.h"
#include "dvTools/RegistryHive.h"
#include "dvTools/dvError.h"

namespace {

const std::filesystem::path& ScratchFile() {
  static const std::filesystem::path file = [] {
    // In memory where the system has it: the fuzzer writes the file on every run.
    char folder[] = "/dev/shm/registry_fuzz.XXXXXX";
    if (!::mkdtemp(folder)) std::abort();
    static const std::string keep = folder;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(keep, ec);
    });
    return std::filesystem::path(folder) / "Skimplane.reg";
  }();
  return file;
}

std::string ReadBack(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The store on a real file holding the bytes: a key opened for writing keeps what it read, a written value
// reads back, and a file it refuses (UTF-16) stays untouched.
void StoreOnFile(std::string_view text) {
  {
    std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  // Syncing every write to the disk would only slow the fuzzer down.
  static const bool noSync = (SetFileSyncForTesting([](int) { return 0; }), true);
  (void)noSync;
  RegistryFileStore store(ScratchFile());
  if (!store.OpenKey("Software\\Dravik\\AutoPos\\frmSkimplane", true)) {
    if (ReadBack(ScratchFile()) != text) std::abort();
    return;
  }
  try {
    store.WriteInteger("Left", 77);
  } catch (const EDVError&) {
    std::abort();
  }
  RegistryFileStore again(ScratchFile());
  if (!again.OpenKey("Software\\Dravik\\AutoPos\\frmSkimplane", false) || again.ReadInteger("Left") != 77)
    std::abort();
}

}  // namespace

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
  StoreOnFile(text);
  return 0;
}
