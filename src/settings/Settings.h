#pragma once
// Skimplane.ini: the window's entries, restored at start and stored at exit.
//
// The file lies in the executable's folder (or the user's, see ProgramFolders.h) and keeps the entries in the
// first block of the root key "Option". Everything else in it (other root keys, further blocks, unknown
// values, "Lang") is carried through a save untouched. Every error is an EDVError with the user's message;
// what was set before it stays set, and an entry that cannot be read costs only its own control.

#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "dvTools/dvError.h"
#include "dvTools/dvIniTools.h"
#include "toolpath/FacingJob.h"

inline constexpr std::string_view kSettingsFileName = "Skimplane.ini";

// Where the program finds its files: the executable's folder and the user's decimal separator.
struct TSettingsPlace {
  TSettingsPlace() = default;
  TSettingsPlace(std::string exeFolder, char decimalSeparator, std::string settingsFolder = {},
                 std::string installedDataFolder = {})
      : ExeFolder(std::move(exeFolder)),
        DecimalSeparator(decimalSeparator),
        SettingsFolder(std::move(settingsFolder)),
        InstalledDataFolder(std::move(installedDataFolder)) {}

  std::string ExeFolder;  // bytes of the folder; a missing trailing separator is added
  char DecimalSeparator = DefaultDecimalSeparator();
  // The folder of Skimplane.ini when it is not the executable's (created when the file is first saved).
  std::string SettingsFolder;
  // Where a language pack missing beside the executable is looked for next; empty: nowhere.
  std::string InstalledDataFolder;
};

// The folder Skimplane.ini lies in: SettingsFolder, or the executable's when that is empty.
[[nodiscard]] const std::string& SettingsFolderOf(const TSettingsPlace& place);

// The file of the language pack `name`: beside the executable when it is there or nowhere else, else in
// the installed data folder. A pack found nowhere is reported with the path beside the executable.
[[nodiscard]] std::filesystem::path LanguagePackFile(const TSettingsPlace& place, std::string_view name);

// The executable's folder immediately followed by `name`. Backslashes in the name separate folders, so
// a pack named packs\English.lng is found in the subfolder packs. The name is appended as text, never
// resolved on its own: a full path in it stays below the folder.
[[nodiscard]] std::filesystem::path BesideExecutable(const std::string& exeFolder, std::string_view name);

// The start (LoadSettings, with the language pack) is in LanguagePack.h.

// The exit: stores the entries into the settings file, creating it when it is missing. A file that cannot
// be read whole (a NUL byte, an entry that cannot be read) is kept as it is and the exit raises why:
// storing the window's values would put its design values over the entries it could not read.
void SaveSettings(const TJobEntries& entries, const TSettingsPlace& place);

// Loads a settings file into `ini` from its path or its bytes. A line that cannot be read raises its
// message with the file and the line: "<file>", line 3 '[%': RootKey not Open.
void LoadSettingsDocument(TDVIniFile& ini, const std::filesystem::path& path);
void LoadSettingsBytes(TDVIniFile& ini, std::string_view bytes, std::string_view fileName);

// What the reading steps found: the language pack's name (empty for none) and what could not be read.
struct TSettingsRead {
  std::string PackName;
  // The error of the first entry that could not be read, if any.
  std::exception_ptr FirstFailure;
  // Every entry that could not be read, in reading order, as one error: one line per entry, each naming
  // the file, the entry and its value. Empty when every entry was read; the same as FirstFailure when
  // the file itself was the trouble (no block, a NUL byte).
  std::exception_ptr Failures;
  // Raises the first entry's error again; nothing when every entry was read.
  void RaiseFirstFailure() const;
  // Raises the error of every entry that could not be read; nothing when every entry was read.
  void RaiseFailures() const;
  // Their messages; empty when every entry was read.
  [[nodiscard]] std::string FirstFailureMessage() const;
  [[nodiscard]] std::string FailuresMessage() const;
  // The same by key (dvError.h), for a window that says them in its language.
  [[nodiscard]] TMessageText FailuresText() const;
};

// The reading steps on a loaded document with QuotedStrings set: the keys of the first block of
// "Option" into the entries, one per field of the job's table. An entry that cannot be read leaves its
// field as it was and the reading goes on with the next one; its message names the file and the entry:
//   "<file>", entry "Knit": 'abc' is not a valid floating point value
// and the messages of all such entries are kept together, a line each, so that one box names them all.
// A NUL byte that ended the file's text is the failure reported, since the entries after it are missing.
[[nodiscard]] TSettingsRead ReadSettings(TDVIniFile& ini, TJobEntries& entries, std::string_view fileName);

// The writing steps: the keys of the job's table into the open block, in their order, each by its rule.
void WriteSettings(TDVIniFile& ini, const TJobEntries& entries);
