// Loads arbitrary bytes as an INI file, reads every value in every way, edits a little, saves, and checks
// that the saved text reads back to the same document. The bytes are also loaded from a real file through
// the program's own file reader, which must give the same document. The first byte chooses the decimal
// separator and whether quoted strings are decoded and blocks made on demand.

#include <unistd.h>
#include <cstddef>
#include <cstdint>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "dvTools/BoundedRead.h"
#include "dvTools/dvError.h"
#include "dvTools/dvIniTools.h"
#include "dvTools/dvStrTools.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "broken: %s\n", what);
    __builtin_trap();
  }
}

// Every reading of one value of the current block; conversion errors are expected answers.
void ReadEveryWay(TDVIniFile& ini, const std::string& name) {
  Check(ini.ValueExists(name), "a stored name is found");
  std::string out;
  const bool nonEmpty = ini.ReadValue(name, out);
  Check(nonEmpty == !out.empty(), "ReadValue says whether the text is empty");
  Check(ini.ReadRawString(name) == out, "ReadRawString agrees with ReadValue");
  (void)ini.ReadString(name);
  (void)ini.ReadBool(name);
  try {
    (void)ini.ReadInteger(name);
  } catch (const EDVError&) {
  }
  try {
    (void)ini.ReadFloat(name);
  } catch (const EDVError&) {
  }
}

// The string tools on a value, with patterns taken from the value itself.
void CutEveryWay(std::string_view text) {
  (void)DecodeQuoted(text);
  const std::string_view pattern = text.substr(text.size() / 2, 3);
  for (int n : {-1, 0, 1, 2, 7}) {
    const std::int32_t p = NthPos(pattern, text, n);
    Check(p == 0 || (p >= 1 && static_cast<std::size_t>(p) + pattern.size() - 1 <= text.size()), "NthPos");
    (void)TextBefore(pattern, text, n);
    (void)TextAfter(pattern, text, n);
    (void)TextBetween(text, "\"", pattern, n);
    (void)MidText(text, n, n * 3);
    (void)TrimSpaces(text, n);
  }
  const std::int32_t count = CountOf(pattern, text, cfIgnoreCase);
  Check(count >= 0 && static_cast<std::size_t>(count) * (pattern.empty() ? 1 : pattern.size()) <= text.size(),
        "CountOf never overlaps");
  for (std::int32_t start : {0, 1, 3, 1000}) {
    (void)BackPos(text, pattern, start, cfCaseSensitive);
    if (start >= 1) (void)BMPos(text, pattern, start, cfIgnoreCase);
  }
  (void)ElfHash(text);
  double d = 0;
  if (TryParseIniFloat(text, '.', d)) {
    double back = 0;
    Check(TryParseIniFloat(FormatIniFloat(d, ','), ',', back), "a written float reads back");
  }
}

bool HoldsRootKeyMarker(TDVIniFile& ini) {
  bool found = false;
  WalkTreeItem(ini.RootItem(), [&](PTreeItem item) {
    if (item->Level == 3) {
      std::string upper = TDVIniFile::EntryValue(item);
      for (char& c : upper) c = static_cast<char>(UpperTable[static_cast<unsigned char>(c)]);
      if (upper == "[%ROOTKEY%]") found = true;
    }
  });
  return found;
}

// One file per fuzzing process, in a folder of its own that is removed at exit.
const std::filesystem::path& ScratchFile() {
  static const std::filesystem::path file = [] {
    // In memory where the system has it: the fuzzer writes the file on every run.
    char folder[] = "/dev/shm/ini_fuzz.XXXXXX";
    if (!::mkdtemp(folder)) std::abort();
    static const std::string keep = folder;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(keep, ec);
    });
    return std::filesystem::path(folder) / "Skimplane.ini";
  }();
  return file;
}

// The same bytes through a real file: LoadFromFile must end as LoadFromBytes did.
void LoadThroughFile(std::string_view bytes, char separator, bool quoted, bool complete,
                     const std::string& saved) {
  {
    std::ofstream out(ScratchFile(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  Check(ReadRegularFile(ScratchFile()) == bytes, "the file reader returns the file's bytes");
  TDVIniFile fromFile;
  fromFile.SetDecimalSeparator(separator);
  fromFile.SetQuotedStrings(quoted);
  bool fileComplete = true;
  try {
    fromFile.LoadFromFile(ScratchFile());
  } catch (const EDVError&) {
    fileComplete = false;
  }
  Check(fileComplete == complete, "a file loads as its bytes do");
  Check(fromFile.SaveToBytes() == saved, "a file gives the document its bytes give");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  TDVIniFile ini;
  ini.SetDecimalSeparator(mode & 1 ? ',' : '.');
  ini.SetQuotedStrings(mode & 2);
  bool complete = true;
  try {
    ini.LoadFromBytes(bytes);
  } catch (const EDVError&) {
    complete = false;  // what was read up to the failing line stays and must behave as well
  }

  // Every root key by its stored name, every value of every block through the string tools, and every
  // value of the first block (the one a caller reaches) through every reader.
  std::vector<std::string> rootNames;
  for (PTreeItem key = ini.RootItem()->FirstChild; key; key = key->Next) {
    rootNames.push_back(TDVIniFile::EntryName(key));
    for (PTreeItem block = key->FirstChild; block; block = block->Next)
      for (PTreeItem value = block->FirstChild; value; value = value->Next)
        CutEveryWay(TDVIniFile::EntryValue(value));
  }
  const std::string saved = ini.SaveToBytes();
  LoadThroughFile(bytes, mode & 1 ? ',' : '.', mode & 2, complete, saved);

  for (const std::string& name : rootNames) {
    ini.OpenRootKey(name);
    ini.OpenSubKey();
    if (!ini.IsSubKeyOpen()) continue;
    std::vector<std::string> names;
    for (PTreeItem value = ini.CurrentSubKey()->FirstChild; value; value = value->Next)
      names.push_back(TDVIniFile::EntryName(value));
    for (const std::string& n : names) ReadEveryWay(ini, n);
  }
  Check(ini.SaveToBytes() == saved, "reading changes nothing");

  // What the writer wrote, the reader reads back to the same text, unless a value spelled the root key
  // marker (that line turns into a root key line on purpose).
  if (!HoldsRootKeyMarker(ini)) {
    TDVIniFile again;
    try {
      again.LoadFromBytes(saved);
    } catch (const EDVError& e) {
      std::fprintf(stderr, "reload failed: %s\n", e.what());
      Check(false, "a saved document loads");
    }
    Check(again.SaveToBytes() == saved, "save, load and save give the same bytes");
  }

  // Writing: a few edits through the document, then one more save.
  ini.SetAutoCreate(mode & 4);
  if (!rootNames.empty()) {
    ini.OpenRootKey(rootNames.front());
    ini.OpenSubKey();
    if (!ini.IsSubKeyOpen()) ini.AddSubKey();
    Check(ini.IsSubKeyOpen(), "a block is open for writing");
    const std::string text(bytes.substr(0, 300));
    try {
      ini.WriteString(text.substr(0, 20), text);
    } catch (const EDVError&) {
    }
    ini.WriteFloat("F", static_cast<double>(size) / 7.0);
    ini.WriteInteger("I", static_cast<std::int32_t>(size) - 100);
    ini.WriteBool("B", complete);
    Check(ini.ReadFloat("F") == ini.ReadFloat("f"), "names ignore case");
    Check(ini.ReadInteger("I") == static_cast<std::int32_t>(size) - 100, "integers read back");
    (void)ini.SaveToBytes();
  }
  return 0;
}
