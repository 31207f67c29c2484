#include "settings/Settings.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <system_error>

#include "dvTools/dvError.h"
#include "settings/LanguagePack.h"
#include "toolpath/FacingJob.h"

namespace fs = std::filesystem;

namespace {

struct TKeyControl {
  const char* key;
  const char* control;
};

// "Length" is the X extent and "Width" the Y extent, whatever the captions beside the fields say:
// every stored file relies on this crossing.
constexpr TKeyControl kFloatKeys[] = {{"Length", "edtXPos"}, {"Width", "edtYPos"}, {"Knit", "edtKnit"},
                                      {"Cross", "edtCross"}, {"ZPos", "edtZPos"},  {"ZUp", "edtZUp"}};
constexpr TKeyControl kIntegerKeys[] = {{"Layer", "edtLayer"}, {"Speed", "edtSpeed"}, {"Fro", "edtFro"}};

constexpr const char* kOptionKey = "Option";
constexpr const char* kClearEndKey = "ClearEnd";
constexpr const char* kModeKey = "Mode";
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
  throw EDVError("'" + value + "' is not a valid " + what);
}

// The strategy buttons in the order of their Mode numbers 1, 2, 3.
constexpr const char* kStrategyButtons[] = {"opnDelta", "opnXArrow", "opnYArrow"};

// A value that is not a finite number would reach the job as one: "nan" and "inf" are refused like any
// other text that is no number.
double ReadFiniteFloat(TDVIniFile& ini, const char* key) {
  const double value = ini.ReadFloat(key);
  if (!std::isfinite(value))
    throw EDVError("'" + ini.ReadRawString(key) + "' is not a valid floating point value");
  return value;
}

}  // namespace

fs::path BesideExecutable(const std::string& exeFolder, std::string_view name) {
  std::string path = exeFolder;
  if (path.empty() || path.back() != '/') path += '/';
  std::string tail(name);
  std::replace(tail.begin(), tail.end(), '\\', '/');
  return fs::path(path + tail);
}

TSettingsRead ReadSettings(TDVIniFile& ini, ISettingsWindow& window) {
  ini.OpenRootKey(kOptionKey);
  ini.OpenSubKey();
  // One bad entry costs only its own control. Stopping at it would leave the later controls at their
  // design values, and the exit would then store those over the user's good entries.
  TSettingsRead read;
  const auto entry = [&read](const auto& step) {
    try {
      step();
    } catch (const EDVError&) {
      if (!read.FirstFailure) read.FirstFailure = std::current_exception();
    }
  };
  for (const auto& k : kFloatKeys)
    entry([&] {
      if (ini.ValueExists(k.key)) window.SetSpinValue(k.control, ReadFiniteFloat(ini, k.key));
    });
  for (const auto& k : kIntegerKeys)
    entry([&] {
      if (ini.ValueExists(k.key)) window.SetSpinIntValue(k.control, ini.ReadInteger(k.key));
    });
  std::int32_t mode = 1;
  entry([&] {
    if (ini.ValueExists(kModeKey)) mode = ini.ReadInteger(kModeKey);
  });
  entry([&] {
    if (ini.ValueExists(kClearEndKey)) window.SetClearEnd(ini.ReadBool(kClearEndKey));
  });
  entry([&] {
    if (ini.ValueExists(kFinishCentreKey)) window.SetFinishCentre(ini.ReadBool(kFinishCentreKey));
  });
  int dialect = 0, coolant = -1;
  double dwell = 0;
  window.OutputChoices(dialect, coolant, dwell);
  entry([&] {
    if (ini.ValueExists(kDialectKey))
      dialect = NameIndex(kDialectNames, ini.ReadString(kDialectKey), "dialect");
  });
  entry([&] {
    if (ini.ValueExists(kCoolantKey))
      coolant = NameIndex(kCoolantNames, ini.ReadString(kCoolantKey), "coolant");
  });
  entry([&] {
    if (!ini.ValueExists(kDwellKey)) return;
    const double value = ReadFiniteFloat(ini, kDwellKey);
    if (!(value >= 0 && value <= 3600))
      throw EDVError("'" + ini.ReadRawString(kDwellKey) + "' is not a valid dwell");
    dwell = value;
  });
  window.SetOutputChoices(dialect, coolant, dwell);
  entry([&] {
    if (ini.ValueExists(kLangKey)) read.PackName = ini.ReadString(kLangKey);
  });
  // The strategy is chosen only once every key has been read; any number but 2 and 3 means spiral.
  window.SelectRadio(mode == 2 || mode == 3 ? kStrategyButtons[mode - 1] : kStrategyButtons[0]);
  return read;
}

void TSettingsRead::RaiseFirstFailure() const {
  if (FirstFailure) std::rethrow_exception(FirstFailure);
}

void WriteSettings(TDVIniFile& ini, const ISettingsWindow& window) {
  for (const auto& k : kFloatKeys) ini.WriteFloat(k.key, window.SpinValue(k.control));
  for (const auto& k : kIntegerKeys) ini.WriteInteger(k.key, window.SpinIntValue(k.control));
  ini.WriteBool(kClearEndKey, window.ClearEnd());
  for (int mode = 1; mode <= 3; ++mode)
    if (window.RadioSelected(kStrategyButtons[mode - 1])) ini.WriteInteger(kModeKey, mode);
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

void LoadSettings(ISettingsWindow& window, const TSettingsPlace& place) {
  const fs::path path = BesideExecutable(place.ExeFolder, kSettingsFileName);
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  TDVIniFile ini;
  ini.SetDecimalSeparator(place.DecimalSeparator);
  ini.LoadFromFile(path);
  ini.SetQuotedStrings(true);
  const TSettingsRead read = ReadSettings(ini, window);
  // The pack is applied even after a bad entry; the entry's error is reported once the pack is in.
  if (!read.PackName.empty()) LoadLanguagePack(ini, window, BesideExecutable(place.ExeFolder, read.PackName));
  read.RaiseFirstFailure();
}

void SaveSettings(const ISettingsWindow& window, const TSettingsPlace& place) {
  const fs::path path = BesideExecutable(place.ExeFolder, kSettingsFileName);
  TDVIniFile ini;
  ini.SetDecimalSeparator(place.DecimalSeparator);
  std::error_code ec;
  if (fs::exists(path, ec)) {
    ini.LoadFromFile(path);
    ini.SetQuotedStrings(true);
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
