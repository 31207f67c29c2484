#pragma once
// Generate for large programs: a progress dialog with Cancel while the program streams to its file.
// Cancel stops the run before the temporary file replaces the target, so an existing file stays as it was.

#include <cstdint>
#include <functional>

#include "toolpath/GenerateCode.h"

class QProgressDialog;
class QWidget;

// Thrown out of GenerateWithProgress when the user cancels. Not an error: nothing is shown for it.
struct TGenerationCancelled {};

struct TProgressOptions {
  // Programs estimated above this many lines get the dialog: writing runs at roughly 5 to 15 million
  // lines a second here, so this is somewhat under a second of work.
  double MinLines = 5'000'000;
  // The dialog is updated (and Cancel looked at) once per this many lines.
  std::uint64_t StepLines = 1 << 16;
  // Called at each update after the dialog has its value: lets tests press Cancel.
  std::function<void(QProgressDialog&)> OnStep;
};

// The options the main window's Generate uses (tests change them).
[[nodiscard]] TProgressOptions& GenerateProgressOptions();

// GenerateCode(request) with the dialog for a large program. Raises EDVError as GenerateCode does, and
// TGenerationCancelled when the user cancels.
void GenerateWithProgress(QWidget* parent, const TProgramRequest& request,
                          const TProgressOptions& options = GenerateProgressOptions());
