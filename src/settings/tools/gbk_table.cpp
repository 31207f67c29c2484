// Writes GbkTable.inc: every character above ASCII that GBK holds, with its two bytes, as the platform's
// GBK codec encodes it and decodes it back to the same character. A character the codec only stands in
// for (a soft hyphen, a zero-width space) or drops is left out, so the header shows "?" for it.
//
// Run once when the table needs remaking:
//   skimplane_gbk_table > src/settings/GbkTable.inc

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cstdio>

int main() {
  QStringEncoder encoder("GBK");
  QStringDecoder decoder("GBK");
  if (!encoder.isValid() || !decoder.isValid()) {
    std::fputs("this Qt has no GBK codec\n", stderr);
    return 1;
  }
  std::puts(
      "// Made by src/settings/tools/gbk_table.cpp: {code point, GBK bytes}, by code point; a code below "
      "0x100 is one byte.");
  int count = 0;
  for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    // A fresh codec for each character: this Qt keeps an encoder's error flag through resetState().
    QStringEncoder encoder("GBK");
    QStringDecoder decoder("GBK");
    const QString ch = QChar::fromUcs4(c).operator QStringView().toString();  // keeps a byte-order mark
    const QByteArray bytes = encoder.encode(ch);
    const bool ok = !bytes.isEmpty() && !encoder.hasError() && QString(decoder.decode(bytes)) == ch &&
                    !decoder.hasError();
    if (!ok) continue;
    // One byte above ASCII (the euro sign's 0x80) or two; never more, and only for the first plane.
    if (bytes.size() > 2 || c > 0xFFFF || (bytes.size() == 1 && uchar(bytes[0]) < 0x80)) {
      std::fprintf(stderr, "U+%04X encodes to %d bytes\n", unsigned(c), int(bytes.size()));
      return 1;
    }
    const unsigned code =
        bytes.size() == 1 ? uchar(bytes[0]) : (unsigned(uchar(bytes[0])) << 8) | uchar(bytes[1]);
    std::printf("{0x%04X,0x%04X},%s", unsigned(c), code, ++count % 8 == 0 ? "\n" : "");
  }
  if (count % 8 != 0) std::puts("");
  std::fprintf(stderr, "%d characters\n", count);
  return 0;
}
