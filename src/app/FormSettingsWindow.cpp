#include "app/FormSettingsWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <stdexcept>

#include "app/ControllerChoice.h"
#include "app/QtLanguage.h"
#include "app/Skimplane_form.h"
#include "app/SpinEdit.h"
#include "app/Widgets.h"
#include "dvWidgets/dvLabel.h"
#include "settings/LanguagePack.h"
#include "settings/Settings.h"

namespace {

QString NameOf(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

TComponentKind KindOf(QObject* o) {
  // TLabel before anything else: it is the one plain label; the ruled label is a widget of its own.
  if (qobject_cast<TLabel*>(o)) return TComponentKind::ckLabel;
  if (qobject_cast<TCustomDVLabel*>(o)) return TComponentKind::ckRuledLabel;
  if (qobject_cast<TSpinEdit*>(o)) return TComponentKind::ckSpinEdit;
  if (qobject_cast<QRadioButton*>(o)) return TComponentKind::ckRadioButton;
  if (qobject_cast<QCheckBox*>(o)) return TComponentKind::ckCheckBox;
  if (qobject_cast<QPushButton*>(o)) return TComponentKind::ckPushButton;
  if (qobject_cast<TTabSheet*>(o)) return TComponentKind::ckPage;
  if (qobject_cast<TPageControl*>(o)) return TComponentKind::ckPageControl;
  if (qobject_cast<TImage*>(o)) return TComponentKind::ckPicture;
  if (qobject_cast<TBevel*>(o)) return TComponentKind::ckBevel;
  return TComponentKind::ckOther;
}

std::string FolderBytes(const QString& folder) {
  return QFile::encodeName(folder).toStdString();
}

}  // namespace

QObject* TFormSettingsWindow::Component(std::string_view name) const {
  QObject* o = form_.findChild<QObject*>(NameOf(name));
  if (!o) throw std::logic_error("the window has no component " + std::string(name));
  return o;
}

void TFormSettingsWindow::SetCaption(std::string_view name, const QString& caption) {
  QObject* o = Component(name);
  if (auto* label = qobject_cast<TLabel*>(o))
    label->SetCaption(caption);
  else if (auto* button = qobject_cast<QAbstractButton*>(o))
    button->setText(caption);
  else if (auto* page = qobject_cast<TTabSheet*>(o))
    page->SetCaption(caption);
  else if (auto* plain = qobject_cast<QLabel*>(o))
    plain->setText(caption);
  else if (auto* box = qobject_cast<QComboBox*>(o)) {
    // The entries in their order, separated by "|"; missing ones keep their text.
    const QStringList texts = caption.split(QLatin1Char('|'));
    for (int i = 0; i < box->count() && i < texts.size(); ++i) box->setItemText(i, texts[i]);
  } else
    throw std::logic_error(std::string(name) + " has no caption");
}

void TFormSettingsWindow::VisitComponents(const std::function<void(const TComponentInfo&)>& visit) const {
  // The window's own components carry a Tag; the parts Qt builds inside them (a spin edit's line edit,
  // the tab bar) do not.
  for (QObject* o : form_.findChildren<QObject*>()) {
    const QVariant tag = o->property("Tag");
    if (!tag.isValid()) continue;
    visit({KindOf(o), tag.toInt(), o->objectName().toStdString()});
  }
}

void TFormSettingsWindow::SetFontName(const QString& family) {
  QFont font = form_.font();
  font.setFamily(family);
  form_.setFont(font);
}

void TFormSettingsWindow::SetFontCharset(int charset) {
  form_.setProperty("Charset", charset);
}

void TFormSettingsWindow::SetDialogLanguage(const QString& locale) {
  UseQtLanguage(locale);
}

std::vector<std::string> TFormSettingsWindow::OtherCaptionKeys() const {
  std::vector<std::string> keys = TWindowTexts::Keys();
  for (std::string& key : TPreviewCaptions::Keys()) keys.push_back(std::move(key));
  return keys;
}

void TFormSettingsWindow::SetOtherCaption(const std::string& key, const QString& text) {
  if (form_.Texts.Knows(key)) {
    form_.Texts.Set(key, text);
    form_.ShowTexts();
  } else {
    form_.PreviewCaptions.Set(key, text);
  }
}

TSettingsPlace PlaceOf(const TfrmSkimplane& form, char decimalSeparator) {
  const TAppSeams& seams = form.Seams();
  return {FolderBytes(form.ExecutableFolder()), decimalSeparator, FolderBytes(form.SettingsFolder()),
          seams.InstalledDataFolder ? FolderBytes(seams.InstalledDataFolder()) : std::string()};
}

void UseSettingsFile(TAppSeams& seams, char decimalSeparator) {
  seams.LoadSettings = [decimalSeparator](TfrmSkimplane& form) {
    TFormSettingsWindow window(form);
    TJobEntries entries = form.ReadJobEntries();
    // What could be read is shown, also when an entry could not be.
    try {
      LoadSettings(window, entries, PlaceOf(form, decimalSeparator));
    } catch (...) {
      form.SetJobEntries(entries);
      throw;
    }
    form.SetJobEntries(entries);
  };
  seams.SaveSettings = [decimalSeparator](TfrmSkimplane& form) {
    SaveSettings(form.ReadJobEntries(), PlaceOf(form, decimalSeparator));
  };
}
