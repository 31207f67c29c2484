#include "app/Application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/FormSettingsWindow.h"
#include "app/Skimplane_form.h"
#include "app/Skin.h"

namespace {

constexpr const char* kDefaultQtLanguage = "zh_CN";

struct TQtTranslation {
  QTranslator translator;
  QString locale = QStringLiteral("en");
  bool installed = false;
};

TQtTranslation& Translation() {
  static TQtTranslation translation;
  return translation;
}

}  // namespace

void UseQtLanguage(const QString& locale) {
  TQtTranslation& t = Translation();
  if (t.installed) QCoreApplication::removeTranslator(&t.translator);
  t.installed = false;
  t.locale = QStringLiteral("en");
  if (locale.isEmpty() || locale.startsWith(QLatin1String("en"))) return;
  if (!t.translator.load(QStringLiteral("qtbase_") + locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return;
  t.installed = QCoreApplication::installTranslator(&t.translator);
  if (t.installed) t.locale = locale;
}

QString QtLanguage() {
  return Translation().locale;
}

void SetUpApplication(QApplication& app) {
  ApplySkin(app);
  app.setWindowIcon(QIcon(QStringLiteral(":/skimplane/images/icon.png")));
  UseQtLanguage(QLatin1String(kDefaultQtLanguage));
}

std::unique_ptr<TfrmSkimplane> CreateMainWindow(TAppSeams seams) {
  auto form = std::make_unique<TfrmSkimplane>(std::move(seams));
  // An error box closed before the window is shown would otherwise be the last window to close, and Qt
  // would end the program: Close would then quit without the exit's own steps being seen.
  const bool quitOnLastWindow = QGuiApplication::quitOnLastWindowClosed();
  QGuiApplication::setQuitOnLastWindowClosed(false);
  // The window goes back where it was last closed before its creation handler runs.
  form->RunHandler([&form] { form->DVWinPos1->Loaded(); });
  form->FormCreate();
  QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
  return form;
}

TAppSeams ProgramSeams() {
  TAppSeams seams = DefaultSeams();
  UseSettingsFile(seams);
  return seams;
}

int RunMainWindow(QApplication& app, std::unique_ptr<TfrmSkimplane> form) {
  form->show();
  const int rc = app.exec();
  // FormDestroy (the settings), then the components (the position keeper) go with the window.
  form.reset();
  return rc;
}
