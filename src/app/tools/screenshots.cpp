// Takes a picture of the main window on each of its four pages: skimplane_screenshots <folder>
// Run under a display (xvfb-run works) so the pictures show what a user sees.

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

#include "app/AppSeams.h"
#include "app/Application.h"
#include "app/PreviewWindow.h"
#include "app/Skimplane_form.h"
#include "app/Skin.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
  QDir().mkpath(folder);

  TAppSeams seams = DefaultSeams();
  // The pictures show the window as it opens the first time; no position is kept.
  seams.ExecutablePath = [] { return QStringLiteral("/nonexistent/skimplane"); };
  const std::unique_ptr<TfrmSkimplane> window = CreateMainWindow(seams);
  TfrmSkimplane& form = *window;
  form.show();
  const char* const names[] = {"page-face", "page-cutter", "page-motion", "page-about"};
  int failures = 0;
  for (int i = 0; i < form.PageControl1->PageCount(); ++i) {
    form.PageControl1->SetActivePageIndex(i);
    for (int k = 0; k < 10; ++k) app.processEvents();
    const QString path =
        QDir(folder).filePath(QStringLiteral("screenshot-%1.png").arg(QLatin1String(names[i])));
    const bool ok = form.grab().save(path, "PNG");
    failures += ok ? 0 : 1;
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  }
  form.PageControl1->SetActivePageIndex(0);

  // The preview of the job on screen, as the 预览 button opens it.
  TPreviewWindow preview;
  preview.SetJob(form.ReadJobEntries());
  preview.show();
  for (int k = 0; k < 10; ++k) app.processEvents();
  const QString path = QDir(folder).filePath(QStringLiteral("screenshot-preview.png"));
  const bool ok = preview.grab().save(path, "PNG");
  failures += ok ? 0 : 1;
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  return failures;
}
