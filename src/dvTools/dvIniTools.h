#pragma once
// The in-memory INI document: named root keys, each holding anonymous subitem keys (blocks), each holding
// named text values. Everything goes through a cursor of one current root key and one current subitem key.
// Names are found by the 28-bit ELF hash of the trimmed, upper-cased name, so two names with one hash are
// one name. On disk:
//
//   Option:[%RootKey%]
//   [%
//     Length:150
//   %]
//
// Texts are bytes; no code page is converted anywhere.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dvTools/dvTreeList.h"

// The line list of a save in progress. BlockOpen says that a "[%" still waits for its "%]".
struct TSaveIniFile {
  std::vector<std::string> Lines;
  bool BlockOpen = false;
};

// The platform's decimal separator for numbers (LC_NUMERIC of the user's locale), '.' when unknown or
// when it is not a single byte.
[[nodiscard]] char DefaultDecimalSeparator();

// The text of a hand-written quoted value: "..." with the escapes $# ($), $Q ("), $N (CR), $D (LF).
[[nodiscard]] std::string DecodeQuoted(std::string_view text);

// Numbers as the document writes and reads them, with the given decimal separator.
[[nodiscard]] std::string FormatIniFloat(double value, char decimalSeparator);
[[nodiscard]] bool TryParseIniFloat(std::string_view text, char decimalSeparator, double& value);
[[nodiscard]] bool TryParseIniInteger(std::string_view text, std::int32_t& value);

// Where the last load stopped before the end of its text. Line is 1-based, 0 when the whole text was read.
// AtNul: a NUL byte ended the text in that line (no error; nothing after it is read). Otherwise the line
// could not be read and the load raised its error. Text: the line's first bytes (at most
// kLoadStopTextBytes), for a message that shows the line.
struct TIniLoadStop {
  std::size_t Line = 0;
  bool AtNul = false;
  std::string Text;
};
inline constexpr std::size_t kLoadStopTextBytes = 80;

class TDVIniFile {
 public:
  TDVIniFile();
  virtual ~TDVIniFile();
  TDVIniFile(const TDVIniFile&) = delete;
  TDVIniFile& operator=(const TDVIniFile&) = delete;

  // Frees every root key, block and value; no key is current afterwards. Flags stay.
  void Clear();
  // Raises "Ini file:<name> not found." (document unchanged) or the file layer's error.
  void LoadFromFile(const std::filesystem::path& fileName);
  void LoadFromStrings(const std::vector<std::string>& lines);
  // The file's bytes: lines end at CR LF, CR or LF; a NUL byte ends the text (LoadStop tells where).
  void LoadFromBytes(std::string_view bytes);
  // Writes through the safe file writer: the file is the old one or the new one, never half of either.
  void SaveToFile(const std::filesystem::path& fileName);
  [[nodiscard]] std::vector<std::string> SaveToStrings();
  [[nodiscard]] std::string SaveToBytes();
  // Where the last load stopped early, if it did.
  [[nodiscard]] const TIniLoadStop& LoadStop() const { return loadStop_; }

  // When true, ReadString decodes quoted values.
  [[nodiscard]] bool QuotedStrings() const { return quotedStrings_; }
  void SetQuotedStrings(bool value) { quotedStrings_ = value; }
  // When true, OpenSubKey makes a block for a root key that has none.
  [[nodiscard]] bool AutoCreate() const { return autoCreate_; }
  void SetAutoCreate(bool value) { autoCreate_ = value; }
  // The separator WriteFloat writes and ReadFloat expects; the platform's by default.
  [[nodiscard]] char DecimalSeparator() const { return decimalSeparator_; }
  void SetDecimalSeparator(char value) { decimalSeparator_ = value; }

