#include "dvTools/dvIniTools.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <langinfo.h>
#include <locale.h>
#endif

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "dvTools/AtomicFileWriter.h"
#include "dvTools/BoundedRead.h"
#include "dvTools/EscapedText.h"
#include "dvTools/dvError.h"
#include "dvTools/dvStrTools.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr std::size_t kMaxValueLength = 65535;
constexpr std::string_view kRootKeyValue = "RootKey";
constexpr std::string_view kRootKeyMarker = "[%ROOTKEY%]";

// What a root key or value item carries. The name and its key never change after creation.
struct TIniEntry {
  std::uint32_t Hash = 0;
  std::string Name;
  std::string Value;
};

TIniEntry* EntryOf(PTreeItem item) {
  return item ? static_cast<TIniEntry*>(item->Data) : nullptr;
}

// The checks every entry passes before anything is added; `name` is already trimmed.
void ValidateEntry(std::string_view name, std::string_view value) {
  if (name.empty()) throw EDVError(MessageOf("IniNameMissing", "Invaild field name"));
  if (name.size() > kMaxNameLength)
    throw EDVError(MessageOf("IniNameTooLong", "Invaild field (length > 255)."));
  if (value.size() > kMaxValueLength)
    throw EDVError(MessageOf("IniValueTooLong", "Invalid value (length > 65535)."));
}

std::unique_ptr<TIniEntry> MakeEntry(std::string_view name, std::string_view value) {
  std::string trimmed = TrimSpaces(name, 0);
  ValidateEntry(trimmed, value);
  auto entry = std::make_unique<TIniEntry>();
  entry->Hash = TDVIniFile::NameKey(trimmed);
  entry->Name = std::move(trimmed);
  entry->Value = std::string(value);
  return entry;
}

// The text without spaces (byte 32 only) at either end.
std::string_view TrimmedView(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

#ifdef _WIN32
// The user's decimal separator from the regional settings; a separator of more than one character
// cannot be written into a byte-oriented file that older copies read.
char QueryDecimalSeparator() {
  wchar_t radix[8] = {};
  const int n = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, radix, 8);
  return n == 2 && radix[0] > 0x20 && radix[0] < 0x7F ? static_cast<char>(radix[0]) : '.';
}

// Windows has no strtod_l; the text is plain (digits, one point, an exponent) by now, which from_chars
// reads the same in every locale. A value too small for a double becomes zero, as strtod makes it.
double ParsePlainNumber(const std::string& plain, const char*& end) {
  double value = 0;
  const char* first = plain.data() + (plain.front() == '+' ? 1 : 0);
  const auto [ptr, ec] = std::from_chars(first, plain.data() + plain.size(), value);
  end = ptr;
  if (ec == std::errc::result_out_of_range) {
    const std::size_t e = plain.find('e');
    const bool tiny = e != std::string::npos && e + 1 < plain.size() && plain[e + 1] == '-';
    return tiny ? (plain.front() == '-' ? -0.0 : 0.0) : HUGE_VAL;
  }
  return value;
}
#else
locale_t ClassicLocale() {
  static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return classic;
}

double ParsePlainNumber(const std::string& plain, const char*& end) {
  char* stop = nullptr;
  const double value = strtod_l(plain.c_str(), &stop, ClassicLocale());
  end = stop;
  return value;
}

char QueryDecimalSeparator() {
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
  if (!user) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  // A separator of more than one byte cannot be written into a byte-oriented file that older copies read.
  const char separator = (radix && radix[0] != '\0' && radix[1] == '\0') ? radix[0] : '.';
  freelocale(user);
  return separator;
}
#endif

}  // namespace

char DefaultDecimalSeparator() {
  static const char separator = QueryDecimalSeparator();
  return separator;
}

