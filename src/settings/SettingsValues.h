#pragma once
// The entries of a settings file without a window, for the command-line tool: the same keys, the same
// defaults (the window's initial values) and the same errors as the window's start.

#include <cstdint>
#include <filesystem>
#include <string>

#include "dvTools/dvIniTools.h"
#include "settings/SettingsWindow.h"

struct TSettingsValues {
  double Length = 150;  // edtXPos, the X extent
  double Width = 200;   // edtYPos, the Y extent
  double Knit = 6;
  double Cross = 0.5;
  double ZPos = 1;
  double ZUp = 2;
  std::int32_t Layer = 1;
  std::int32_t Speed = 5000;
  std::int32_t Fro = 120;
  bool ClearEnd = true;
  std::int32_t Mode = 1;  // 1 spiral, 2 along X, 3 along Y
  bool FinishCentre = false;
  int Dialect = 0;   // kDialectIso
  int Coolant = -1;  // kCoolantDefault
  double Dwell = 0;
};

// Reads the entries of the settings file at `path` into `values`; keys that are missing keep their
// value. A missing file is an error here ("Ini file:<path> not found."): it was asked for by name. The
// language pack that the file may name is not loaded.
void ReadSettingsFile(const std::filesystem::path& path, TSettingsValues& values,
                      char decimalSeparator = DefaultDecimalSeparator());

// A window made of the values alone: spin edits, the box and the strategy buttons by their component
// names; it has no pages, components or font.
class TSettingsValuesWindow : public ISettingsWindow {
 public:
  explicit TSettingsValuesWindow(TSettingsValues& values) : values_(values) {}

  void SetSpinValue(std::string_view name, double value) override;
  void SetSpinIntValue(std::string_view name, std::int32_t value) override;
  [[nodiscard]] double SpinValue(std::string_view name) const override;
  [[nodiscard]] std::int32_t SpinIntValue(std::string_view name) const override;
  void SetClearEnd(bool ticked) override { values_.ClearEnd = ticked; }
  [[nodiscard]] bool ClearEnd() const override { return values_.ClearEnd; }
  void SetFinishCentre(bool on) override { values_.FinishCentre = on; }
  [[nodiscard]] bool FinishCentre() const override { return values_.FinishCentre; }
  void SetOutputChoices(int dialect, int coolant, double dwell) override {
    values_.Dialect = dialect;
    values_.Coolant = coolant;
    values_.Dwell = dwell;
  }
  void OutputChoices(int& dialect, int& coolant, double& dwell) const override {
    dialect = values_.Dialect;
    coolant = values_.Coolant;
    dwell = values_.Dwell;
  }
  void SelectRadio(std::string_view name) override;
  [[nodiscard]] bool RadioSelected(std::string_view name) const override;
  [[nodiscard]] int PageCount() const override { return 0; }
  void SetPageCaption(int, const QString&) override {}
  void SetCaption(std::string_view, const QString&) override {}
  void VisitComponents(const std::function<void(const TComponentInfo&)>&) const override {}
  void SetFontName(const QString&) override {}
  void SetFontCharset(int) override {}

 private:
  double* Float(std::string_view name) const;
  std::int32_t* Integer(std::string_view name) const;
  TSettingsValues& values_;
};
