#include "app/GenerateProgress.h"

#include <QString>

#include "toolpath/ProgramLimits.h"

TProgressOptions GenerateProgressDefaults() {
  return {5'000'000, 1 << 16, {}};
}

void GenerateWithProgress(QWidget* parent, const TProgramRequest& request, const TProgressOptions& options,
                          const TGenerateProgressTexts& texts) {
  TProgressDialog dialog(parent, options, request.Job.EstimatedLines(), texts.Working, texts.Cancel,
                         QStringLiteral("dlgGenerateProgress"));
  if (!dialog.Shown()) {
    GenerateCode(request);
    return;
  }
  GenerateCode(request, {dialog.Every(), [&dialog](std::uint64_t lines) { dialog.Tick(lines); }});
}
