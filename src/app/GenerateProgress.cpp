#include "app/GenerateProgress.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>

#include "toolpath/ProgramLimits.h"

namespace {

// Passes every line on to the file and, every so many lines, lets the dialog move and be cancelled.
class TProgressSink final : public TGCodeSink {
 public:
  TProgressSink(TGCodeSink& inner, std::uint64_t step, std::function<bool(std::uint64_t)> tick)
      : inner_(inner), step_(std::max<std::uint64_t>(step, 1)), tick_(std::move(tick)) {}
  void AddLine(std::string_view line) override {
    inner_.AddLine(line);
    if (++lines_ % step_ == 0 && !tick_(lines_)) throw TGenerationCancelled{};
  }
  void Save() override { inner_.Save(); }

 private:
  TGCodeSink& inner_;
  std::uint64_t step_;
  std::function<bool(std::uint64_t)> tick_;
  std::uint64_t lines_ = 0;
};

}  // namespace

TProgressOptions& GenerateProgressOptions() {
  static TProgressOptions options;
  return options;
}

void GenerateWithProgress(QWidget* parent, const TProgramRequest& request, const TProgressOptions& options) {
  CheckJob(request.Entries);
  const double estimate = EstimateProgramLines(request.Entries);
  if (!(estimate > options.MinLines)) {
    ::GenerateCode(request);
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

  TGCodeFileSink file(request.OutputPath);
  TProgressSink sink(file, options.StepLines, [&](std::uint64_t lines) {
    // The estimate is an upper bound; the bar stays short of the end until the program is complete.
    dialog.setValue(
        std::clamp(static_cast<int>(static_cast<double>(lines) / estimate * kSteps), 0, kSteps - 1));
    if (options.OnStep) options.OnStep(dialog);
    QCoreApplication::processEvents();
    return !dialog.wasCanceled();
  });
  TGCodeFile list(sink);
  WriteProgram(request, list);
  dialog.setValue(kSteps);
  list.Save();
}