std::string DecodeQuoted(std::string_view text) {
  if (text == "\"\"") return {};
  const std::size_t dollar = text.find('$');
  if (dollar == std::string_view::npos) {
    if (text.find('"') == std::string_view::npos) return std::string(text);
    return TextBetween(text, "\"", "\"", 1);
  }
  const std::size_t quote = text.find('"');
  if (quote == std::string_view::npos || text.size() - quote - 1 < 2) return {};
  std::string result;
  for (std::size_t i = quote + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') break;
    if (c != '$' || i + 1 == text.size()) {  // a dollar sign at the very end stands for itself
      result += c;
      continue;
    }
    const char escaped = text[++i];
    switch (escaped) {
      case '#':
        result += '$';
        break;
      case 'Q':
        result += '"';
        break;
      case 'N':
        result += '\r';
        break;
      case 'D':
        result += '\n';
        break;
      default:
        result += escaped;
        break;
    }
  }
  return result;
}

std::string FormatIniFloat(double value, char decimalSeparator) {
  // Not-a-number and infinity are written so that ReadFloat takes them back.
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";

  // Fifteen significant digits, rounded once from the exact binary value.
  char buffer[64];
  const auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
  (void)ec;  // 64 bytes always hold "-d.dddddddddddddde-308"
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const bool negative = text.front() == '-';
  if (negative) text.remove_prefix(1);
  const std::size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e))
    if (IsDigit(c)) digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  int exponent = 0;
  std::from_chars(text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0), text.data() + text.size(), exponent);

  std::string out = negative ? "-" : "";
  const int point = exponent + 1;  // digits before the separator
  const auto count = static_cast<int>(digits.size());
  if (point > 15 || point < -4) {
    out += digits[0];
    if (count > 1) (out += decimalSeparator) += digits.substr(1);
    out += 'E';
    if (exponent < 0) out += '-';
    out += std::to_string(std::abs(exponent));
  } else if (point <= 0) {
    out += '0';
    out += decimalSeparator;
    out.append(static_cast<std::size_t>(-point), '0');
    out += digits;
  } else if (count <= point) {
    out += digits;
    out.append(static_cast<std::size_t>(point - count), '0');
  } else {
    out += digits.substr(0, static_cast<std::size_t>(point));
    out += decimalSeparator;
    out += digits.substr(static_cast<std::size_t>(point));
  }
  return out;
}

bool TryParseIniFloat(std::string_view text, char decimalSeparator, double& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const std::string upper = UpperCase(text);
  if (upper == "NAN") return value = std::nan(""), true;
  if (upper == "INF" || upper == "+INF") return value = HUGE_VAL, true;
  if (upper == "-INF") return value = -HUGE_VAL, true;

  // sign? digits* (separator digits*)? ((E|e) sign? digits+)?, with at least one mantissa digit
  std::string plain;  // the same number with a point, for the C conversion
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  std::size_t mantissaDigits = 0;
  while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++mantissaDigits;
  if (i < text.size() && text[i] == decimalSeparator) {
    plain += '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++mantissaDigits;
  }
  if (mantissaDigits == 0) return false;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    std::size_t exponentDigits = 0;
    while (i < text.size() && IsDigit(text[i])) plain += text[i++], ++exponentDigits;
    if (exponentDigits == 0) return false;
  }
  if (i != text.size()) return false;
  const char* end = nullptr;
  const double parsed = ParsePlainNumber(plain, end);
  if (end != plain.c_str() + plain.size() || std::isinf(parsed)) return false;  // too large for a double
  value = parsed;
  return true;
}

bool TryParseIniInteger(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  bool hex = false;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == text.size()) return false;
  // Hexadecimal takes all 32 bits ($FFFFFFFF is -1), as colours are written; decimal is the signed range.
  const std::uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const int digit = hex ? HexDigit(text[i]) : (IsDigit(text[i]) ? text[i] - '0' : -1);
    if (digit < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return false;
  }
  const std::uint32_t bits = static_cast<std::uint32_t>(negative ? 0 - magnitude : magnitude);
  value = static_cast<std::int32_t>(bits);
  return true;
}

// ---- the document ------------------------------------------------------------------------------------

TDVIniFile::TDVIniFile() : decimalSeparator_(DefaultDecimalSeparator()) {
  NewTreeItem(nullptr, rootItem_);
}

TDVIniFile::~TDVIniFile() {
  Clear();
  DeleteTreeItem(rootItem_, {});
}

