#include "app/ProgressDialog.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>

namespace {

constexpr int kSteps = 1000;

}  // namespace

TProgressDialog::TProgressDialog(QWidget* owner, const TProgressOptions& options, double estimatedLines,
                                 const QString& label, const QString& cancel, const QString& objectName)
    : options_(options), estimate_(estimatedLines) {
  if (!(estimatedLines > options.MinLines)) return;
  dialog_ = std::make_unique<QProgressDialog>(label, cancel, 0, kSteps, owner);
  dialog_->setObjectName(objectName);
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->setMinimumDuration(0);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setValue(0);
}

TProgressDialog::~TProgressDialog() = default;

std::uint64_t TProgressDialog::Every() const {
  return std::max<std::uint64_t>(options_.StepLines, 1);
}

void TProgressDialog::Tick(std::uint64_t lines, double share) {
  if (!dialog_) return;
  dialog_->setValue(
      std::clamp(static_cast<int>(static_cast<double>(lines) / estimate_ * kSteps * share), 0, kSteps - 1));
  if (options_.OnStep) options_.OnStep(*dialog_);
  QCoreApplication::processEvents();
  if (dialog_->wasCanceled()) throw TProgressCancelled{};
}
