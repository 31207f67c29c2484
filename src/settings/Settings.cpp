#include "settings/Settings.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>

#include "dvTools/EscapedText.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/dvError.h"
#include "dvTools/dvStrTools.h"
#include "toolpath/FacingJob.h"
#include "toolpath/JobFields.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOptionKey = "Option";
constexpr const char* kLangKey = "Lang";

// A value that is not a finite number would reach the job as one: "nan" and "inf" are refused like any
// other text that is no number.
double ReadFiniteFloat(TDVIniFile& ini, const char* key) {
  const double value = ini.ReadFloat(key);
  if (!std::isfinite(value)) {
    throw EDVError(MessageOf("NotANumber", "'%1' is not a valid floating point value",
                             {MessageValue(EscapeControlBytes(ini.ReadRawString(key)))}));
  }
  return value;
}

// Text from the file in a message, its control bytes escaped.
TMessageText Quoted(std::string_view text) {
  return MessageValue(EscapeControlBytes(text));
}

// Every message about a settings file begins with its name; control bytes of the name, of a line and of
// a value are escaped.
EDVError FileError(std::string_view fileName, TMessageText detail) {
  return EDVError(MessageOf("SettingsFileError", "\"%1\", %2", {Quoted(fileName), std::move(detail)}));
}

TMessageText LineDetail(const TIniLoadStop& stop, TMessageText reason) {
  std::string text = stop.Text;
  if (text.size() >= kLoadStopTextBytes) text += "...";
  return MessageOf("SettingsLineError", "line %1 '%2': %3",
                   {MessageValue(std::to_string(stop.Line)), Quoted(text), std::move(reason)});
}

// Runs a load of `ini`; a line it could not read is named with the file.
template <class TLoad>
void LoadNamed(TDVIniFile& ini, std::string_view fileName, TLoad load) {
  try {
    load();
  } catch (const EDVError& error) {
    const TIniLoadStop& stop = ini.LoadStop();
    if (stop.Line == 0 || stop.AtNul) throw;  // the file itself: its message names it already
    throw FileError(fileName, LineDetail(stop, error.Text()));
  }
}

}  // namespace

void LoadSettingsDocument(TDVIniFile& ini, const fs::path& path) {
  LoadNamed(ini, Utf8FromPath(path), [&] { ini.LoadFromFile(path); });
}

void LoadSettingsBytes(TDVIniFile& ini, std::string_view bytes, std::string_view fileName) {
  LoadNamed(ini, fileName, [&] { ini.LoadFromBytes(bytes); });
}

fs::path BesideExecutable(const std::string& exeFolder, std::string_view name) {
  std::string path = exeFolder;
  if (path.empty() || path.back() != '/') path += '/';
  std::string tail(name);
  std::replace(tail.begin(), tail.end(), '\\', '/');
  return fs::path(path + tail);
}

TSettingsRead ReadSettings(TDVIniFile& ini, TJobEntries& entries, std::string_view fileName) {
  ini.OpenRootKey(kOptionKey);
  ini.OpenSubKey();
  // One bad entry costs only its own field. Stopping at it would leave the later fields at their design
  // values, and the exit would then store those over the user's good entries.
  TSettingsRead read;
  TMessageText failures;  // every entry that could not be read, a line each
  const auto entry = [&](std::string_view key, const auto& step) {
    try {
      step();
    } catch (const EDVError& error) {
      // Without the block no entry is read at all: that message is about the file, not about an entry.
      if (!ini.IsSubKeyOpen()) {
        if (!read.FirstFailure) read.FirstFailure = read.Failures = std::current_exception();
        return;
      }
      const EDVError named = FileError(
          fileName, MessageOf("SettingsEntryError", "entry \"%1\": %2", {Quoted(key), error.Text()}));
      if (!read.FirstFailure) read.FirstFailure = std::make_exception_ptr(named);
      // Two at a time: a pattern has nine places at most.
      failures = failures.Pattern.empty() ? named.Text() : MessageOf({}, "%1\n%2", {failures, named.Text()});
    }
  };
  for (const TJobField& f : kJobFields) {
    if (!f.Key) continue;
    entry(f.Key, [&] {
      // The strategy is the file's: without its number (or with one it cannot read) it is the spiral.
      if (f.StoredAsNumber) f.Set(entries, f.Words[0].Value);
      if (!ini.ValueExists(f.Key)) return;
      const auto invalid = [&] {
        return EDVError(MessageOf("NotAValid", "'%1' is not a valid %2",
                                  {Quoted(ini.ReadRawString(f.Key)), EntryName(f)}));
      };
      switch (f.Kind) {
        case TFieldKind::fkFloat: {
          const double value = ReadFiniteFloat(ini, f.Key);
          if (!(value >= f.Min && value <= f.Max)) throw invalid();
          f.Set(entries, value);
          break;
        }
        case TFieldKind::fkInteger:
          f.Set(entries, ini.ReadInteger(f.Key));
          break;
        case TFieldKind::fkBool:
          f.Set(entries, ini.ReadBool(f.Key));
          break;
        case TFieldKind::fkChoice:
          if (f.StoredAsNumber) {
            // Any number but those of the other choices means the first (the strategy: spiral).
            const std::int32_t value = ini.ReadInteger(f.Key);
            f.Set(entries, f.WordOf(value) ? value : f.Words[0].Value);
          } else {
            const auto value = f.ValueOf(ini.ReadString(f.Key));
            if (!value) throw invalid();
            f.Set(entries, *value);
          }
          break;
      }
    });
  }
  entry(kLangKey, [&] {
    if (ini.ValueExists(kLangKey)) read.PackName = ini.ReadString(kLangKey);
  });
  // The entries after a NUL byte were never read: that, not one of the entries, is what to report.
  if (const TIniLoadStop& stop = ini.LoadStop(); stop.AtNul) {
    read.FirstFailure = read.Failures = std::make_exception_ptr(FileError(
        fileName, LineDetail(stop, MessageOf("SettingsNulByte",
                                             "a NUL byte ends the text here; nothing after it is read"))));
  } else if (!failures.Pattern.empty()) {
    read.Failures = std::make_exception_ptr(EDVError(failures));
  }
  return read;
}

