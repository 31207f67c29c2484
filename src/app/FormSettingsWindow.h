#pragma once
// The main window as the settings file and the language packs see it, and the settings steps of the
// window's creation and destruction handlers.

#include "app/AppSeams.h"
#include "dvTools/dvIniTools.h"
#include "settings/Settings.h"
#include "settings/SettingsWindow.h"

class QObject;
class TfrmSkimplane;

class TFormSettingsWindow : public ISettingsWindow {
 public:
  explicit TFormSettingsWindow(TfrmSkimplane& form) : form_(form) {}

  void SetCaption(std::string_view name, const QString& caption) override;
  void VisitComponents(const std::function<void(const TComponentInfo&)>& visit) const override;
  // The font goes to the window and from there to every control that has no font of its own.
  void SetFontName(const QString& family) override;
  // Captions arrive already decoded, so the character set only records which one the pack named; the
  // window keeps it in its property "Charset".
  void SetFontCharset(int charset) override;
  // Qt's save dialog and message box buttons follow the pack's language.
  void SetDialogLanguage(const QString& locale) override;
  // The preview window's texts.
  [[nodiscard]] std::vector<std::string> OtherCaptionKeys() const override;
  void SetOtherCaption(const std::string& key, const QString& text) override;

 private:
  [[nodiscard]] QObject* Component(std::string_view name) const;

  TfrmSkimplane& form_;
};

// Where the settings steps of `form` find their files: the executable's folder and the seams'
// SettingsFolder and InstalledDataFolder.
[[nodiscard]] TSettingsPlace PlaceOf(const TfrmSkimplane& form, char decimalSeparator);

// Fills the seams LoadSettings and SaveSettings with the settings file in the form's settings folder and
// the language pack it names; numbers in the file use `decimalSeparator`.
void UseSettingsFile(TAppSeams& seams, char decimalSeparator = DefaultDecimalSeparator());
