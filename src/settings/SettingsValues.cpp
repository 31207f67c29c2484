#include "settings/SettingsValues.h"

#include "dvTools/Utf8Path.h"
#include "settings/Settings.h"

void ReadSettingsFile(const std::filesystem::path& path, TJobEntries& entries, char decimalSeparator) {
  TDVIniFile ini;
  ini.SetDecimalSeparator(decimalSeparator);
  LoadSettingsDocument(ini, path);
  ini.SetQuotedStrings(true);
  ReadSettings(ini, entries, Utf8FromPath(path)).RaiseFailures();
}
