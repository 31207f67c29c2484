#pragma once
// The job's fields in one table: for each its settings key, the window's control, the command-line
// option, the web API's name, its kind, the steps and limits of its entry, its choices with their words,
// when the settings file writes it, and its help text. The settings file, the window, the command-line
// tool and the web binding all loop over this table, so a field is described once and a new option is a
// row plus its use. The default of each field is the member's own initial value in TJobEntries.

#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "dvTools/dvError.h"
#include "toolpath/FacingJob.h"

enum class TFieldKind { fkFloat, fkInteger, fkBool, fkChoice };

// When the settings file writes a field: always, or only once it differs from its default (or the file
// holds it already), so that files of users who never chose it stay as they were.
enum class TWriteRule { wrAlways, wrOnceChanged };

// One choice of a choice field: its value, its word (settings file, command line, web) and the window's
// radio button for it, if it has one.
struct TChoiceWord {
  int Value;
  const char* Word;
  const char* Control = nullptr;
};

inline constexpr TChoiceWord kStrategyWords[] = {
    {kModeSpiral, "spiral", "opnDelta"}, {kModeXZigzag, "x", "opnXArrow"}, {kModeYZigzag, "y", "opnYArrow"}};
inline constexpr TChoiceWord kDialectWords[] = {{kDialectIso, "iso"}, {kDialectGrbl, "grbl"}};
inline constexpr TChoiceWord kCoolantWords[] = {
    {kCoolantOff, "off"}, {kCoolantMist, "mist"}, {kCoolantFlood, "flood"}};
inline constexpr TChoiceWord kDirectionWords[] = {{kDirectionBoth, "both", "opnBothWays"},
                                                   {kDirectionClimb, "climb", "opnClimb"},
                                                   {kDirectionConventional, "conventional", "opnConventional"}};
inline constexpr TChoiceWord kEntryWords[] = {{kEntryPlunge, "plunge", "opnPlunge"}, {kEntryRamp, "ramp", "opnRamp"}};

// Another way to enter a field that a row before it keeps (the step-over sets the overlap): kept nowhere,
// taken after every other entry and only when given, so that it reads the others as entered. It must be a
// finite number above zero; giving it together with the field it replaces is an error.
struct TAlternativeEntry {
  double (*Get)(const TJobEntries&);
  void (*Set)(TJobEntries&, double);
  double TJobEntries::*Replaces;
};

// The step-over: the pass step as a percent of the cutter's diameter. The overlap is what the job keeps.
inline constexpr TAlternativeEntry kStepoverEntry = {
    [](const TJobEntries& e) { return (e.Knit - e.Cross) / e.Knit * 100; },
    [](TJobEntries& e, double percent) { e.Cross = e.Knit - e.Knit * percent / 100; }, &TJobEntries::Cross};

struct TJobField {
  const char* Key;      // in Skimplane.ini; nullptr: not kept there
  const char* Control;  // the main window's control; nullptr: none there (the preview's box, radio groups)
  const char* Option;   // skimplane-cli's option
  const char* WebName;  // the web API's name
  const char* Noun;     // what a message calls it ("'abc' is not a valid dwell")
  TFieldKind Kind;
  double TJobEntries::*Length = nullptr;       // fkFloat
  std::int32_t TJobEntries::*Whole = nullptr;  // fkInteger
  bool TJobEntries::*Flag = nullptr;           // fkBool
  int TJobEntries::*Choice = nullptr;          // fkChoice
  double Step = 0, LargeStep = 0;              // of the window's spin edit and the page's arrow keys
  double Min = -INFINITY, Max = INFINITY;      // what the entry itself takes; the job check does the rest
  std::span<const TChoiceWord> Words = {};
  TWriteRule Write = TWriteRule::wrAlways;
  const char* Help = "";
  const char* Unit = nullptr;   // of a limited number, for its option's help and messages ("seconds")
  bool OptionNegates = false;   // the option turns the field off (--no-edge-clean)
  // The settings file keeps the choice's value, not its word, and any other value or none at all means
  // the first choice (Mode: spiral).
  bool StoredAsNumber = false;
  bool DialectDefault = false;  // its default is the dialect's own (coolant): kept only once it differs
  const TAlternativeEntry* Alternative = nullptr;  // a float field without a member of its own

