// The Generate command: the window's side of writing a program. Everything about the program itself
// (its lines, the refusal of jobs that cannot finish, the safe write) belongs to the toolpath library.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>
#include <optional>

#include "app/ControllerChoice.h"
#include "app/ErrorBox.h"
#include "app/GenerateProgress.h"
#include "app/Skimplane_form.h"
#include "app/Widgets.h"
#include "settings/HeaderPath.h"
#include "toolpath/FacingJob.h"
#include "toolpath/GenerateCode.h"
#include "toolpath/JobFields.h"
#include "toolpath/ProgramLimits.h"

namespace {

// A radio button that says "on" for a flag has its "off" in the same group.
const char* OffButtonOf(std::string_view control) {
  return control == "opnZUpAbs" ? "opnZUpRel" : nullptr;
}

// A choice with a radio button per word (strategy, entry, cut direction): the button of a value, the first
// choice's for a value without a word (a strategy number of no zig-zag is the spiral).
const char* ButtonOf(const TJobField& choice, int value) {
  for (const TChoiceWord& w : choice.Words)
    if (w.Value == value) return w.Control;
  return choice.Words[0].Control;
}

bool IsRadioGroup(const TJobField& f) {
  return f.Kind == TFieldKind::fkChoice && !f.Words.empty() && f.Words[0].Control;
}

}  // namespace

TJobEntries TfrmSkimplane::ReadJobEntries() const {
  TJobEntries e;
  for (const TJobField& f : kJobFields) {
    // The step-over is the overlap shown another way: the job takes the overlap as it stands.
    if (f.Alternative) continue;
    if (IsRadioGroup(f)) {
      for (const TChoiceWord& w : f.Words)
        if (static_cast<const QAbstractButton*>(Control(w.Control))->isChecked()) f.Set(e, w.Value);
    } else if (!f.Control || f.Kind == TFieldKind::fkChoice) {
      continue;  // the controller box and the preview's centre pass follow
    } else if (f.IsNumber()) {
      const auto* spin = static_cast<const TSpinEdit*>(Control(f.Control));
      f.Set(e, f.Kind == TFieldKind::fkFloat ? spin->Value() : spin->IntValue());
    } else {
      f.Set(e, static_cast<const QAbstractButton*>(Control(f.Control))->isChecked());
    }
  }
  e.FinishCentre = FinishCentre;
  const TControllerEntry controller = ControllerEntry(cmbController->currentIndex());
  e.Dialect = controller.Dialect;
  e.Coolant = controller.Coolant;
  return e;
}

void TfrmSkimplane::SetJobEntries(const TJobEntries& e) {
  for (const TJobField& f : kJobFields) {
    if (f.Alternative) continue;  // it follows the overlap and the diameter
    if (IsRadioGroup(f)) {
      // The buttons of a group are exclusive: the others clear.
      static_cast<QAbstractButton*>(Control(ButtonOf(f, static_cast<int>(f.Get(e)))))->setChecked(true);
    } else if (!f.Control || f.Kind == TFieldKind::fkChoice) {
      continue;  // the controller box and the preview's centre pass follow
    } else if (f.IsNumber()) {
      auto* spin = static_cast<TSpinEdit*>(Control(f.Control));
      if (f.Kind == TFieldKind::fkFloat)
        spin->SetValue(f.Get(e));
      else
        spin->SetIntValue(static_cast<std::int32_t>(f.Get(e)));
    } else {
      const bool on = f.Get(e) != 0;
      const char* off = OffButtonOf(f.Control);
      static_cast<QAbstractButton*>(Control(on || !off ? f.Control : off))->setChecked(on || off);
    }
  }
  FinishCentre = e.FinishCentre;
  cmbController->setCurrentIndex(ControllerIndex(e.Dialect, e.Coolant));
}

TCheckedJob TfrmSkimplane::CheckEntries() {
  try {
    return CheckJob(ReadJobEntries());
  } catch (const EJobRefused& refusal) {
    // The user is taken to the entry to mend: its page, its control.
    const TJobField* field = refusal.Fields().empty() ? nullptr : refusal.Fields().front();
    const char* name = field ? field->Control : nullptr;
    if (field && IsRadioGroup(*field))  // the group's chosen button
      name = ButtonOf(*field, static_cast<int>(field->Get(ReadJobEntries())));
    QWidget* control = name ? ControlNamed(name) : nullptr;
    if (control) {
      for (QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* page = qobject_cast<TTabSheet*>(w)) {
          for (int i = 0; i < PageControl1->PageCount(); ++i)
            if (PageControl1->Page(i) == page) PageControl1->SetActivePageIndex(i);
        }
      }
      FocusTarget(control)->setFocus(Qt::OtherFocusReason);
    }
    throw;
  }
}