void TDVIniFile::Clear() {
  ClearTreeItem(rootItem_, [this](PTreeItem item) { DoDeleteNode(item); });
  rootKeys_.clear();
  currentRootKey_ = nullptr;
  currentSubKey_ = nullptr;
}

std::uint32_t TDVIniFile::NameKey(std::string_view name) {
  return ElfHash(UpperCase(TrimSpaces(name, 0)));
}

std::uint32_t TDVIniFile::EntryHash(PTreeItem item) {
  const TIniEntry* entry = EntryOf(item);
  return entry ? entry->Hash : 0;
}

std::string TDVIniFile::EntryName(PTreeItem item) {
  const TIniEntry* entry = EntryOf(item);
  return entry ? entry->Name : std::string();
}

std::string TDVIniFile::EntryValue(PTreeItem item) {
  const TIniEntry* entry = EntryOf(item);
  return entry ? entry->Value : std::string();
}

void TDVIniFile::SetEntry(PTreeItem item, std::string_view name, std::string_view value) {
  if (!item) return;
  std::unique_ptr<TIniEntry> entry = MakeEntry(name, value);
  FreeEntry(item);
  item->Data = entry.release();
}

void TDVIniFile::ReplaceValue(PTreeItem item, std::string_view value) {
  if (!item) return;
  if (value.size() > kMaxValueLength)
    throw EDVError(MessageOf("IniValueTooLong", "Invalid value (length > 65535)."));
  if (TIniEntry* entry = EntryOf(item)) entry->Value.assign(value);
}

void TDVIniFile::FreeEntry(PTreeItem item) {
  if (!item) return;
  std::unique_ptr<TIniEntry> entry(EntryOf(item));
  item->Data = nullptr;
}

void TDVIniFile::DoDeleteNode(PTreeItem item) {
  FreeEntry(item);
}

PTreeItem TDVIniFile::AppendNamedItem(PTreeItem parent, std::string_view name, std::string_view value) {
  std::unique_ptr<TIniEntry> entry = MakeEntry(name, value);
  PTreeItem item = nullptr;
  NewTreeItem(parent, item);
  item->Data = entry.release();
  return item;
}

void TDVIniFile::RaiseSubKeyNotOpen() const {
  throw EDVError(MessageOf("SettingsBlockMissing", "RootKey \"%1\" - subitem key not open.",
                           {MessageValue(rootKeyName_)}));
}

// ---- cursor ------------------------------------------------------------------------------------------

void TDVIniFile::OpenRootKey(std::string_view name) {
  rootKeyName_ = std::string(name);
  PTreeItem item = nullptr;
  if (!FindRootKey(name, item)) {
    item = AppendNamedItem(rootItem_, name, kRootKeyValue);
    rootKeys_.emplace(EntryHash(item), item);  // an earlier root key of the same key stays the one found
  }
  currentRootKey_ = item;
  currentSubKey_ = nullptr;
}

void TDVIniFile::OpenSubKey() {
  if (!currentRootKey_) return;
  currentSubKey_ = currentRootKey_->FirstChild;
  if (!currentSubKey_ && autoCreate_) AddSubKey();
}

PTreeItem TDVIniFile::AddSubKey() {
  if (!currentRootKey_) throw EDVError("RootKey not Open.");
  PTreeItem item = nullptr;
  NewTreeItem(currentRootKey_, item);
  currentSubKey_ = item;
  return item;
}

bool TDVIniFile::FindRootKey(std::string_view name, PTreeItem& item) {
  // The index gives the first root key of the key, the one a walk over the root keys would meet first.
  const auto found = rootKeys_.find(NameKey(name));
  if (found == rootKeys_.end()) return false;
  item = found->second;
  return true;
}

bool TDVIniFile::FindSubKey(std::int32_t index, PTreeItem& item) {
  if (!currentRootKey_ || index < 0) return false;
  std::int32_t count = 0;
  for (PTreeItem child = currentRootKey_->FirstChild; child; child = child->Next, ++count) {
    if (count == index) {
      item = child;
      return true;
    }
  }
  return false;
}

