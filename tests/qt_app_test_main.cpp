// GoogleTest entry point for the tests of the program's window: the application is set up exactly as
// the program's main() sets it up (skin, Qt's translations, icon), so the tests see the window users see.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/Application.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetUpApplication(app);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