void TfrmSkimplane::GenerateCode(const TCheckedJob& job, const QString& path) {
  const QDateTime now = seams_.Now ? seams_.Now() : QDateTime::currentDateTime();
  const char separator = seams_.TimeSeparator ? seams_.TimeSeparator() : ':';
  const TProgramRequest request{job, std::filesystem::path(QFile::encodeName(path).toStdString()),
                                HeaderPathBytes(path.toStdU32String()),
                                FormatHeaderDateTime(now.date().year(), now.date().month(), now.date().day(),
                                                     now.time().hour(), now.time().minute(), separator)};
  GenerateWithProgress(this, request, GenerateProgress,
                       {Texts.Text("GenerateWorking"), Texts.Text("GenerateCancel")});
}

void TfrmSkimplane::btnGenerateClick() {
  RunHandler([this] {
    // A job that would be refused is refused before the user picks a file for it.
    std::optional<TCheckedJob> job;
    try {
      job.emplace(CheckEntries());
    } catch (const EJobRefused& refusal) {
      ShowRefusal(refusal);
      return;
    }
    if (!seams_.ChooseSaveFile) return;
    const std::optional<QString> path = seams_.ChooseSaveFile(this);
    if (!path) return;
    try {
      GenerateCode(*job, *path);
    } catch (const TGenerationCancelled&) {
      return;  // nothing written, nothing to report
    } catch (const EDVError& error) {
      ShowErrorBox("MsgWriteFailed", MessageText(error));
      return;
    }
    if (seams_.ShowMessage) seams_.ShowMessage(this, ApplicationTitle(), Texts.Text("MsgSuccess"));
  });
}

QWidget* TfrmSkimplane::ControlNamed(const char* name) const {
  return controls_.count(name) ? Control(name) : findChild<QWidget*>(QLatin1String(name));
}

QString TfrmSkimplane::EntryCaption(const TJobField& field) const {
  // Each entry is named by the caption the user reads beside it, in the pack's language: the label whose
  // buddy it is (a group of radio buttons: its first), else a button's own text.
  const char* name = field.Control ? field.Control : !field.Words.empty() ? field.Words[0].Control : nullptr;
  const QWidget* control = name ? ControlNamed(name) : nullptr;
  QString text;
  for (const QLabel* label : findChildren<QLabel*>())
    if (control && label->buddy() == control) text = label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(control); button && text.isEmpty())
    text = button->text();
  if (field.Flag == &TJobEntries::FinishCentre) text = PreviewCaptions.Text("PreviewCentrePass");
  // "直径(R)：" and "Diameter(R):" name the entry without their colon.
  while (!text.isEmpty() &&
         (text.back() == QChar(0xFF1A) || text.back() == QLatin1Char(':') || text.back().isSpace()))
    text.chop(1);
  return text.isEmpty() ? QString::fromUtf8(field.Noun) : text;
}

QString TfrmSkimplane::MessageText(const std::exception& error) const {
  const auto* keyed = dynamic_cast<const EDVError*>(&error);
  if (!keyed) return MessageFromBytes(error.what());
  return Texts.Message(keyed->Text(), [this](const std::string& webName) {
    const TJobField* field = FieldByWebName(webName);
    return field ? EntryCaption(*field) : QString();
  });
}

void TfrmSkimplane::ShowRefusal(const EJobRefused& refusal) {
  QStringList entries;
  for (const TJobField* field : refusal.Fields())
    if (field && !entries.contains(EntryCaption(*field))) entries << EntryCaption(*field);
  const QString reason = MessageText(refusal);
  QString lead = Texts.Text(entries.isEmpty() ? "MsgRefusedNoEntry" : "MsgRefused");
  if (!lead.isEmpty() && !entries.isEmpty()) lead = lead.arg(entries.join(Texts.Text("MsgListSeparator")));
  ShowErrorBox(lead.isEmpty() ? reason : lead + QLatin1Char('\n') + reason);
}
