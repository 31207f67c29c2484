#pragma once
// What the language packs need of the main window: captions, components and font (its values are the
// job's entries, which the settings file reads and writes directly). The real window implements it in the application; tests implement it with plain
// members, so every step of the settings and the packs runs without a display.

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>


// The kinds of component a window owns, as far as a language pack cares: only plain labels are
// re-captioned by name (the ruled label is not a plain label).
enum class TComponentKind {
  ckLabel,
  ckRuledLabel,
  ckSpinEdit,
  ckRadioButton,
  ckCheckBox,
  ckPushButton,
  ckPage,
  ckPageControl,
  ckPicture,
  ckBevel,
  ckOther
};

struct TComponentInfo {
  TComponentKind Kind = TComponentKind::ckOther;
  int Tag = 0;
  std::string Name;  // the component name, such as "Label1"
};

class ISettingsWindow {
 public:
  virtual ~ISettingsWindow() = default;

  // Captions: a page, a label, radio button or check box by its component name.
  virtual void SetCaption(std::string_view name, const QString& caption) = 0;

  // Every component the window owns, in the window's order.
  virtual void VisitComponents(const std::function<void(const TComponentInfo&)>& visit) const = 0;

  // The window's font: its family and its character set (0, 134, 136 or 1).
  virtual void SetFontName(const QString& family) = 0;
  virtual void SetFontCharset(int charset) = 0;
  // The language of the platform's standard dialogs and buttons ("en", "zh_CN", "zh_TW"), when a pack
  // names one. A window without such dialogs ignores it.
  virtual void SetDialogLanguage(const QString& /*locale*/) {}
  // Texts of windows other than the main one (the preview) by their pack keys; none by default.
  [[nodiscard]] virtual std::vector<std::string> OtherCaptionKeys() const { return {}; }
  virtual void SetOtherCaption(const std::string& /*key*/, const QString& /*text*/) {}
};
