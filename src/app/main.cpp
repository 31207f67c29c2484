// skimplane: the facing-program generator's window.

#include <QApplication>

#include "app/Application.h"
#include "app/Skimplane_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SetUpApplication(app);
  return RunMainWindow(app, CreateMainWindow(ProgramSeams()));
}
