#include "dvTools/RegistryHive.h"

#include "dvTools/dvStrTools.h"

#include <cerrno>
#include <charconv>
#include <system_error>

#include "dvTools/AtomicFileWriter.h"
#include "dvTools/BoundedRead.h"
#include "dvTools/dvError.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// A value line: "name"=data or @=data. Gives the unescaped name and the data after '='.
bool ParseValueLine(std::string_view line, std::string& name, std::string_view& data) {
  std::string_view rest = TrimLeft(line);
  name.clear();
  if (!rest.empty() && rest.front() == '@') {
    rest.remove_prefix(1);
  } else if (!rest.empty() && rest.front() == '"') {
    std::size_t i = 1;
    bool closed = false;
    while (i < rest.size()) {
      const char c = rest[i];
      if (c == '\\' && i + 1 < rest.size()) {
        name.push_back(rest[i + 1]);
        i += 2;
      } else if (c == '"') {
        closed = true;
        ++i;
        break;
      } else {
        name.push_back(c);
        ++i;
      }
    }
    if (!closed) return false;
    rest.remove_prefix(i);
  } else {
    return false;
  }
  rest = TrimLeft(rest);
  if (rest.empty() || rest.front() != '=') return false;
  rest.remove_prefix(1);
  data = TrimLeft(rest);
  return true;
}

// dword:XXXXXXXX with one to eight hex digits and nothing after them.
// hex(4):b0,b1,b2,b3 -- a DWORD as registry exports may write it: four bytes, least significant first.
std::optional<std::uint32_t> ParseHexDword(std::string_view data) {
  constexpr std::string_view kPrefix = "hex(4):";
  if (data.size() <= kPrefix.size() || !SameText(data.substr(0, kPrefix.size()), kPrefix))
    return std::nullopt;
  data.remove_prefix(kPrefix.size());
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    while (!data.empty() && data.front() == ' ') data.remove_prefix(1);
    std::uint8_t byte = 0;
    if (data.size() < 2) return std::nullopt;
    const auto [end, ec] = std::from_chars(data.data(), data.data() + 2, byte, 16);
    if (ec != std::errc() || end != data.data() + 2) return std::nullopt;
    value |= static_cast<std::uint32_t>(byte) << (8 * i);
    data.remove_prefix(2);
    while (!data.empty() && data.front() == ' ') data.remove_prefix(1);
    if (i < 3) {
      if (data.empty() || data.front() != ',') return std::nullopt;
      data.remove_prefix(1);
    }
  }
  if (!data.empty()) return std::nullopt;
  return value;
}

