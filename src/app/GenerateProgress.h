#pragma once
// Generate for large programs: a progress dialog with Cancel while the program streams to its file.
// Cancel stops the run before the temporary file replaces the target, so an existing file stays as it was.

#include <QString>

#include "app/ProgressDialog.h"
#include "app/WindowTexts.h"
#include "toolpath/GenerateCode.h"

class QWidget;

// Raised out of GenerateWithProgress when the user cancels. Not an error: nothing is shown for it.
using TGenerationCancelled = TProgressCancelled;

// Programs estimated above 5 million lines get the dialog: writing runs at roughly 5 to 15 million lines a
// second here, so this is somewhat under a second of work. The dialog is looked at every 65536 lines.
[[nodiscard]] TProgressOptions GenerateProgressDefaults();

// The dialog's words: what it is doing and its button; the window passes its pack's.
struct TGenerateProgressTexts {
  QString Working = TWindowTexts().Text("GenerateWorking");
  QString Cancel = TWindowTexts().Text("GenerateCancel");
};

// GenerateCode(request) with the dialog for a large program. Raises EDVError as GenerateCode does, and
// TGenerationCancelled when the user cancels.
void GenerateWithProgress(QWidget* parent, const TProgramRequest& request, const TProgressOptions& options,
                          const TGenerateProgressTexts& texts = {});
