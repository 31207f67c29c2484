#pragma once
// The entries of a settings file without a window, for the command-line tool: the same keys, the same
// defaults (the window's initial values, those of TJobEntries) and the same errors as the window's start.

#include <cstdint>
#include <filesystem>
#include <string>

#include "dvTools/dvIniTools.h"
#include "settings/SettingsEntries.h"
#include "toolpath/FacingJob.h"

// Reads the entries of the settings file at `path` into `entries`; keys that are missing keep their
// value. A missing file is an error here ("Ini file:<path> not found."): it was asked for by name. The
// language pack that the file may name is not loaded.
void ReadSettingsFile(const std::filesystem::path& path, TJobEntries& entries,
                      char decimalSeparator = DefaultDecimalSeparator());

// The settings values of a job's entries alone: spin edits, the box and the strategy buttons by their
// component names, as the job's field table names them.
class TJobEntriesValues : public ISettingsValues {
 public:
  explicit TJobEntriesValues(TJobEntries& entries) : entries_(entries) {}

  void SetSpinValue(std::string_view name, double value) override;
  void SetSpinIntValue(std::string_view name, std::int32_t value) override;
  [[nodiscard]] double SpinValue(std::string_view name) const override;
  [[nodiscard]] std::int32_t SpinIntValue(std::string_view name) const override;
  void SetClearEnd(bool ticked) override { entries_.ClearEnd = ticked; }
  [[nodiscard]] bool ClearEnd() const override { return entries_.ClearEnd; }
  void SetFinishCentre(bool on) override { entries_.FinishCentre = on; }
  [[nodiscard]] bool FinishCentre() const override { return entries_.FinishCentre; }
  void SetOutputChoices(int dialect, int coolant, double dwell) override {
    entries_.Dialect = dialect;
    entries_.Coolant = coolant;
    entries_.Dwell = dwell;
  }
  void OutputChoices(int& dialect, int& coolant, double& dwell) const override {
    dialect = entries_.Dialect;
    coolant = entries_.Coolant;
    dwell = entries_.Dwell;
  }
  void SelectRadio(std::string_view name) override;
  [[nodiscard]] bool RadioSelected(std::string_view name) const override;

 private:
  TJobEntries& entries_;
};
