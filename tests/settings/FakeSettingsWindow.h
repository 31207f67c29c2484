#pragma once
// A window made of plain members with the main window's components, names, Tags and design values, so
// the settings and pack steps run without a display. Every change is also logged, in order.

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "settings/LanguagePack.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"
#include "toolpath/JobFields.h"

class TFakeSettingsWindow : public ISettingsWindow {
  template <class Map>
  static auto& At(Map& map, std::string_view name) {
    const auto it = map.find(name);
    if (it == map.end()) throw std::logic_error("no spin edit " + std::string(name));
    return it->second;
  }

 public:
  TFakeSettingsWindow() {
    floats = {{"edtXPos", 150}, {"edtYPos", 200},     {"edtKnit", 6},    {"edtCross", 0.5},
              {"edtZPos", 1},   {"edtZUp", 2},        {"edtOvercut", 0}, {"edtRampAngle", 3},
              {"edtDwell", 0},  {"edtFinishDepth", 0}};
    integers = {{"edtLayer", 1}, {"edtSpeed", 5000}, {"edtFro", 120}, {"edtFinishFeed", 0}};
    // The window's components in its order: pages, pictures, labels (Tag 9 translatable), the rest.
    const std::pair<TComponentKind, const char*> plain[] = {
        {TComponentKind::ckPushButton, "btnClose"},   {TComponentKind::ckPushButton, "btnGenerate"},
        {TComponentKind::ckPushButton, "btnPreview"}, {TComponentKind::ckPageControl, "PageControl1"},
        {TComponentKind::ckPicture, "Image2"},        {TComponentKind::ckLabel, "Label39"},
        {TComponentKind::ckLabel, "Label49"},         {TComponentKind::ckLabel, "lblVersion"},
        {TComponentKind::ckLabel, "lblLangPack"},     {TComponentKind::ckRuledLabel, "ZQLabel1"},
        {TComponentKind::ckSpinEdit, "edtXPos"},      {TComponentKind::ckRadioButton, "opnZUpRel"},
        {TComponentKind::ckRadioButton, "opnZUpAbs"}, {TComponentKind::ckRadioButton, "opnDelta"},
        {TComponentKind::ckRadioButton, "opnXArrow"}, {TComponentKind::ckRadioButton, "opnYArrow"},
        {TComponentKind::ckCheckBox, "chkClearEnd"},  {TComponentKind::ckRadioButton, "opnPlunge"},
        {TComponentKind::ckRadioButton, "opnRamp"},   {TComponentKind::ckRadioButton, "opnBothWays"},
        {TComponentKind::ckRadioButton, "opnClimb"},  {TComponentKind::ckRadioButton, "opnConventional"},
        {TComponentKind::ckOther, "lblController"},   {TComponentKind::ckOther, "cmbController"}};
    for (const auto& [name, caption] : kPages) components.push_back({TComponentKind::ckPage, 0, name});
    for (const auto& [kind, name] : plain) components.push_back({kind, 0, name});
    for (const std::string& name : TranslatableLabels())
      components.push_back({TComponentKind::ckLabel, 9, name});
    // A Tag-9 component that is not a plain label is never re-captioned.
    components.push_back({TComponentKind::ckRuledLabel, 9, "ZQLabel9"});
    for (const auto& c : components) captions[c.Name] = "(" + c.Name + ")";
    for (const auto& [name, caption] : kPages) captions[name] = caption;
  }

  // The pages in their order on screen, with their design captions.
  static constexpr std::pair<const char*, const char*> kPages[] = {{"tabFace", "材质平面"},
                                                                   {"tabKnit", "铣刀选项"},
                                                                   {"tabOption", "运动选项"},
                                                                   {"tabMachining", "加工选项"},
                                                                   {"tabAbout", "关于"}};
  // The labels a pack re-captions by name: Label1 .. Label14, then the machining page's.
  static std::vector<std::string> TranslatableLabels() {
    std::vector<std::string> names;
    for (int i = 1; i <= 14; ++i) names.push_back("Label" + std::to_string(i));
    for (int i : {31, 33, 34, 35, 36, 37, 40, 42, 44, 45}) names.push_back("Label" + std::to_string(i));
    return names;
  }
  // The pages' captions in their order on screen.
  [[nodiscard]] std::vector<std::string> Pages() const {
    std::vector<std::string> shown;
    for (const auto& [name, caption] : kPages) shown.push_back(captions.at(name));
    return shown;
  }

