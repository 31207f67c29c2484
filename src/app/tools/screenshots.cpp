// Takes a picture of the main window on each of its pages: skimplane_screenshots <folder>
// The window in Simplified Chinese and the preview go into the folder, the window with each shipped language
// pack into its "languages" folder. Run under a display (xvfb-run works) so the pictures show what a user
// sees.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTimer>

#include <cstdio>
#include <exception>

#include "app/AppSeams.h"
#include "app/Application.h"
#include "app/FormSettingsWindow.h"
#include "app/PreviewWindow.h"
#include "app/Skimplane_form.h"
#include "app/Skin.h"
#include "dvTools/dvIniTools.h"
#include "settings/LanguagePack.h"

namespace {

bool Save(QWidget& window, const QString& path) {
  const bool ok = window.grab().save(path, "PNG");
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
  return ok;
}

// Each page of the window on show, as <prefix>page-<name>.png in `folder`; returns the failures. A page is
// named by its object, whatever its place on screen: the four first pages keep the names the documents show.
int SavePages(TfrmSkimplane& form, const QString& folder, const QString& prefix) {
  const QHash<QString, QString> names = {{"tabFace", "face"},
                                         {"tabKnit", "cutter"},
                                         {"tabOption", "motion"},
                                         {"tabAbout", "about"}};
  int failures = 0;
  for (int i = 0; i < form.PageControl1->PageCount(); ++i) {
    form.PageControl1->SetActivePageIndex(i);
    for (int k = 0; k < 10; ++k) QApplication::processEvents();
    const QString page = form.PageControl1->Page(i)->objectName();
    const QString name = names.value(page, page.mid(3).toLower());
    const QString file = QStringLiteral("screenshot-%1page-%2.png").arg(prefix, name);
    failures += Save(form, QDir(folder).filePath(file)) ? 0 : 1;
  }
  form.PageControl1->SetActivePageIndex(0);
  return failures;
}

// The window as it opens the first time (no position kept, no settings), then with the shipped pack.
std::unique_ptr<TfrmSkimplane> NewWindow(const QString& pack = {}) {
  TAppSeams seams = DefaultSeams();
  seams.ExecutablePath = [] { return QStringLiteral("/nonexistent/skimplane"); };
  auto form = CreateMainWindow(seams);
  if (!pack.isEmpty()) {
    TDVIniFile ini;
    TFormSettingsWindow window(*form);
    LoadLanguagePack(ini, window, QFile::encodeName(pack).toStdString());
  }
  form->show();
  return form;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
  QDir().mkpath(folder);

  int failures = 0;
  {
    const std::unique_ptr<TfrmSkimplane> form = NewWindow();
    failures += SavePages(*form, folder, QString());

    // The preview of the job on screen, as the 预览 button opens it.
    TPreviewWindow preview;
    preview.SetJob(form->ReadJobEntries());
    preview.show();
    for (int k = 0; k < 10; ++k) app.processEvents();
    failures += Save(preview, QDir(folder).filePath(QStringLiteral("screenshot-preview.png"))) ? 0 : 1;
  }

  // The shipped packs, from beside the program as the build puts them.
  const QString languages = QDir(folder).filePath(QStringLiteral("languages"));
  QDir().mkpath(languages);
  const struct {
    const char* prefix;
    const char* pack;
  } packs[] = {{"english-", "English.lng"}, {"traditional-", "Chinese-Traditional.lng"}};
  for (const auto& p : packs) {
    try {
      const std::unique_ptr<TfrmSkimplane> form =
          NewWindow(QApplication::applicationDirPath() + QStringLiteral("/packs/") + QLatin1String(p.pack));
      failures += SavePages(*form, languages, QLatin1String(p.prefix));
    } catch (const std::exception& e) {
      std::printf("FAILED %s: %s\n", p.pack, e.what());
      ++failures;
    }
  }
  return failures;
}
