#pragma once
// Everything the main window needs from the machine and the user outside its own controls. The real
// program fills these with Qt's dialogs, message boxes and clock (DefaultSeams()); tests fill them with
// plain functions so they never block and never depend on the machine.

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <functional>
#include <optional>

class QWidget;
class TfrmSkimplane;

struct TAppSeams {
  // The save dialog of Generate: the chosen full path, or nothing on cancel.
  std::function<std::optional<QString>(QWidget* parent)> ChooseSaveFile;
  // A modal box with a text and an OK button ("Success.").
  std::function<void(QWidget* parent, const QString& title, const QString& text)> ShowMessage;
  // The error box: error sign, the text, an OK button.
  std::function<void(QWidget* parent, const QString& title, const QString& text)> ShowError;
  // The local clock and the time separator of the user's settings, for the program header.
  std::function<QDateTime()> Now;
  std::function<char()> TimeSeparator;
  // The executable's full path: the settings and language packs lie beside it, and the error box takes
  // the application's title from its name.
  std::function<QString()> ExecutablePath;
  // The folder of Skimplane.ini and Skimplane.reg; empty function: beside the executable.
  std::function<QString()> SettingsFolder;
  // Where a language pack missing beside the executable is looked for next (the installed program's
  // share/skimplane/); empty function: nowhere.
  std::function<QString()> InstalledDataFolder;
  // The settings steps of the creation handler (restore entries, apply a language pack) and of the
  // destruction handler (store entries). Empty: nothing is read or written.
  std::function<void(TfrmSkimplane& form)> LoadSettings;
  std::function<void(TfrmSkimplane& form)> SaveSettings;
};

// The real dialogs, boxes and clock. The save dialog keeps its last path and filter for the run.
[[nodiscard]] TAppSeams DefaultSeams();

// The Generate save dialog's filters, turned from the "Description|pattern|..." list into Qt's name
// filters. "*.*" means every file, also one without an extension.
[[nodiscard]] QStringList SaveDialogNameFilters();

// The time separator of a locale: the character between the hour and the minute of its short time format
// (':' when the format has none or it is not a single ASCII character).
[[nodiscard]] char TimeSeparatorOf(const QLocale& locale);