  // The job as the fake's controls hold it, and back: each value that changes is logged, in the order of
  // the job's table.
  [[nodiscard]] TJobEntries Entries() const {
    TJobEntries e;
    for (const TJobField& f : kJobFields) {
      if (!f.Control || !f.IsNumber() || f.Alternative) continue;
      f.Set(e, f.Kind == TFieldKind::fkFloat ? floats.at(f.Control) : integers.at(f.Control));
    }
    e.ZUpAbs = retract == "opnZUpAbs";
    e.ClearEnd = clearEnd;
    for (const TChoiceWord& s : kStrategyWords)
      if (strategy == s.Control) e.Mode = s.Value;
    e.FinishCentre = finishCentre;
    e.Dialect = dialect, e.Coolant = coolant;
    e.Direction = direction, e.Entry = entry;
    return e;
  }
  void Take(const TJobEntries& e) {
    for (const TJobField& f : kJobFields) {
      if (!f.Control || !f.IsNumber() || f.Alternative) continue;
      const double value = f.Get(e);
      if (f.Kind == TFieldKind::fkFloat) {
        if (floats.at(f.Control) == value) continue;
        floats.at(f.Control) = value;
        log.push_back("float " + std::string(f.Control));
      } else {
        if (integers.at(f.Control) == value) continue;
        integers.at(f.Control) = static_cast<std::int32_t>(value);
        log.push_back("int " + std::string(f.Control));
      }
    }
    if (clearEnd != e.ClearEnd) log.push_back("clearEnd");
    clearEnd = e.ClearEnd;
    retract = e.ZUpAbs ? "opnZUpAbs" : "opnZUpRel";
    const std::string chosen = StrategyOfMode(e.Mode).Control;
    if (chosen != strategy) log.push_back("select " + chosen);
    strategy = chosen;
    finishCentre = e.FinishCentre;
    dialect = e.Dialect, coolant = e.Coolant;
    direction = e.Direction, entry = e.Entry;
  }
  [[nodiscard]] double SpinValue(std::string_view name) const { return At(floats, name); }
  [[nodiscard]] std::int32_t SpinIntValue(std::string_view name) const { return At(integers, name); }

  void SetCaption(std::string_view name, const QString& caption) override {
    const auto it = captions.find(std::string(name));
    if (it == captions.end()) throw std::logic_error("no component " + std::string(name));
    it->second = caption.toStdString();  // UTF-8, so tests compare with plain literals
    log.push_back("caption " + std::string(name));
  }
  void VisitComponents(const std::function<void(const TComponentInfo&)>& visit) const override {
    for (const auto& c : components) visit(c);
  }
  void SetFontName(const QString& family) override {
    fontName = family.toStdString();
    log.push_back("fontName");
  }
  void SetFontCharset(int code) override {
    charset = code;
    log.push_back("charset");
  }

  std::map<std::string, double, std::less<>> floats;
  std::map<std::string, std::int32_t, std::less<>> integers;
  bool clearEnd = true;
  bool finishCentre = false;
  int dialect = 0, coolant = -1;
  int direction = 0, entry = 0;  // the machining page's radio groups
  std::string strategy = "opnDelta";
  std::string retract = "opnZUpRel";
  std::vector<TComponentInfo> components;
  std::map<std::string, std::string, std::less<>> captions;
  std::string fontName = "宋体";
  int charset = 134;
  std::vector<std::string> log;
};

// The settings steps as the window runs them on the fake: its entries through the file, what could be
// read shown also when an entry could not be.
inline void LoadSettings(TFakeSettingsWindow& window, const TSettingsPlace& place) {
  TJobEntries entries = window.Entries();
  try {
    LoadSettings(window, entries, place);
  } catch (...) {
    window.Take(entries);
    throw;
  }
  window.Take(entries);
}
inline void SaveSettings(const TFakeSettingsWindow& window, const TSettingsPlace& place) {
  SaveSettings(window.Entries(), place);
}
inline TSettingsRead ReadSettings(TDVIniFile& ini, TFakeSettingsWindow& window, std::string_view fileName) {
  TJobEntries entries = window.Entries();
  const TSettingsRead read = ReadSettings(ini, entries, fileName);
  window.Take(entries);
  return read;
}
inline void WriteSettings(TDVIniFile& ini, const TFakeSettingsWindow& window) {
  WriteSettings(ini, window.Entries());
}
