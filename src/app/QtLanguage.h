#pragma once
// The language of Qt's own texts: the standard dialogs' and buttons' words. Set once at start-up and again
// whenever a language pack is chosen.

#include <QString>

// Qt's standard dialogs and buttons in the language of `locale` ("zh_CN", "zh_TW", "en", ...). English
// is Qt's own; a locale without a translation on this machine leaves Qt's texts in English.
void UseQtLanguage(const QString& locale);
// The locale of the translation in use ("zh_CN" after SetUpApplication, "en" for Qt's own texts).
[[nodiscard]] QString QtLanguage();
