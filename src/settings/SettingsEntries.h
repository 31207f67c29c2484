#pragma once
// What the settings file needs of the job's controls, and nothing more: the values, without captions or
// fonts. The window, the command-line tool's job and the tests all offer it. Pure C++.

#include <cstdint>
#include <string_view>

class ISettingsValues {
 public:
  virtual ~ISettingsValues() = default;

  // Spin edits by component name ("edtXPos", "edtSpeed", ...): floating point or integer.
  virtual void SetSpinValue(std::string_view name, double value) = 0;
  virtual void SetSpinIntValue(std::string_view name, std::int32_t value) = 0;
  [[nodiscard]] virtual double SpinValue(std::string_view name) const = 0;
  [[nodiscard]] virtual std::int32_t SpinIntValue(std::string_view name) const = 0;

  // The edge-clean box chkClearEnd.
  virtual void SetClearEnd(bool ticked) = 0;
  [[nodiscard]] virtual bool ClearEnd() const = 0;

  // The spiral's opt-in centre pass (the preview window's box); a window without it keeps it off.
  virtual void SetFinishCentre(bool on) { (void)on; }
  [[nodiscard]] virtual bool FinishCentre() const { return false; }

  // The controller's choices: kDialect..., kCoolant... (FacingJob.h) and the dwell in seconds. A window
  // without them keeps the defaults.
  virtual void SetOutputChoices(int dialect, int coolant, double dwell) {
    (void)dialect, (void)coolant, (void)dwell;
  }
  virtual void OutputChoices(int& dialect, int& coolant, double& dwell) const {
    dialect = 0;
    coolant = -1;
    dwell = 0;
  }

  // Radio buttons by component name; selecting one clears the others of its group.
  virtual void SelectRadio(std::string_view name) = 0;
  [[nodiscard]] virtual bool RadioSelected(std::string_view name) const = 0;
};
