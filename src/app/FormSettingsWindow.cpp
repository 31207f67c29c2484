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

TSpinEdit* TFormSettingsWindow::Spin(std::string_view name) const {
  auto* spin = qobject_cast<TSpinEdit*>(Component(name));
  if (!spin) throw std::logic_error(std::string(name) + " is no spin edit");
  return spin;
}

void TFormSettingsWindow::SetSpinValue(std::string_view name, double value) {
  Spin(name)->SetValue(value);
}

void TFormSettingsWindow::SetSpinIntValue(std::string_view name, std::int32_t value) {
  Spin(name)->SetIntValue(value);
}

double TFormSettingsWindow::SpinValue(std::string_view name) const {
  return Spin(name)->Value();
}

std::int32_t TFormSettingsWindow::SpinIntValue(std::string_view name) const {
  return Spin(name)->IntValue();
}

void TFormSettingsWindow::SetClearEnd(bool ticked) {
  form_.chkClearEnd->setChecked(ticked);
}

bool TFormSettingsWindow::ClearEnd() const {
  return form_.chkClearEnd->isChecked();
}

void TFormSettingsWindow::SetFinishCentre(bool on) {
  form_.FinishCentre = on;
}

bool TFormSettingsWindow::FinishCentre() const {
  return form_.FinishCentre;
}

void TFormSettingsWindow::SetOutputChoices(int dialect, int coolant, double dwell) {
  form_.cmbController->setCurrentIndex(ControllerIndex(dialect, coolant));
  form_.Dwell = dwell;
}

void TFormSettingsWindow::OutputChoices(int& dialect, int& coolant, double& dwell) const {
  const TControllerEntry entry = ControllerEntry(form_.cmbController->currentIndex());
  dialect = entry.Dialect;
  coolant = entry.Coolant;
  dwell = form_.Dwell;
}

void TFormSettingsWindow::SelectRadio(std::string_view name) {
  auto* radio = qobject_cast<QRadioButton*>(Component(name));
  if (!radio) throw std::logic_error(std::string(name) + " is no radio button");
  radio->setChecked(true);  // the buttons of one page are exclusive: the others of its group clear
}

bool TFormSettingsWindow::RadioSelected(std::string_view name) const {
  auto* radio = qobject_cast<QRadioButton*>(Component(name));
  return radio && radio->isChecked();
}

int TFormSettingsWindow::PageCount() const {
  return form_.PageControl1->PageCount();
}

void TFormSettingsWindow::SetPageCaption(int index, const QString& caption) {
  if (TTabSheet* page = form_.PageControl1->Page(index)) page->SetCaption(caption);
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
  return TPreviewCaptions::Keys();
}

void TFormSettingsWindow::SetOtherCaption(const std::string& key, const QString& text) {
  form_.PreviewCaptions.Set(key, text);
}

TSettingsPlace PlaceOf(const TfrmSkimplane& form, char decimalSeparator) {
  const TAppSeams& seams = form.Seams();
  return {FolderBytes(form.ExecutableFolder()), decimalSeparator, FolderBytes(form.SettingsFolder()),
          seams.InstalledDataFolder ? FolderBytes(seams.InstalledDataFolder()) : std::string()};
}

void UseSettingsFile(TAppSeams& seams, char decimalSeparator) {
  seams.LoadSettings = [decimalSeparator](TfrmSkimplane& form) {
    TFormSettingsWindow window(form);
    LoadSettings(window, PlaceOf(form, decimalSeparator));
  };
  seams.SaveSettings = [decimalSeparator](TfrmSkimplane& form) {
    const TFormSettingsWindow window(form);
    SaveSettings(window, PlaceOf(form, decimalSeparator));
  };
}