void TSettingsRead::RaiseFirstFailure() const {
  if (FirstFailure) std::rethrow_exception(FirstFailure);
}

void TSettingsRead::RaiseFailures() const {
  if (Failures) std::rethrow_exception(Failures);
}

namespace {

std::string FailureMessage(const std::exception_ptr& failure) {
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const std::exception& error) {
    return error.what();
  }
  return {};
}

}  // namespace

std::string TSettingsRead::FirstFailureMessage() const {
  return FailureMessage(FirstFailure);
}

std::string TSettingsRead::FailuresMessage() const {
  return FailureMessage(Failures);
}

TMessageText TSettingsRead::FailuresText() const {
  try {
    if (Failures) std::rethrow_exception(Failures);
  } catch (const EDVError& error) {
    return error.Text();
  } catch (const std::exception& error) {
    return MessageValue(error.what());
  }
  return {};
}

void WriteSettings(TDVIniFile& ini, const TJobEntries& entries) {
  for (const TJobField& f : kJobFields) {
    if (!f.Key) continue;
    double value = f.Get(entries);
    const double untouched = f.DefaultFor(entries);
    // A choice without a word is written as what it means: the first choice, or the dialect's own.
    if (f.Kind == TFieldKind::fkChoice && !f.WordOf(static_cast<int>(value)))
      value = f.DialectDefault ? untouched : f.Words[0].Value;
    if (f.Write == TWriteRule::wrOnceChanged && value == untouched && !ini.ValueExists(f.Key)) continue;
    switch (f.Kind) {
      case TFieldKind::fkFloat:
        ini.WriteFloat(f.Key, value);
        break;
      case TFieldKind::fkInteger:
        ini.WriteInteger(f.Key, static_cast<std::int32_t>(value));
        break;
      case TFieldKind::fkBool:
        ini.WriteBool(f.Key, value != 0);
        break;
      case TFieldKind::fkChoice:
        if (f.StoredAsNumber)
          ini.WriteInteger(f.Key, static_cast<std::int32_t>(value));
        else
          ini.WriteString(f.Key, f.WordOf(static_cast<int>(value)));
        break;
    }
  }
}

const std::string& SettingsFolderOf(const TSettingsPlace& place) {
  return place.SettingsFolder.empty() ? place.ExeFolder : place.SettingsFolder;
}

fs::path LanguagePackFile(const TSettingsPlace& place, std::string_view name) {
  fs::path first = BesideExecutable(place.ExeFolder, name);
  std::error_code ec;
  if (place.InstalledDataFolder.empty() || fs::exists(first, ec)) return first;
  fs::path installed = BesideExecutable(place.InstalledDataFolder, name);
  return fs::exists(installed, ec) ? installed : first;
}

void SaveSettings(const TJobEntries& entries, const TSettingsPlace& place) {
  const fs::path path = BesideExecutable(SettingsFolderOf(place), kSettingsFileName);
  TDVIniFile ini;
  ini.SetDecimalSeparator(place.DecimalSeparator);
  std::error_code ec;
  // The user's folder is made on the first exit, private to the user; a folder that cannot be made is
  // reported by the save.
  if (!place.SettingsFolder.empty() && !fs::exists(path.parent_path(), ec) &&
      fs::create_directories(path.parent_path(), ec))
    fs::permissions(path.parent_path(), fs::perms::owner_all, fs::perm_options::replace, ec);
  if (fs::exists(path, ec)) {
    LoadSettingsDocument(ini, path);
    ini.SetQuotedStrings(true);
    // The file is read as the start reads it. A file without the block is refused by the first write below,
    // as it always was; any other failure keeps the file as it is.
    TJobEntries probe;
    const TSettingsRead read = ReadSettings(ini, probe, Utf8FromPath(path));
    if (read.FirstFailure && (ini.IsSubKeyOpen() || ini.LoadStop().AtNul)) {
      throw EDVError(MessageOf("SettingsKeptUnchanged",
                               "%1; the file was kept unchanged and the window's entries were not saved",
                               {read.FailuresText()}));
    }
    ini.OpenRootKey(kOptionKey);
    ini.OpenSubKey();
  } else {
    ini.SetQuotedStrings(true);
    ini.OpenRootKey(kOptionKey);
    ini.AddSubKey();
  }
  WriteSettings(ini, entries);
  ini.SaveToFile(path);
}
