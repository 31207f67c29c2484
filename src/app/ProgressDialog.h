#pragma once
// The progress dialog with Cancel that long runs show (Generate writing a large program, the preview
// reading one back): the bar is the share of the estimated lines done so far.

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

// When a run shows the dialog, and how often it looks at it.
struct TProgressOptions {
  // Runs estimated above this many lines get the dialog.
  double MinLines = 0;
  // The dialog is updated (and Cancel looked at) once per this many lines.
  std::uint64_t StepLines = 1;
  // Called at each update after the dialog has its value: lets tests press Cancel.
  std::function<void(QProgressDialog&)> OnStep;
};

// What Tick raises once the user has pressed Cancel. Not an error: nothing is shown for it.
struct TProgressCancelled {};

class TProgressDialog {
 public:
  // Opens the dialog, window-modal over `owner`, when `estimatedLines` is above options.MinLines;
  // otherwise there is none and the run goes without one.
  TProgressDialog(QWidget* owner, const TProgressOptions& options, double estimatedLines,
                  const QString& label, const QString& cancel, const QString& objectName);
  ~TProgressDialog();
  TProgressDialog(const TProgressDialog&) = delete;
  TProgressDialog& operator=(const TProgressDialog&) = delete;

  [[nodiscard]] bool Shown() const { return dialog_ != nullptr; }
  // Lines between two calls of Tick.
  [[nodiscard]] std::uint64_t Every() const;
  // `lines` done of the estimate; the bar fills `share` of its length over the estimate's lines. The estimate
  // is an upper bound, so the bar stays short of the end until the run is complete. Lets the events through
  // and raises TProgressCancelled when the user has cancelled.
  void Tick(std::uint64_t lines, double share = 1);

 private:
  const TProgressOptions& options_;
  double estimate_;
  std::unique_ptr<QProgressDialog> dialog_;
};
