// skimplane: the facing-program generator's window.

#include <QApplication>

#include <iostream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/CommandLine.h"
#include "app/Skimplane_form.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  // Before QApplication: it needs a display, and --version must answer without one.
  if (AnswerInfoArguments(Arguments(argc, argv), std::cout)) return 0;
  QApplication app(argc, argv);
  // QApplication has taken its own options (-platform, -style, ...) out of argv.
  ReportUnknownArguments(Arguments(argc, argv), std::cerr);
  SetUpApplication(app);
  return RunMainWindow(app, CreateMainWindow(ProgramSeams()));
}