  [[nodiscard]] double Get(const TJobEntries& e) const {
    if (Alternative) return Alternative->Get(e);
    switch (Kind) {
      case TFieldKind::fkFloat:
        return e.*Length;
      case TFieldKind::fkInteger:
        return static_cast<double>(e.*Whole);
      case TFieldKind::fkBool:
        return e.*Flag ? 1 : 0;
      case TFieldKind::fkChoice:
        break;
    }
    return static_cast<double>(e.*Choice);
  }
  // An integer field takes whole numbers only; the caller has rounded and checked the value.
  void Set(TJobEntries& e, double value) const {
    if (Alternative) {
      Alternative->Set(e, value);
      return;
    }
    switch (Kind) {
      case TFieldKind::fkFloat:
        e.*Length = value;
        break;
      case TFieldKind::fkInteger:
        e.*Whole = static_cast<std::int32_t>(value);
        break;
      case TFieldKind::fkBool:
        e.*Flag = value != 0;
        break;
      case TFieldKind::fkChoice:
        e.*Choice = static_cast<int>(value);
        break;
    }
  }
  [[nodiscard]] double Default() const { return Get(TJobEntries{}); }
  // The default as a job's other entries make it: the dialect's own coolant.
  [[nodiscard]] double DefaultFor(const TJobEntries& e) const {
    return DialectDefault ? DefaultCoolant(e.Dialect == kDialectGrbl ? kDialectGrbl : kDialectIso) : Default();
  }
  [[nodiscard]] bool IsNumber() const { return Kind == TFieldKind::fkFloat || Kind == TFieldKind::fkInteger; }
  // The word of a choice value; nullptr for a value without one.
  [[nodiscard]] const char* WordOf(int value) const {
    for (const TChoiceWord& w : Words)
      if (w.Value == value) return w.Word;
    return nullptr;
  }
  [[nodiscard]] std::optional<int> ValueOf(std::string_view word) const {
    for (const TChoiceWord& w : Words)
      if (word == w.Word) return w.Value;
    return std::nullopt;
  }
};

