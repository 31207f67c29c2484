#pragma once
// The job's entries in one table: for each number its settings key, the window's control, the member of
// TJobEntries, its kind, the steps of its control and its command-line option. The settings file, the
// window's form and its reading of the job, and the command-line tool all go through this table, so a
// field is described once. The design value of each field is the member's own initial value.

#include <cstdint>
#include <optional>
#include <string_view>

#include "toolpath/FacingJob.h"

enum class TFieldKind { fkFloat, fkInteger };

struct TNumberField {
  const char* Key;      // in Skimplane.ini
  const char* Control;  // the window's spin edit
  TFieldKind Kind;
  double TJobEntries::*Length;       // fkFloat
  std::int32_t TJobEntries::*Whole;  // fkInteger
  double Step, LargeStep;            // of the spin edit
  const char* Option;                // skimplane-cli's option
  const char* Help;

  [[nodiscard]] double Get(const TJobEntries& e) const {
    return Kind == TFieldKind::fkFloat ? e.*Length : static_cast<double>(e.*Whole);
  }
  // An integer field takes whole numbers only; the caller has rounded and checked the value.
  void Set(TJobEntries& e, double value) const {
    if (Kind == TFieldKind::fkFloat)
      e.*Length = value;
    else
      e.*Whole = static_cast<std::int32_t>(value);
  }
  [[nodiscard]] double Design() const { return Get(TJobEntries{}); }
};

// In the order the settings file writes them. "Length" holds the X extent and "Width" the Y extent,
// whatever the captions beside the fields say: every stored file relies on this crossing.
inline constexpr TNumberField kNumberFields[] = {
    {"Length", "edtXPos", TFieldKind::fkFloat, &TJobEntries::XPos, nullptr, 10, 100, "--x",
     "X extent of the face, mm"},
    {"Width", "edtYPos", TFieldKind::fkFloat, &TJobEntries::YPos, nullptr, 10, 100, "--y",
     "Y extent of the face, mm"},
    {"Knit", "edtKnit", TFieldKind::fkFloat, &TJobEntries::Knit, nullptr, 1, 10, "--diameter",
     "cutter diameter, mm"},
    {"Cross", "edtCross", TFieldKind::fkFloat, &TJobEntries::Cross, nullptr, 0.1, 10, "--overlap",
     "overlap of neighbouring passes, mm"},
    {"ZPos", "edtZPos", TFieldKind::fkFloat, &TJobEntries::ZPos, nullptr, 0.1, 10, "--step-down",
     "step-down per layer, mm"},
    {"ZUp", "edtZUp", TFieldKind::fkFloat, &TJobEntries::ZUp, nullptr, 0.1, 10, "--retract",
     "retract height, mm"},
    {"Layer", "edtLayer", TFieldKind::fkInteger, nullptr, &TJobEntries::Layer, 1, 10, "--layers",
     "number of layers"},
    {"Speed", "edtSpeed", TFieldKind::fkInteger, nullptr, &TJobEntries::Speed, 100, 1000, "--spindle",
     "spindle speed (S word), above zero"},
    {"Fro", "edtFro", TFieldKind::fkInteger, nullptr, &TJobEntries::Fro, 10, 100, "--feed",
     "cutting feed (F word of every plunge), above zero"},
};

// The clearing strategies: their numbers (the settings key "Mode"), the window's buttons and the
// command-line tool's names.
struct TStrategy {
  int Mode;
  const char* Button;
  const char* Name;
};
inline constexpr TStrategy kStrategies[] = {
    {kModeSpiral, "opnDelta", "spiral"}, {kModeXZigzag, "opnXArrow", "x"}, {kModeYZigzag, "opnYArrow", "y"}};
inline constexpr const char* kModeKey = "Mode";

// The edge-clean box.
inline constexpr const char* kClearEndKey = "ClearEnd";
inline constexpr const char* kClearEndControl = "chkClearEnd";

// The field whose control or settings key is `name`; nothing for any other name.
[[nodiscard]] inline const TNumberField* FieldByControl(std::string_view control) {
  for (const TNumberField& f : kNumberFields)
    if (control == f.Control) return &f;
  return nullptr;
}

// The strategy of a Mode number: any number but those of the zig-zags means spiral.
[[nodiscard]] inline const TStrategy& StrategyOfMode(int mode) {
  for (const TStrategy& s : kStrategies)
    if (s.Mode == mode) return s;
  return kStrategies[0];
}
