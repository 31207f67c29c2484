#pragma once
// The program as main() puts it together. The screenshot tool and the tests build it through these same
// functions, so what they check is the window a user sees: the skin (a style sheet changes how fonts are
// inherited and how focus is drawn), Qt's own dialogs in the window's language, the position keeper's
// restore before the creation handler, and error boxes at start-up that cannot end the program.

#include <QString>

#include <memory>

#include "app/AppSeams.h"

class QApplication;
class TfrmSkimplane;

// The application-wide look and language, once per process: skin, icon, Qt's standard dialogs and
// buttons in Simplified Chinese. The program ends when its main window closes (RunMainWindow), not when
// the last window does.
// Qt's own texts (dialog buttons, the tab bar's scroll buttons) in the language a program starts with,
// until a language pack names its own.
void UseDefaultQtLanguage();
void SetUpApplication(QApplication& app);

// The main window as the program opens it, not yet shown: built with `seams`, moved to its stored place,
// then through its creation handler.
[[nodiscard]] std::unique_ptr<TfrmSkimplane> CreateMainWindow(TAppSeams seams);
// The window with every control, the preview and the controller box installed, before its place is restored
// and its creation handler runs (CreateMainWindow does both).
[[nodiscard]] std::unique_ptr<TfrmSkimplane> BuildMainWindow(TAppSeams seams);

// The real seams: Qt's dialogs and boxes, the clock, the settings file beside the executable when its
// folder is writable, else in the user's configuration folder; packs also from the installed data.
[[nodiscard]] TAppSeams ProgramSeams();

// Shows the window and runs the event loop until it is closed; the window is destroyed (settings stored,
// position kept) before this returns the loop's exit code.
int RunMainWindow(QApplication& app, std::unique_ptr<TfrmSkimplane> form);