// In the order the settings file writes them. "Length" holds the X extent and "Width" the Y extent,
// whatever the captions beside the fields say: every stored file relies on this crossing.
inline constexpr TJobField kJobFields[] = {
    {.Key = "Length", .Control = "edtXPos", .Option = "--x", .WebName = "x", .Noun = "X size",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::XPos, .Step = 10, .LargeStep = 100,
     .Help = "X extent of the face, mm"},
    {.Key = "Width", .Control = "edtYPos", .Option = "--y", .WebName = "y", .Noun = "Y size",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::YPos, .Step = 10, .LargeStep = 100,
     .Help = "Y extent of the face, mm"},
    {.Key = "Knit", .Control = "edtKnit", .Option = "--diameter", .WebName = "diameter", .Noun = "diameter",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::Knit, .Step = 1, .LargeStep = 10,
     .Help = "cutter diameter, mm"},
    {.Key = "Cross", .Control = "edtCross", .Option = "--overlap", .WebName = "overlap", .Noun = "overlap",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::Cross, .Step = 0.1, .LargeStep = 10,
     .Help = "overlap of neighbouring passes, mm"},
    {.Key = "ZPos", .Control = "edtZPos", .Option = "--step-down", .WebName = "stepDown", .Noun = "step-down",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::ZPos, .Step = 0.1, .LargeStep = 10,
     .Help = "step-down per layer, mm"},
    {.Key = "ZUp", .Control = "edtZUp", .Option = "--retract", .WebName = "retract", .Noun = "retract height",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::ZUp, .Step = 0.1, .LargeStep = 10,
     .Help = "retract height, mm"},
    // The retract mode is not kept: every start is relative, as the window's design has it.
    {.Key = nullptr, .Control = "opnZUpAbs", .Option = "--absolute-retract", .WebName = "absoluteRetract",
     .Noun = "retract mode", .Kind = TFieldKind::fkBool, .Flag = &TJobEntries::ZUpAbs,
     .Help = "retract to the height itself (default: above the cutting level)"},
    {.Key = "Layer", .Control = "edtLayer", .Option = "--layers", .WebName = "layers", .Noun = "layer count",
     .Kind = TFieldKind::fkInteger, .Whole = &TJobEntries::Layer, .Step = 1, .LargeStep = 10,
     .Help = "number of layers"},
    {.Key = "Speed", .Control = "edtSpeed", .Option = "--spindle", .WebName = "spindle", .Noun = "spindle speed",
     .Kind = TFieldKind::fkInteger, .Whole = &TJobEntries::Speed, .Step = 100, .LargeStep = 1000,
     .Help = "spindle speed (S word), above zero"},
    {.Key = "Fro", .Control = "edtFro", .Option = "--feed", .WebName = "feed", .Noun = "feed",
     .Kind = TFieldKind::fkInteger, .Whole = &TJobEntries::Fro, .Step = 10, .LargeStep = 100,
     .Help = "cutting feed (F word of every plunge), above zero"},
    {.Key = "ClearEnd", .Control = "chkClearEnd", .Option = "--no-edge-clean", .WebName = "edgeClean",
     .Noun = "edge clean", .Kind = TFieldKind::fkBool, .Flag = &TJobEntries::ClearEnd,
     .Help = "leave out the edge-clean pass of each layer", .OptionNegates = true},
    {.Key = "Mode", .Control = nullptr, .Option = "--strategy", .WebName = "strategy", .Noun = "strategy",
     .Kind = TFieldKind::fkChoice, .Choice = &TJobEntries::Mode, .Words = kStrategyWords,
     .Help = "clearing strategy", .StoredAsNumber = true},
    // Chosen in the preview window.
    {.Key = "FinishCentre", .Control = nullptr, .Option = "--finish-centre", .WebName = "finishCentre",
     .Noun = "centre pass", .Kind = TFieldKind::fkBool, .Flag = &TJobEntries::FinishCentre,
     .Write = TWriteRule::wrOnceChanged,
     .Help = "spiral: after each layer's spiral, clear what it left in the middle and at the start"},
    // The controller: the window's controller box chooses dialect and coolant in one.
    {.Key = "Dialect", .Control = "cmbController", .Option = "--dialect", .WebName = "dialect", .Noun = "dialect",
     .Kind = TFieldKind::fkChoice, .Choice = &TJobEntries::Dialect, .Words = kDialectWords,
     .Write = TWriteRule::wrOnceChanged,
     .Help = "the controller the program is written for (see docs/controllers.md)"},
    {.Key = "Coolant", .Control = "cmbController", .Option = "--coolant", .WebName = "coolant", .Noun = "coolant",
     .Kind = TFieldKind::fkChoice, .Choice = &TJobEntries::Coolant, .Words = kCoolantWords,
     .Write = TWriteRule::wrOnceChanged, .Help = "off, mist or flood (default: mist for iso, off for grbl)",
     .DialectDefault = true},
    {.Key = "Dwell", .Control = "edtDwell", .Option = "--dwell", .WebName = "dwell", .Noun = "dwell",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::Dwell, .Step = 0.5, .LargeStep = 5, .Min = 0,
     .Max = kMaxDwell,
     .Write = TWriteRule::wrOnceChanged,
     .Help = "seconds to wait after the spindle start, 0 to 3600 (default: 0)", .Unit = "seconds"},
    // The machining options, on a page of their own in the window.
    {.Key = "Direction", .Control = nullptr, .Option = "--direction", .WebName = "direction",
     .Noun = "cut direction", .Kind = TFieldKind::fkChoice, .Choice = &TJobEntries::Direction,
     .Words = kDirectionWords, .Write = TWriteRule::wrOnceChanged,
     .Help = "both (zig-zag), climb or conventional for the clockwise spindle (default: both)"},
    {.Key = "FinishDepth", .Control = "edtFinishDepth", .Option = "--finish-depth", .WebName = "finishDepth",
     .Noun = "finishing depth", .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::FinishDepth,
     .Step = 0.1, .LargeStep = 1, .Write = TWriteRule::wrOnceChanged,
     .Help = "after the layers, one more this much deeper, mm (default: 0, none)"},
    {.Key = "FinishFeed", .Control = "edtFinishFeed", .Option = "--finish-feed", .WebName = "finishFeed",
     .Noun = "finishing feed", .Kind = TFieldKind::fkInteger, .Whole = &TJobEntries::FinishFeed, .Step = 10,
     .LargeStep = 100, .Write = TWriteRule::wrOnceChanged,
     .Help = "the finishing layer's feed, above zero when a finishing depth is given"},
    {.Key = "Overcut", .Control = "edtOvercut", .Option = "--overcut", .WebName = "overcut", .Noun = "overcut",
     .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::Overcut, .Step = 0.1, .LargeStep = 1, .Min = 0,
     .Write = TWriteRule::wrOnceChanged,
     .Help = "how far the cutter's edge passes beyond each edge of the face, mm, 0 or more (default: 0)"},
    {.Key = "Entry", .Control = nullptr, .Option = "--entry", .WebName = "entry", .Noun = "entry",
     .Kind = TFieldKind::fkChoice, .Choice = &TJobEntries::Entry, .Words = kEntryWords,
     .Write = TWriteRule::wrOnceChanged,
     .Help = "how the cutter reaches each layer's level: straight down, or down along the layer's first pass "
             "at no more than the ramp angle"},
    {.Key = "RampAngle", .Control = "edtRampAngle", .Option = "--ramp-angle", .WebName = "rampAngle",
     .Noun = "ramp angle", .Kind = TFieldKind::fkFloat, .Length = &TJobEntries::RampAngle, .Step = 0.5,
     .LargeStep = 5, .Min = 0, .Max = 90, .Write = TWriteRule::wrOnceChanged,
     .Help = "with --entry ramp: the ramp's greatest angle to the face, above 0 up to 90 (default: 3)",
     .Unit = "degrees"},
    // The overlap entered another way; the settings file keeps the overlap. The window's entry for it is
    // linked to the overlap and the diameter, and the job is read from the overlap.
    {.Key = nullptr, .Control = "edtStepover", .Option = "--stepover", .WebName = "stepover", .Noun = "step-over",
     .Kind = TFieldKind::fkFloat, .Step = 1, .LargeStep = 10, .Min = 0,
     .Help = "the pass step as a percent of the diameter, above zero; instead of --overlap "
             "(overlap = diameter - diameter x percent / 100)",
     .Unit = "percent", .Alternative = &kStepoverEntry},
};