bool TDVIniFile::FindValue(std::string_view name, PTreeItem& item) {
  RequireSubKey();
  const std::uint32_t key = NameKey(name);
  for (PTreeItem child = currentSubKey_->FirstChild; child; child = child->Next) {
    if (EntryHash(child) == key) {
      item = child;
      return true;
    }
  }
  return false;
}

// ---- values ------------------------------------------------------------------------------------------

bool TDVIniFile::ReadValue(std::string_view name, std::string& value) {
  PTreeItem item = nullptr;
  if (!FindValue(name, item)) return false;
  value = EntryValue(item);
  return !value.empty();
}

bool TDVIniFile::ValueExists(std::string_view name) {
  PTreeItem item = nullptr;
  return FindValue(name, item);
}

std::string TDVIniFile::ReadRawString(std::string_view name) {
  std::string value;
  ReadValue(name, value);
  return value;
}

std::string TDVIniFile::ReadString(std::string_view name) {
  std::string value = ReadRawString(name);
  return quotedStrings_ ? DecodeQuoted(value) : value;
}

std::int32_t TDVIniFile::ReadInteger(std::string_view name) {
  const std::string text = ReadRawString(name);
  std::int32_t value = 0;
  if (!TryParseIniInteger(text, value))
    throw EDVError(MessageOf("NotAnInteger", "'%1' is not a valid integer value",
                             {MessageValue(EscapeControlBytes(text))}));
  return value;
}

double TDVIniFile::ReadFloat(std::string_view name) {
  const std::string text = ReadRawString(name);
  double value = 0;
  if (!TryParseIniFloat(text, decimalSeparator_, value))
    throw EDVError(MessageOf("NotANumber", "'%1' is not a valid floating point value",
                             {MessageValue(EscapeControlBytes(text))}));
  return value;
}

bool TDVIniFile::ReadBool(std::string_view name) {
  return UpperCase(ReadRawString(name)) == "TRUE";
}

void TDVIniFile::WriteString(std::string_view name, std::string_view value) {
  PTreeItem item = nullptr;
  if (FindValue(name, item))
    ReplaceValue(item, value);
  else
    AppendNamedItem(currentSubKey_, name, value);
}

void TDVIniFile::WriteInteger(std::string_view name, std::int32_t value) {
  WriteString(name, std::to_string(value));
}

void TDVIniFile::WriteFloat(std::string_view name, double value) {
  WriteString(name, FormatIniFloat(value, decimalSeparator_));
}

void TDVIniFile::WriteBool(std::string_view name, bool value) {
  WriteString(name, value ? "TRUE" : "FALSE");
}

// ---- text format -------------------------------------------------------------------------------------

void TDVIniFile::LoadFromFile(const fs::path& fileName) {
  loadStop_ = {};
  std::error_code ec;
  if (fs::status(fileName, ec).type() == fs::file_type::not_found)
    throw EDVError(MessageOf("FileNotFound", "Ini file:%1 not found.",
                             {MessageValue(EscapeControlBytes(fileName.string()))}));
  // Everything is read before the document is touched, so a read error leaves it as it was.
  LoadFromBytes(ReadRegularFile(fileName));
}

template <class TNextLine>
void TDVIniFile::LoadLines(TNextLine next) {
  Clear();
  loadStop_ = {};
  // Whatever the reader had open last is not the caller's cursor: after a load, also a failed one, no
  // root key is current (the root key name of the messages stays the last one read).
  struct TCursorReset {
    TDVIniFile& ini;
    ~TCursorReset() { ini.currentRootKey_ = ini.currentSubKey_ = nullptr; }
  } reset{*this};
  bool insideBlock = false;
  std::size_t number = 0;
  std::string_view line;
  while (next(line)) {
    ++number;
    try {
      ReadLine(line, insideBlock);
    } catch (...) {
      // The error goes on unchanged; the caller may name the line it came from.
      loadStop_ = {number, false, std::string(line.substr(0, kLoadStopTextBytes))};
      throw;
    }
  }
}

