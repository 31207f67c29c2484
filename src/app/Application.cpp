#include "app/Application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

#include "app/ControllerChoice.h"
#include "app/FormSettingsWindow.h"
#include "app/PreviewWindow.h"
#include "app/QtLanguage.h"
#include "app/Skimplane_form.h"
#include "app/Skin.h"
#include "settings/ProgramFolders.h"

namespace {

constexpr const char* kDefaultQtLanguage = "zh_CN";

}  // namespace

void UseDefaultQtLanguage() {
  UseQtLanguage(QLatin1String(kDefaultQtLanguage));
}

void SetUpApplication(QApplication& app) {
  ApplySkin(app);
  app.setWindowIcon(QIcon(QStringLiteral(":/skimplane/images/icon.png")));
  UseDefaultQtLanguage();
  // The program ends when its main window closes, never because some other window was the last one to
  // close: an error box closed before the main window is shown would otherwise end the program as soon
  // as the event loop starts, and the exit's own steps would never be seen.
  app.setQuitOnLastWindowClosed(false);
}

std::unique_ptr<TfrmSkimplane> BuildMainWindow(TAppSeams seams) {
  auto form = std::make_unique<TfrmSkimplane>(std::move(seams));
  // What the specified window does not have: the preview and the controller box.
  form->PreviewProgress = PreviewProgressDefaults();
  InstallPreview(*form);
  InstallControllerChoice(*form);
  form->FinishControls();
  return form;
}

std::unique_ptr<TfrmSkimplane> CreateMainWindow(TAppSeams seams) {
  auto form = BuildMainWindow(std::move(seams));
  // The window goes back where it was last closed before its creation handler runs.
  form->RunHandler([&form] { form->DVWinPos1->Loaded(); });
  form->FormCreate();
  return form;
}

TAppSeams ProgramSeams() {
  TAppSeams seams = DefaultSeams();
  // Decided once per run: the executable's folder when it is writable (a portable copy), else the
  // user's configuration folder (an installed program).
  const QString exeFolder = QFileInfo(seams.ExecutablePath()).absolutePath();
  const TProgramFolders folders = ProgramFolders(QFile::encodeName(exeFolder).toStdString());
  const QString settings = QFile::decodeName(folders.Settings.c_str());
  const QString installed = QFile::decodeName(folders.InstalledData.c_str());
  seams.SettingsFolder = [settings] { return settings; };
  seams.InstalledDataFolder = [installed] { return installed; };
  UseSettingsFile(seams);
  return seams;
}

int RunMainWindow(QApplication& app, std::unique_ptr<TfrmSkimplane> form) {
  QObject::connect(form.get(), &TfrmSkimplane::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  form->show();
  const int rc = app.exec();
  // FormDestroy (the settings), then the components (the position keeper) go with the window.
  form.reset();
  return rc;
}