// The field whose control, settings key, option or web name is `name`; nothing for any other name.
[[nodiscard]] inline const TJobField* FieldByControl(std::string_view control) {
  for (const TJobField& f : kJobFields)
    if (f.Control && control == f.Control) return &f;
  return nullptr;
}
[[nodiscard]] inline const TJobField* FieldByKey(std::string_view key) {
  for (const TJobField& f : kJobFields)
    if (f.Key && key == f.Key) return &f;
  return nullptr;
}
[[nodiscard]] inline const TJobField* FieldByWebName(std::string_view name) {
  for (const TJobField& f : kJobFields)
    if (name == f.WebName) return &f;
  return nullptr;
}

// The row of a member of the job.
template <class TMember>
[[nodiscard]] const TJobField* FieldOf(TMember TJobEntries::*member) {
  for (const TJobField& f : kJobFields) {
    if constexpr (std::is_same_v<TMember, double>) {
      if (f.Length == member) return &f;
    } else if constexpr (std::is_same_v<TMember, bool>) {
      if (f.Flag == member) return &f;
    } else {  // whole numbers and choices are both int here
      if (f.Whole == member || f.Choice == member) return &f;
    }
  }
  return nullptr;
}

// An entry named in a message: its noun, which a window replaces by the entry's caption.
[[nodiscard]] inline TMessageText EntryName(const TJobField& field) {
  return MessageValue(field.Noun, field.WebName);
}
template <class TMember>
[[nodiscard]] TMessageText EntryName(TMember TJobEntries::*member) {
  return EntryName(*FieldOf(member));
}

// The field an alternative entry replaces.
[[nodiscard]] inline const TJobField& ReplacedField(const TJobField& alternative) {
  return *FieldOf(alternative.Alternative->Replaces);
}

// Whether an alternative entry's value can be taken: a finite number above zero.
[[nodiscard]] inline bool AlternativeValueValid(double value) {
  return std::isfinite(value) && value > 0;
}

// A job the job check refuses: the message by its key, and the fields it is about, the one to mend first
// first, so that a window can take the user there and a page can mark the entries without reading the words.
class EJobRefused : public EDVError {
 public:
  EJobRefused(TMessageText text, std::vector<const TJobField*> fields)
      : EDVError(std::move(text)), fields_(std::move(fields)) {}
  [[nodiscard]] const std::vector<const TJobField*>& Fields() const { return fields_; }

 private:
  std::vector<const TJobField*> fields_;
};

// The strategy's row of a Mode number: any number but those of the zig-zags means spiral.
[[nodiscard]] inline const TChoiceWord& StrategyOfMode(int mode) {
  for (const TChoiceWord& s : kStrategyWords)
    if (s.Value == mode) return s;
  return kStrategyWords[0];
}

// The one text rule per kind, for every front end that takes entries as text (the command line, the web):
// a number is the whole text (NaN and infinity pass here; the job check refuses them, naming the entry);
// a whole number rounds a fraction to the nearest, ties to even, as the window's integer fields do, and
// must stay within 32 bits; a flag is true/false or 1/0.
[[nodiscard]] std::optional<double> ParseLength(const std::string& text);
[[nodiscard]] std::optional<int> ParseWholeNumber(const std::string& text);
[[nodiscard]] std::optional<bool> ParseFlag(std::string_view text);

// A field's entry given as text, by the rule of its kind (a choice by its word; the empty text is the
// default where the default has no word, the dialect's own coolant); nothing when the text is not one.
// Limits are the caller's to check. FieldTextRule says what the text must be, for messages: "a number",
// "a whole number within 32 bits", "true or false", "one of spiral, x, y".
[[nodiscard]] std::optional<double> ParseFieldText(const TJobField& field, const std::string& text);
[[nodiscard]] std::string FieldTextRule(const TJobField& field);

// "YYYY-MM-DD HH:MM" with a real calendar date and a time of day, or nothing.
struct THeaderTime {
  int year, month, day, hour, minute;
};
[[nodiscard]] std::optional<THeaderTime> ParseHeaderTime(const std::string& text);
