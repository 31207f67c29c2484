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

TJobEntries TfrmSkimplane::ReadJobEntries() const {
  TJobEntries e;
  for (const TNumberField& f : kNumberFields) {
    const auto* spin = findChild<TSpinEdit*>(QLatin1String(f.Control));
    f.Set(e, f.Kind == TFieldKind::fkFloat ? spin->Value() : spin->IntValue());
  }
  e.ZUpAbs = opnZUpAbs->isChecked();
  for (const TStrategy& s : kStrategies)
    if (findChild<QRadioButton*>(QLatin1String(s.Button))->isChecked()) e.Mode = s.Mode;
  e.ClearEnd = chkClearEnd->isChecked();
  e.FinishCentre = FinishCentre;
  const TControllerEntry controller = ControllerEntry(cmbController->currentIndex());
  e.Dialect = controller.Dialect;
  e.Coolant = controller.Coolant;
  e.Dwell = Dwell;
  return e;
}

void TfrmSkimplane::GenerateCode(const TCheckedJob& job, const QString& path) {
  const QDateTime now = seams_.Now ? seams_.Now() : QDateTime::currentDateTime();
  const char separator = seams_.TimeSeparator ? seams_.TimeSeparator() : ':';
  const TProgramRequest request{job, std::filesystem::path(QFile::encodeName(path).toStdString()),
                                HeaderPathBytes(path.toStdU32String()),
                                FormatHeaderDateTime(now.date().year(), now.date().month(), now.date().day(),
                                                     now.time().hour(), now.time().minute(), separator)};
  GenerateWithProgress(this, request, GenerateProgress);
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
