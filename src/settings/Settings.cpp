#include "settings/Settings.h"

#include <algorithm>
#include <system_error>

#include "settings/LanguagePack.h"

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

// The strategy buttons in the order of their Mode numbers 1, 2, 3.
constexpr const char* kStrategyButtons[] = {"opnDelta", "opnXArrow", "opnYArrow"};

}  // namespace

fs::path BesideExecutable(const std::string& exeFolder, std::string_view name) {
  std::string path = exeFolder;
  if (path.empty() || path.back() != '/') path += '/';
  std::string tail(name);
  std::replace(tail.begin(), tail.end(), '\\', '/');
  return fs::path(path + tail);
}

std::string ReadSettings(TDVIniFile& ini, ISettingsWindow& window) {
  ini.OpenRootKey(kOptionKey);
  ini.OpenSubKey();
  for (const auto& k : kFloatKeys)
    if (ini.ValueExists(k.key)) window.SetSpinValue(k.control, ini.ReadFloat(k.key));
  for (const auto& k : kIntegerKeys)
    if (ini.ValueExists(k.key)) window.SetSpinIntValue(k.control, ini.ReadInteger(k.key));
  std::int32_t mode = 1;
  if (ini.ValueExists(kModeKey)) mode = ini.ReadInteger(kModeKey);
  if (ini.ValueExists(kClearEndKey)) window.SetClearEnd(ini.ReadBool(kClearEndKey));
  if (ini.ValueExists(kFinishCentreKey)) window.SetFinishCentre(ini.ReadBool(kFinishCentreKey));
  std::string packName;
  if (ini.ValueExists(kLangKey)) packName = ini.ReadString(kLangKey);
  // The strategy is chosen only once every key has been read; any number but 2 and 3 means spiral.
  window.SelectRadio(mode == 2 || mode == 3 ? kStrategyButtons[mode - 1] : kStrategyButtons[0]);
  return packName;
}

void WriteSettings(TDVIniFile& ini, const ISettingsWindow& window) {
  for (const auto& k : kFloatKeys) ini.WriteFloat(k.key, window.SpinValue(k.control));
  for (const auto& k : kIntegerKeys) ini.WriteInteger(k.key, window.SpinIntValue(k.control));
  ini.WriteBool(kClearEndKey, window.ClearEnd());
  for (int mode = 1; mode <= 3; ++mode)
    if (window.RadioSelected(kStrategyButtons[mode - 1])) ini.WriteInteger(kModeKey, mode);
  if (window.FinishCentre() || ini.ValueExists(kFinishCentreKey))
    ini.WriteBool(kFinishCentreKey, window.FinishCentre());
}

void LoadSettings(ISettingsWindow& window, const TSettingsPlace& place) {
  const fs::path path = BesideExecutable(place.ExeFolder, kSettingsFileName);
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  TDVIniFile ini;
  ini.SetDecimalSeparator(place.DecimalSeparator);
  ini.LoadFromFile(path);
  ini.SetQuotedStrings(true);
  const std::string packName = ReadSettings(ini, window);
  if (!packName.empty()) LoadLanguagePack(ini, window, place.ExeFolder, packName);
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
