// The Generate command: the window's side of writing a program. Everything about the program itself
// (its lines, the refusal of jobs that cannot finish, the safe write) belongs to the toolpath library.

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>

#include <algorithm>

#include "app/ControllerChoice.h"
#include "app/GenerateProgress.h"
#include "app/Skimplane_form.h"
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

}  // namespace

TJobEntries TfrmSkimplane::ReadJobEntries() const {
  TJobEntries e;
  for (const TJobField& f : kJobFields) {
    if (!f.Control) continue;
    if (f.IsNumber()) {
      const auto* spin = static_cast<const TSpinEdit*>(Control(f.Control));
      f.Set(e, f.Kind == TFieldKind::fkFloat ? spin->Value() : spin->IntValue());
    } else {
      f.Set(e, static_cast<const QAbstractButton*>(Control(f.Control))->isChecked());
    }
  }
  for (const TChoiceWord& s : kStrategyWords)
    if (static_cast<const QAbstractButton*>(Control(s.Control))->isChecked()) e.Mode = s.Value;
  e.FinishCentre = FinishCentre;
  const TControllerEntry& controller = kControllerEntries[std::max(cmbController->currentIndex(), 0)];
  e.Dialect = controller.Dialect;
  e.Coolant = controller.Coolant;
  e.Dwell = Dwell;
  return e;
}

void TfrmSkimplane::SetJobEntries(const TJobEntries& e) {
  for (const TJobField& f : kJobFields) {
    if (!f.Control) continue;
    if (f.IsNumber()) {
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
  // The buttons of one page are exclusive: the others of its group clear.
  static_cast<QAbstractButton*>(Control(StrategyOfMode(e.Mode).Control))->setChecked(true);
  FinishCentre = e.FinishCentre;
  cmbController->setCurrentIndex(ControllerIndex(e.Dialect, e.Coolant));
  Dwell = e.Dwell;
}

void TfrmSkimplane::GenerateCode(const TCheckedJob& job, const QString& path) {
  const QDateTime now = seams_.Now ? seams_.Now() : QDateTime::currentDateTime();
  const char separator = seams_.TimeSeparator ? seams_.TimeSeparator() : ':';
  const TProgramRequest request{job, std::filesystem::path(QFile::encodeName(path).toStdString()),
                                HeaderPathBytes(path.toStdU32String()),
                                FormatHeaderDateTime(now.date().year(), now.date().month(), now.date().day(),
                                                     now.time().hour(), now.time().minute(), separator)};
  GenerateWithProgress(this, request);
}

void TfrmSkimplane::btnGenerateClick() {
  RunHandler([this] {
    // A job that would be refused is refused before the user picks a file for it.
    const TCheckedJob job = CheckJob(ReadJobEntries());
    if (!seams_.ChooseSaveFile) return;
    const std::optional<QString> path = seams_.ChooseSaveFile(this);
    if (!path) return;
    try {
      GenerateCode(job, *path);
    } catch (const TGenerationCancelled&) {
      return;  // nothing written, nothing to report
    }
    if (seams_.ShowMessage) seams_.ShowMessage(this, ApplicationTitle(), QStringLiteral("Success."));
  });
}