void TDVIniFile::LoadFromBytes(std::string_view bytes) {
  // The lines are read straight from the bytes, without a list of copies of them.
  const std::size_t nul = bytes.find('\0');
  const std::string_view text = bytes.substr(0, nul);
  std::size_t start = 0;
  std::size_t lines = 0;
  LoadLines([&](std::string_view& line) {
    if (start >= text.size()) return false;  // a line break at the very end makes no extra line
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    line = text.substr(start, end - start);
    start = end + ((end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ? 2 : 1);
    ++lines;
    return true;
  });
  if (nul == std::string_view::npos) return;
  // The NUL ends the text in the last line read, or in a line of its own right after a line break.
  const bool ownLine = text.empty() || text.back() == '\r' || text.back() == '\n';
  const std::size_t lineStart = ownLine ? nul : text.find_last_of("\r\n") + 1;  // npos + 1: the first
  const std::size_t lineEnd = std::min(bytes.find_first_of("\r\n", nul), bytes.size());
  loadStop_ = {ownLine ? lines + 1 : lines, true,
               std::string(bytes.substr(lineStart, std::min(lineEnd - lineStart, kLoadStopTextBytes)))};
}

void TDVIniFile::LoadFromStrings(const std::vector<std::string>& lines) {
  std::size_t i = 0;
  LoadLines([&](std::string_view& line) {
    if (i == lines.size()) return false;
    line = lines[i++];
    return true;
  });
}

void TDVIniFile::ReadLine(std::string_view line, bool& insideBlock) {
  // Views into the line, no copies: a large file is mostly these few comparisons per line.
  const std::string_view text = TrimmedView(line);
  if (text.empty() || text[0] == ';') return;
  if (text.size() >= 2 && text[0] == '/' && text[1] == '/') return;
  const std::size_t colon = text.find(':');
  const bool hasColon = colon != std::string_view::npos;
  // Nothing may stand between the colon and the marker; its letters may be in any case.
  if (hasColon && SameText(text.substr(colon + 1), kRootKeyMarker)) {
    OpenRootKey(TrimmedView(text.substr(0, colon)));
    return;
  }
  if (text == "[%") {
    AddSubKey();
    insideBlock = true;
    return;
  }
  if (text == "%]") {
    CloseSubKey();
    insideBlock = false;
    return;
  }
  if (hasColon && insideBlock) {
    const std::string_view name = TrimmedView(text.substr(0, colon));
    const std::string_view value = TrimmedView(text.substr(colon + 1));
    ValidateEntry(name, value);
    // A value after a root key line inside an open block has no block to go to.
    if (!currentSubKey_) return;
    // No search: a name given twice keeps both lines, and lookups find the first.
    AppendNamedItem(currentSubKey_, name, value);
  }
}

void TDVIniFile::DoWriteNode(PTreeItem item) {
  if (!writer_ || !item) return;
  std::vector<std::string>& lines = writer_->Lines;
  switch (item->Level) {
    case 1:
      if (writer_->BlockOpen) {
        lines.emplace_back("%]");
        lines.emplace_back();
      }
      lines.push_back(EntryName(item) + ":[%RootKey%]");
      writer_->BlockOpen = false;
      break;
    case 2:
      if (writer_->BlockOpen) lines.emplace_back("%]");
      lines.emplace_back("[%");
      writer_->BlockOpen = true;
      break;
    case 3:
      lines.push_back("  " + EntryName(item) + ":" + EntryValue(item));
      break;
    default:
      break;
  }
}

std::vector<std::string> TDVIniFile::SaveToStrings() {
  TSaveIniFile list;
  struct WriterScope {
    TSaveIniFile*& writer;
    ~WriterScope() { writer = nullptr; }
  } scope{writer_};
  writer_ = &list;
  WalkTreeItem(rootItem_, [this](PTreeItem item) { DoWriteNode(item); });
  if (list.BlockOpen) list.Lines.emplace_back("%]");
  return std::move(list.Lines);
}

std::string TDVIniFile::SaveToBytes() {
  std::string bytes;
  for (const std::string& line : SaveToStrings()) (bytes += line) += "\r\n";
  return bytes;
}

void TDVIniFile::SaveToFile(const fs::path& fileName) {
  WriteFileAtomically(fileName, SaveToBytes());
}
