// Takes a picture of the main window on each of its pages: skimplane_screenshots <folder>
// Run under a display (xvfb-run works) so the pictures show what a user sees.

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <utility>

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
  // By page, whatever their order on screen.
  const std::pair<const char*, const char*> pages[] = {{"tabFace", "page-face"},
                                                       {"tabKnit", "page-cutter"},
                                                       {"tabOption", "page-motion"},
                                                       {"tabMachining", "page-machining"},
                                                       {"tabAbout", "page-about"}};
  int failures = 0;
  for (int i = 0; i < form.PageControl1->PageCount(); ++i) {
    form.PageControl1->SetActivePageIndex(i);
    for (int k = 0; k < 10; ++k) app.processEvents();
    const QString page = form.PageControl1->Page(i)->objectName();
    const auto named = std::find_if(std::begin(pages), std::end(pages),
                                    [&](const auto& p) { return page == QLatin1String(p.first); });
    const QString name = named != std::end(pages) ? QLatin1String(named->second) : page;
    const QString path = QDir(folder).filePath(QStringLiteral("screenshot-%1.png").arg(name));
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
