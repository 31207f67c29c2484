#include "app/ErrorBox.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

QString ApplicationTitleFromPath(const QString& executablePath) {
  QString name = QFileInfo(executablePath).fileName();
  const qsizetype dot = name.indexOf(QLatin1Char('.'));
  if (dot >= 0) name.truncate(dot);
  if (name.isEmpty()) return name;
  // The product's name, however the file is spelled: a Debian executable is all lower case by custom.
  return name.left(1).toUpper() + name.mid(1).toLower();
}

QString ErrorBoxText(const QString& message, const QString& chineseStop) {
  const bool chinese =
      std::any_of(message.begin(), message.end(), [](QChar c) { return c.script() == QChar::Script_Han; });
  const QString stop = chinese && !chineseStop.isEmpty() ? chineseStop : QStringLiteral(".");
  if (!message.isEmpty() && message.back() > QLatin1Char('.') && !message.endsWith(stop))
    return message + stop;
  return message;
}

QString MessageFromBytes(std::string_view bytes) {
  const QByteArray raw(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(raw);
  if (!utf8.hasError()) return text;
  QStringDecoder gbk("GBK");
  if (gbk.isValid()) {
    text = gbk.decode(raw);
    if (!gbk.hasError()) return text;
  }
  return QString::fromLatin1(raw);
}
