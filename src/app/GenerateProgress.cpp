#include "app/GenerateProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>

#include "toolpath/ProgramLimits.h"

TProgressOptions& GenerateProgressOptions() {
  static TProgressOptions options;
  return options;
}

void GenerateWithProgress(QWidget* parent, const TProgramRequest& request, const TProgressOptions& options) {
  const double estimate = EstimateProgramLines(request.Job.Entries());
  if (!(estimate > options.MinLines)) {
    GenerateCode(request);
    return;
  }
  constexpr int kSteps = 1000;
  QProgressDialog dialog(QString::fromUtf8("正在生成程序…"), QString::fromUtf8("取消"), 0, kSteps, parent);
  dialog.setObjectName(QStringLiteral("dlgGenerateProgress"));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(0);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  dialog.setValue(0);
  const TProgressHook progress{
      options.StepLines, [&](std::uint64_t lines) {
        // The estimate is an upper bound; the bar stays short of the end until
        // the program is complete.
        dialog.setValue(
            std::clamp(static_cast<int>(static_cast<double>(lines) / estimate * kSteps), 0, kSteps - 1));
        if (options.OnStep) options.OnStep(dialog);
        QCoreApplication::processEvents();
        if (dialog.wasCanceled()) throw TGenerationCancelled{};
      }};
  GenerateCode(request, progress);
}
