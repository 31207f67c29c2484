#include "app/QtLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

struct TQtTranslation {
  QTranslator translator;
  QString locale = QStringLiteral("en");
  bool installed = false;
};

TQtTranslation& Translation() {
  static TQtTranslation translation;
  return translation;
}

}  // namespace

void UseQtLanguage(const QString& locale) {
  TQtTranslation& t = Translation();
  if (t.installed) QCoreApplication::removeTranslator(&t.translator);
  t.installed = false;
  t.locale = QStringLiteral("en");
  if (locale.isEmpty() || locale.startsWith(QLatin1String("en"))) return;
  if (!t.translator.load(QStringLiteral("qtbase_") + locale,
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return;
  t.installed = QCoreApplication::installTranslator(&t.translator);
  if (t.installed) t.locale = locale;
}

QString QtLanguage() {
  return Translation().locale;
}