  // Cursor.
  void OpenRootKey(std::string_view name);
  void OpenSubKey();
  PTreeItem AddSubKey();
  void CloseSubKey() { currentSubKey_ = nullptr; }
  [[nodiscard]] bool IsRootKeyOpen() const { return currentRootKey_ != nullptr; }
  [[nodiscard]] bool IsSubKeyOpen() const { return currentSubKey_ != nullptr; }
  [[nodiscard]] PTreeItem RootItem() const { return rootItem_; }
  [[nodiscard]] PTreeItem CurrentRootKey() const { return currentRootKey_; }
  [[nodiscard]] PTreeItem CurrentSubKey() const { return currentSubKey_; }
  [[nodiscard]] const std::string& RootKeyName() const { return rootKeyName_; }

  virtual bool FindValue(std::string_view name, PTreeItem& item);
  virtual bool FindRootKey(std::string_view name, PTreeItem& item);
  virtual bool FindSubKey(std::int32_t index, PTreeItem& item);
  // True only when the value exists and is not empty; `value` is untouched when it does not exist.
  virtual bool ReadValue(std::string_view name, std::string& value);

  // Values of the current subitem key; each raises the "subitem key not open" message without one.
  [[nodiscard]] bool ValueExists(std::string_view name);
  [[nodiscard]] std::string ReadRawString(std::string_view name);
  [[nodiscard]] std::string ReadString(std::string_view name);
  [[nodiscard]] std::int32_t ReadInteger(std::string_view name);
  [[nodiscard]] double ReadFloat(std::string_view name);
  [[nodiscard]] bool ReadBool(std::string_view name);
  void WriteString(std::string_view name, std::string_view value);
  void WriteInteger(std::string_view name, std::int32_t value);
  void WriteFloat(std::string_view name, double value);
  void WriteBool(std::string_view name, bool value);

  // The entry of a root key or value item; 0 or empty for none or an item without entry.
  [[nodiscard]] static std::uint32_t EntryHash(PTreeItem item);
  [[nodiscard]] static std::string EntryName(PTreeItem item);
  [[nodiscard]] static std::string EntryValue(PTreeItem item);
  // The key every lookup compares: ElfHash of the name without outer spaces, ASCII letters upper-cased.
  [[nodiscard]] static std::uint32_t NameKey(std::string_view name);

 protected:
  // Called for every item the document frees.
  virtual void DoDeleteNode(PTreeItem item);
  // Emits the item's lines into Writer() during a save.
  virtual void DoWriteNode(PTreeItem item);

  // Validates and attaches an entry (name trimmed, value as given) to an item; replaces an old one.
  void SetEntry(PTreeItem item, std::string_view name, std::string_view value);
  void ReplaceValue(PTreeItem item, std::string_view value);
  void FreeEntry(PTreeItem item);
  [[nodiscard]] TSaveIniFile* Writer() const { return writer_; }

 private:
  [[noreturn]] void RaiseSubKeyNotOpen() const;
  void RequireSubKey() const {
    if (!currentSubKey_) RaiseSubKeyNotOpen();
  }
  // Makes a validated entry first, then the item under `parent`, so a rejected name adds nothing.
  PTreeItem AppendNamedItem(PTreeItem parent, std::string_view name, std::string_view value);
  void ReadLine(std::string_view line, bool& insideBlock);
  // Clears the document and reads the lines that `next` hands out one by one (false: no more).
  template <class TNextLine>
  void LoadLines(TNextLine next);

  std::string rootKeyName_;
  TSaveIniFile* writer_ = nullptr;
  bool quotedStrings_ = false;
  bool autoCreate_ = false;
  char decimalSeparator_;
  PTreeItem rootItem_ = nullptr;
  PTreeItem currentRootKey_ = nullptr;
  PTreeItem currentSubKey_ = nullptr;
  // The first root key of each key, so that a load of many root keys does not scan all earlier ones for
  // each new one. Root keys are appended only by OpenRootKey and removed only by Clear, which keep it.
  std::unordered_map<std::uint32_t, PTreeItem> rootKeys_;
  TIniLoadStop loadStop_;
};
