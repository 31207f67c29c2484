#pragma once
// Seams for driving the real main window in tests: every dialog, box, clock and settings step records
// what happened instead of waiting for a user.

#include <QStringList>

#include <optional>
#include <string>
#include <vector>

#include "app/AppSeams.h"

struct TBoxCall {
  QString title;
  QString text;
};

struct TSeamLog {
  std::optional<QString> savePath;  // what the save dialog answers; nothing = cancel
  int dialogCalls = 0;
  std::vector<TBoxCall> messages;
  std::vector<TBoxCall> errors;
  std::vector<std::string> steps;  // "load", "save" in the order they ran
  QDateTime now = QDateTime(QDate(2011, 6, 18), QTime(14, 5, 37));
  char timeSeparator = ':';
  QString executable = QStringLiteral("/opt/skimplane/bin/skimplane");
};

inline TAppSeams TestSeams(TSeamLog& log) {
  TAppSeams s;
  s.ChooseSaveFile = [&log](QWidget*) {
    ++log.dialogCalls;
    return log.savePath;
  };
  s.ShowMessage = [&log](QWidget*, const QString& title, const QString& text) {
    log.messages.push_back({title, text});
  };
  s.ShowError = [&log](QWidget*, const QString& title, const QString& text) {
    log.errors.push_back({title, text});
  };
  s.Now = [&log] { return log.now; };
  s.TimeSeparator = [&log] { return log.timeSeparator; };
  s.ExecutablePath = [&log] { return log.executable; };
  return s;
}
