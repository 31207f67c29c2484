#include "app/HeaderPath.h"

#include <QStringEncoder>

std::string HeaderPathBytes(const QString& path) {
  QStringEncoder gbk("GBK");
  if (!gbk.isValid()) return path.toLatin1().toStdString();
  // The encoder puts "?" for every character it cannot encode, one for a whole surrogate pair.
  const QByteArray bytes = gbk.encode(path);
  return bytes.toStdString();
}
