#include "settings/Settings.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>

#include "dvTools/EscapedText.h"
#include "dvTools/Utf8Path.h"
#include "dvTools/dvError.h"
#include "dvTools/dvStrTools.h"
#include "settings/SettingsValues.h"
#include "toolpath/FacingJob.h"
#include "toolpath/JobFields.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOptionKey = "Option";
constexpr const char* kLangKey = "Lang";
// Written only once the centre pass was chosen, so files of users who never did stay as they were.
constexpr const char* kFinishCentreKey = "FinishCentre";

// The controller's choices: written after the other entries and only once they differ from the defaults,
// so files of users who never chose stay as they were. The names are the command-line tool's words.
constexpr const char* kDialectKey = "Dialect";
constexpr const char* kCoolantKey = "Coolant";
constexpr const char* kDwellKey = "Dwell";
constexpr std::string_view kDialectNames[] = {"iso", "grbl"};           // kDialectIso, kDialectGrbl
constexpr std::string_view kCoolantNames[] = {"off", "mist", "flood"};  // kCoolantOff, Mist, Flood

template <std::size_t N>
int NameIndex(const std::string_view (&names)[N], const std::string& value, const char* what) {
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == value) return static_cast<int>(i);
  throw EDVError("'" + EscapeControlBytes(value) + "' is not a valid " + what);
}

// A value that is not a finite number would reach the job as one: "nan" and "inf" are refused like any
// other text that is no number.
double ReadFiniteFloat(TDVIniFile& ini, const char* key) {
  const double value = ini.ReadFloat(key);
  if (!std::isfinite(value))
    throw EDVError("'" + EscapeControlBytes(ini.ReadRawString(key)) +
                   "' is not a valid floating point value");
  return value;
}

// Every message about a settings file begins with its name; control bytes of the name, of a line and of
// a value are escaped.
EDVError FileError(std::string_view fileName, std::string_view detail) {
  return EDVError(EscapeControlBytes("\"" + std::string(fileName) + "\", " + std::string(detail)));
}

std::string LineDetail(const TIniLoadStop& stop, std::string_view reason) {
  std::string text = stop.Text;
  if (text.size() >= kLoadStopTextBytes) text += "...";
  return "line " + std::to_string(stop.Line) + " '" + text + "': " + std::string(reason);
}

