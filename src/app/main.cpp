// skimplane: the facing-program generator's window.

#include <QApplication>
#include <QIcon>

#include "app/AppSeams.h"
#include "app/FormSettingsWindow.h"
#include "app/Skimplane_form.h"
#include "app/Skin.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ApplySkin(app);
  app.setWindowIcon(QIcon(QStringLiteral(":/skimplane/images/icon.png")));

  TAppSeams seams = DefaultSeams();
  UseSettingsFile(seams);

  TfrmSkimplane form(std::move(seams));
  // The window goes back where it was last closed before its creation handler runs.
  form.RunHandler([&form] { form.DVWinPos1->Loaded(); });
  form.FormCreate();
  form.show();
  const int rc = app.exec();
  // The window is destroyed when `form` goes out of scope: FormDestroy, then its components.
  return rc;
}
