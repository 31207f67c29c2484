#pragma once
// The application's error box rules. Qt has no central error handler, so every handler of the window
// catches at its edge and shows the message through these rules.

#include <QString>

#include <string_view>

// The application's title: the executable's file name up to its first dot, the first letter upper case
// and every later letter lower case ("SKIMPLANE.EXE" and "/usr/bin/skimplane" both give "Skimplane").
[[nodiscard]] QString ApplicationTitleFromPath(const QString& executablePath);

// The text shown for an error: the message, plus a full stop when its last character sorts above ".".
// Messages that already end in a full stop, a closing quote or a blank are shown as they are. A message
// that holds a Chinese character takes `chineseStop` ("。") instead, unless it ends in that already.
[[nodiscard]] QString ErrorBoxText(const QString& message, const QString& chineseStop = QStringLiteral("."));

// The in-house code carries its messages as 8-bit bytes: UTF-8 where they come from our own texts and
// file names, GBK where they quote bytes from a Chinese INI file. Shows both correctly.
[[nodiscard]] QString MessageFromBytes(std::string_view bytes);
