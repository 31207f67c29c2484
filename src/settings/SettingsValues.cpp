#include "settings/SettingsValues.h"

#include <stdexcept>

#include "settings/Settings.h"

void ReadSettingsFile(const std::filesystem::path& path, TSettingsValues& values, char decimalSeparator) {
  TDVIniFile ini;
  ini.SetDecimalSeparator(decimalSeparator);
  ini.LoadFromFile(path);
  ini.SetQuotedStrings(true);
  TSettingsValuesWindow window(values);
  ReadSettings(ini, window).RaiseFirstFailure();
}

double* TSettingsValuesWindow::Float(std::string_view name) const {
  if (name == "edtXPos") return &values_.Length;
  if (name == "edtYPos") return &values_.Width;
  if (name == "edtKnit") return &values_.Knit;
  if (name == "edtCross") return &values_.Cross;
  if (name == "edtZPos") return &values_.ZPos;
  if (name == "edtZUp") return &values_.ZUp;
  return nullptr;
}

std::int32_t* TSettingsValuesWindow::Integer(std::string_view name) const {
  if (name == "edtLayer") return &values_.Layer;
  if (name == "edtSpeed") return &values_.Speed;
  if (name == "edtFro") return &values_.Fro;
  return nullptr;
}

void TSettingsValuesWindow::SetSpinValue(std::string_view name, double value) {
  double* field = Float(name);
  if (!field) throw std::logic_error("no floating-point entry " + std::string(name));
  *field = value;
}

void TSettingsValuesWindow::SetSpinIntValue(std::string_view name, std::int32_t value) {
  std::int32_t* field = Integer(name);
  if (!field) throw std::logic_error("no integer entry " + std::string(name));
  *field = value;
}

double TSettingsValuesWindow::SpinValue(std::string_view name) const {
  const double* field = Float(name);
  if (!field) throw std::logic_error("no floating-point entry " + std::string(name));
  return *field;
}

std::int32_t TSettingsValuesWindow::SpinIntValue(std::string_view name) const {
  const std::int32_t* field = Integer(name);
  if (!field) throw std::logic_error("no integer entry " + std::string(name));
  return *field;
}

void TSettingsValuesWindow::SelectRadio(std::string_view name) {
  if (name == "opnDelta")
    values_.Mode = 1;
  else if (name == "opnXArrow")
    values_.Mode = 2;
  else if (name == "opnYArrow")
    values_.Mode = 3;
}

bool TSettingsValuesWindow::RadioSelected(std::string_view name) const {
  if (name == "opnDelta") return values_.Mode != 2 && values_.Mode != 3;
  if (name == "opnXArrow") return values_.Mode == 2;
  if (name == "opnYArrow") return values_.Mode == 3;
  return false;
}
