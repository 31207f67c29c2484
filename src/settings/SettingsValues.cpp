#include "settings/SettingsValues.h"

#include <stdexcept>

#include "dvTools/Utf8Path.h"

#include "settings/Settings.h"
#include "toolpath/JobFields.h"

namespace {

const TNumberField& Field(std::string_view control, TFieldKind kind) {
  const TNumberField* field = FieldByControl(control);
  if (!field || field->Kind != kind) throw std::logic_error("no such entry " + std::string(control));
  return *field;
}

}  // namespace

void ReadSettingsFile(const std::filesystem::path& path, TJobEntries& entries, char decimalSeparator) {
  TDVIniFile ini;
  ini.SetDecimalSeparator(decimalSeparator);
  LoadSettingsDocument(ini, path);
  ini.SetQuotedStrings(true);
  TJobEntriesValues window(entries);
  ReadSettings(ini, window, Utf8FromPath(path)).RaiseFirstFailure();
}

void TJobEntriesValues::SetSpinValue(std::string_view name, double value) {
  Field(name, TFieldKind::fkFloat).Set(entries_, value);
}

void TJobEntriesValues::SetSpinIntValue(std::string_view name, std::int32_t value) {
  Field(name, TFieldKind::fkInteger).Set(entries_, value);
}

double TJobEntriesValues::SpinValue(std::string_view name) const {
  return Field(name, TFieldKind::fkFloat).Get(entries_);
}

std::int32_t TJobEntriesValues::SpinIntValue(std::string_view name) const {
  return static_cast<std::int32_t>(Field(name, TFieldKind::fkInteger).Get(entries_));
}

void TJobEntriesValues::SelectRadio(std::string_view name) {
  for (const TStrategy& s : kStrategies)
    if (name == s.Button) entries_.Mode = s.Mode;
}

bool TJobEntriesValues::RadioSelected(std::string_view name) const {
  return name == StrategyOfMode(entries_.Mode).Button;
}