std::optional<std::uint32_t> ParseDword(std::string_view data) {
  data = TrimRight(data);
  if (auto little = ParseHexDword(data)) return little;
  constexpr std::string_view kPrefix = "dword:";
  if (data.size() <= kPrefix.size() || !SameText(data.substr(0, kPrefix.size()), kPrefix))
    return std::nullopt;
  const std::string_view digits = data.substr(kPrefix.size());
  if (digits.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

std::string EscapeName(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

std::string DwordLine(std::string_view name, std::uint32_t value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string line = name.empty() ? std::string("@") : "\"" + EscapeName(name) + "\"";
  line += "=dword:";
  for (int shift = 28; shift >= 0; shift -= 4) line.push_back(kHex[(value >> shift) & 0xF]);
  return line;
}

bool IsHeaderLine(std::string_view line) {
  return line.starts_with("Windows Registry Editor") || line.starts_with("REGEDIT4");
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------

RegistryHive RegistryHive::Parse(std::string_view text) {
  RegistryHive hive;
  if (text.starts_with(kBom)) {
    hive.bom_ = true;
    text.remove_prefix(kBom.size());
  }
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }

  std::size_t i = 0;
  hive.preamble_.clear();
  if (!lines.empty() && IsHeaderLine(lines[0])) {
    hive.header_ = std::string(lines[0]);
    i = 1;
  } else if (lines.empty()) {
    hive.preamble_.emplace_back();  // a new file gets a blank line under its header
  }

  Section* section = nullptr;
  for (; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const std::string_view trimmed = TrimRight(TrimLeft(line));
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      hive.sections_.push_back({std::string(line), std::string(trimmed.substr(1, trimmed.size() - 2)), {}});
      section = &hive.sections_.back();
      continue;
    }
    if (!section) {
      hive.preamble_.emplace_back(line);
      continue;
    }
    Item item;
    item.lines.emplace_back(line);
    std::string_view data;
    if (ParseValueLine(line, item.name, data)) {
      item.isValue = true;
      item.dword = ParseDword(data);
      // Long binary and string-list values go on over lines that end in a backslash.
      while (TrimRight(item.lines.back()).ends_with('\\') && i + 1 < lines.size())
        item.lines.emplace_back(lines[++i]);
    }
    section->items.push_back(std::move(item));
  }
  return hive;
}

std::string RegistryHive::Serialize() const {
  std::string out;
  if (bom_) out += kBom;
  auto put = [&out](std::string_view line) {
    out += line;
    out += "\r\n";
  };
  put(header_);
  for (const std::string& line : preamble_) put(line);
  // A file may end inside a value continued over lines (its last line ends in a backslash). Anything we
  // add after it would be read back as part of that value, so such a value is closed with a blank line
  // first.
  bool continuationOpen = false;
  auto putAfterItem = [&](std::string_view line) {
    if (continuationOpen) put("");
    continuationOpen = false;
    put(line);
  };
  for (const Section& section : sections_) {
    putAfterItem(section.headerLine);
    for (const Item& item : section.items) {
      for (const std::string& line : item.lines) putAfterItem(line);
      continuationOpen = item.isValue && TrimRight(item.lines.back()).ends_with('\\');
    }
  }
  return out;
}

bool RegistryHive::KeyExists(std::string_view key) const {
  for (const Section& section : sections_)
    if (SameText(section.path, key)) return true;
  return false;
}

RegistryHive::Section* RegistryHive::LastSection(std::string_view key) {
  for (auto it = sections_.rbegin(); it != sections_.rend(); ++it)
    if (SameText(it->path, key)) return &*it;
  return nullptr;
}

void RegistryHive::CreateKey(std::string_view key) {
  if (KeyExists(key)) return;
  // Keys are separated by a blank line, as in an exported file.
  std::string* lastLine = nullptr;
  if (!sections_.empty()) {
    Section& last = sections_.back();
    lastLine = last.items.empty() ? &last.headerLine : &last.items.back().lines.back();
    if (!TrimRight(*lastLine).empty()) last.items.push_back({{""}, false, {}, std::nullopt});
  } else if (preamble_.empty() || !TrimRight(preamble_.back()).empty()) {
    preamble_.emplace_back();
  }
  Section section{"[" + std::string(key) + "]", std::string(key), {}};
  section.items.push_back({{""}, false, {}, std::nullopt});
  sections_.push_back(std::move(section));
}

const RegistryHive::Item* RegistryHive::FindValue(std::string_view key, std::string_view name) const {
  // As on import, a later entry of the same key and name wins.
  const Item* found = nullptr;
  for (const Section& section : sections_) {
    if (!SameText(section.path, key)) continue;
    for (const Item& item : section.items)
      if (item.isValue && SameText(item.name, name)) found = &item;
  }
  return found;
}

bool RegistryHive::ValueExists(std::string_view key, std::string_view name) const {
  return FindValue(key, name) != nullptr;
}

std::optional<std::int32_t> RegistryHive::ReadInteger(std::string_view key, std::string_view name) const {
  const Item* item = FindValue(key, name);
  if (!item || !item->dword) return std::nullopt;
  return static_cast<std::int32_t>(*item->dword);
}

void RegistryHive::WriteInteger(std::string_view key, std::string_view name, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  if (const Item* existing = FindValue(key, name)) {
    Item& item = const_cast<Item&>(*existing);
    // Keep the name as it was spelled in the file.
    item.lines = {DwordLine(item.name, bits)};
    item.dword = bits;
    return;
  }
  CreateKey(key);
  Section& section = *LastSection(key);
  // After the key's last value, before the blank lines that end it.
  auto at = section.items.end();
  while (at != section.items.begin() && !std::prev(at)->isValue &&
         TrimRight(std::prev(at)->lines.front()).empty())
    --at;
  section.items.insert(at, Item{{DwordLine(name, bits)}, true, std::string(name), bits});
}

// ---------------------------------------------------------------------------------------------------------

namespace {

std::string FullKey(std::string_view path) {
  return std::string(RegistryHive::kMachineRoot) + "\\" + std::string(path);
}

// A key path names one key per part: no empty part, no leading or trailing backslash.
bool ValidKeyPath(std::string_view path) {
  if (path.empty() || path.front() == '\\' || path.back() == '\\') return false;
  return path.find("\\\\") == std::string_view::npos;
}

}  // namespace

bool RegistryFileStore::OpenKey(std::string_view path, bool canCreate) {
  key_.reset();
  if (!ValidKeyPath(path)) return false;
  std::error_code ec;
  const bool exists = std::filesystem::exists(file_, ec);
  if (ec) return false;
  if (exists) {
    // Something other than a file in its place (a folder) is a hive that cannot be opened.
    // So is a device, a pipe or a file beyond the size limit: it is never read.
    std::string text;
    try {
      text = ReadRegularFile(file_);
    } catch (const EDVError&) {
      return false;
    }
    // An export in UTF-16 (as the Windows registry editor writes them) would be ruined by the 8-bit
    // lines we add: leave such a file alone.
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) return false;
    hive_ = RegistryHive::Parse(text);
  } else {
    hive_ = RegistryHive();
  }
  const std::string key = FullKey(path);
  try {
    if (!hive_.KeyExists(key)) {
      if (!canCreate) return false;
      hive_.CreateKey(key);
      WriteFileAtomically(file_, hive_.Serialize());
    } else {
      // A key is opened for writing as well: a hive that cannot be written cannot be opened.
      AtomicFileWriter probe(file_);
    }
  } catch (const EDVError&) {
    return false;
  }
  key_ = key;
  return true;
}

bool RegistryFileStore::ValueExists(std::string_view name) {
  return key_ && hive_.ValueExists(*key_, name);
}

std::int32_t RegistryFileStore::ReadInteger(std::string_view name) {
  const std::optional<std::int32_t> value = key_ ? hive_.ReadInteger(*key_, name) : std::nullopt;
  if (!value) throw EDVError("Invalid data type for '" + std::string(name) + "'");
  return *value;
}

void RegistryFileStore::WriteInteger(std::string_view name, std::int32_t value) {
  if (!key_) throw EDVError("Failed to set data for '" + std::string(name) + "'");
  hive_.WriteInteger(*key_, name, value);
  WriteFileAtomically(file_, hive_.Serialize());
}

// ---------------------------------------------------------------------------------------------------------

// On Windows the system registry takes its place (WindowsRegistry.cpp).
#ifndef _WIN32
std::unique_ptr<RegistryStore> MakeMachineRegistry(const std::filesystem::path& hiveFile) {
  return std::make_unique<RegistryFileStore>(hiveFile);
}
#endif