// Runs a load of `ini`; a line it could not read is named with the file.
template <class TLoad>
void LoadNamed(TDVIniFile& ini, std::string_view fileName, TLoad load) {
  try {
    load();
  } catch (const EDVError& error) {
    const TIniLoadStop& stop = ini.LoadStop();
    if (stop.Line == 0 || stop.AtNul) throw;  // the file itself: its message names it already
    throw FileError(fileName, LineDetail(stop, error.what()));
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

TSettingsRead ReadSettings(TDVIniFile& ini, ISettingsValues& window, std::string_view fileName) {
  ini.OpenRootKey(kOptionKey);
  ini.OpenSubKey();
  // One bad entry costs only its own control. Stopping at it would leave the later controls at their
  // design values, and the exit would then store those over the user's good entries.
  TSettingsRead read;
  const auto entry = [&](std::string_view key, const auto& step) {
    try {
      step();
    } catch (const EDVError& error) {
      if (read.FirstFailure) return;
      // Without the block no entry is read at all: that message is about the file, not about an entry.
      read.FirstFailure = ini.IsSubKeyOpen()
                              ? std::make_exception_ptr(FileError(
                                    fileName, "entry \"" + std::string(key) + "\": " + error.what()))
                              : std::current_exception();
    }
  };
  for (const TNumberField& f : kNumberFields)
    entry(f.Key, [&] {
      if (!ini.ValueExists(f.Key)) return;
      if (f.Kind == TFieldKind::fkFloat)
        window.SetSpinValue(f.Control, ReadFiniteFloat(ini, f.Key));
      else
        window.SetSpinIntValue(f.Control, ini.ReadInteger(f.Key));
    });
  std::int32_t mode = 1;
  entry(kModeKey, [&] {
    if (ini.ValueExists(kModeKey)) mode = ini.ReadInteger(kModeKey);
  });
  entry(kClearEndKey, [&] {
    if (ini.ValueExists(kClearEndKey)) window.SetClearEnd(ini.ReadBool(kClearEndKey));
  });
  entry(kFinishCentreKey, [&] {
    if (ini.ValueExists(kFinishCentreKey)) window.SetFinishCentre(ini.ReadBool(kFinishCentreKey));
  });
  int dialect = 0, coolant = -1;
  double dwell = 0;
  window.OutputChoices(dialect, coolant, dwell);
  entry(kDialectKey, [&] {
    if (ini.ValueExists(kDialectKey))
      dialect = NameIndex(kDialectNames, ini.ReadString(kDialectKey), "dialect");
  });
  entry(kCoolantKey, [&] {
    if (ini.ValueExists(kCoolantKey))
      coolant = NameIndex(kCoolantNames, ini.ReadString(kCoolantKey), "coolant");
  });
  entry(kDwellKey, [&] {
    if (!ini.ValueExists(kDwellKey)) return;
    const double value = ReadFiniteFloat(ini, kDwellKey);
    if (!(value >= 0 && value <= 3600))
      throw EDVError("'" + EscapeControlBytes(ini.ReadRawString(kDwellKey)) + "' is not a valid dwell");
    dwell = value;
  });
  window.SetOutputChoices(dialect, coolant, dwell);
  entry(kLangKey, [&] {
    if (ini.ValueExists(kLangKey)) read.PackName = ini.ReadString(kLangKey);
  });
  // The strategy is chosen only once every key has been read; any number but 2 and 3 means spiral.
  window.SelectRadio(StrategyOfMode(mode).Button);
  // The entries after a NUL byte were never read: that, not one of the entries, is what to report.
  if (const TIniLoadStop& stop = ini.LoadStop(); stop.AtNul)
    read.FirstFailure = std::make_exception_ptr(
        FileError(fileName, LineDetail(stop, "a NUL byte ends the text here; nothing after it is read")));
  return read;
}

void TSettingsRead::RaiseFirstFailure() const {
  if (FirstFailure) std::rethrow_exception(FirstFailure);
}

std::string TSettingsRead::FirstFailureMessage() const {
  try {
    RaiseFirstFailure();
  } catch (const std::exception& error) {
    return error.what();
  }
  return {};
}

void WriteSettings(TDVIniFile& ini, const ISettingsValues& window) {
  for (const TNumberField& f : kNumberFields) {
    if (f.Kind == TFieldKind::fkFloat)
      ini.WriteFloat(f.Key, window.SpinValue(f.Control));
    else
      ini.WriteInteger(f.Key, window.SpinIntValue(f.Control));
  }
  ini.WriteBool(kClearEndKey, window.ClearEnd());
  for (const TStrategy& s : kStrategies)
    if (window.RadioSelected(s.Button)) ini.WriteInteger(kModeKey, s.Mode);
  if (window.FinishCentre() || ini.ValueExists(kFinishCentreKey))
    ini.WriteBool(kFinishCentreKey, window.FinishCentre());
  int dialect = 0, coolant = -1;
  double dwell = 0;
  window.OutputChoices(dialect, coolant, dwell);
  if (dialect != kDialectGrbl) dialect = kDialectIso;
  if (dialect != kDialectIso || ini.ValueExists(kDialectKey))
    ini.WriteString(kDialectKey, kDialectNames[dialect]);
  const int ownCoolant = DefaultCoolant(dialect);
  if (coolant < kCoolantOff || coolant > kCoolantFlood) coolant = ownCoolant;
  if (coolant != ownCoolant || ini.ValueExists(kCoolantKey))
    ini.WriteString(kCoolantKey, kCoolantNames[coolant]);
  if (dwell != 0 || ini.ValueExists(kDwellKey)) ini.WriteFloat(kDwellKey, dwell);
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

void SaveSettings(const ISettingsValues& window, const TSettingsPlace& place) {
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
    TJobEntriesValues probeValues(probe);
    const TSettingsRead read = ReadSettings(ini, probeValues, Utf8FromPath(path));
    if (read.FirstFailure && (ini.IsSubKeyOpen() || ini.LoadStop().AtNul))
      throw EDVError(read.FirstFailureMessage() +
                     "; the file was kept unchanged and the window's entries were not saved");
    ini.OpenRootKey(kOptionKey);
    ini.OpenSubKey();
  } else {
    ini.SetQuotedStrings(true);
    ini.OpenRootKey(kOptionKey);
    ini.AddSubKey();
  }
  WriteSettings(ini, window);
  ini.SaveToFile(path);
}
