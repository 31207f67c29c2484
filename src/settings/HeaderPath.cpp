#include "settings/HeaderPath.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

std::string HeaderPathBytes(const QString& text) {
  std::string out;
  QStringEncoder encoder("GBK");
  QStringDecoder decoder("GBK");
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype width =
        (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
    const QString ch = text.mid(i, width);
    i += width;
    if (width == 1 && ch[0].unicode() < 0x80) {
      out += static_cast<char>(ch[0].unicode());
      continue;
    }
    // One character at a time, checked by decoding it again: a codec that drops or substitutes an
    // unmappable character must not slip that into the file.
    const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(ch)) : QByteArray();
    const bool ok = !bytes.isEmpty() && !encoder.hasError() && QString(decoder.decode(bytes)) == ch &&
                    !decoder.hasError();
    out += ok ? bytes.toStdString() : std::string("?");
    encoder.resetState();
    decoder.resetState();
  }
  return out;
}

std::string HeaderPathBytesOfLocalPath(const std::string& localPath) {
  return HeaderPathBytes(QFile::decodeName(QByteArray::fromStdString(localPath)));
}
