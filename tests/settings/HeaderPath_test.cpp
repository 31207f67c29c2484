#include "settings/HeaderPath.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <random>

namespace {

// Qt's GBK codec, one character at a time and checked by decoding back: what the built-in table was made
// from. A fresh codec for each character, as this Qt keeps an encoder's error flag through resetState().
std::string QtGbk(const QString& text) {
  std::string out;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype width =
        (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
    const QString ch = text.mid(i, width);
    i += width;
    if (width == 1 && ch[0].unicode() < 0x80) {
      out += static_cast<char>(ch[0].unicode());
      continue;
    }
    QStringEncoder encoder("GBK");
    QStringDecoder decoder("GBK");
    const QByteArray bytes = encoder.encode(ch);
    const bool ok = !bytes.isEmpty() && !encoder.hasError() && QString(decoder.decode(bytes)) == ch &&
                    !decoder.hasError();
    out += ok ? bytes.toStdString() : std::string("?");
  }
  return out;
}

}  // namespace

TEST(HeaderPath, GbkBytesWithQuestionMarksForTheRest) {
  const struct {
    const char* path;  // UTF-8
    std::string gbk;
  } rows[] = {
      {"/tmp/plate.nc", "/tmp/plate.nc"},
      {"/tmp/\xe5\xb9\xb3\xe9\x9d\xa2.nc", "/tmp/\xc6\xbd\xc3\xe6.nc"},  // 平面
      {"/\xE6\x95\xB0\xE6\x8E\xA7/a.nc", "/\xCA\xFD\xBF\xD8/a.nc"},      // 数控
      {"/tmp/caf\xc3\xa9.nc", "/tmp/caf\xa8\xa6.nc"},
      {"/tmp/\xc3\x9f\xf0\x9f\x98\x80.nc", "/tmp/??.nc"},  // sharp s and an emoji (one "?" per character)
      {"/\xED\x95\x9C.nc", "/?.nc"},                       // Hangul syllable, which GBK lacks
      {"/\xe2\x82\xac.nc", "/\x80.nc"},  // the euro sign is GBK's one single byte above ASCII
      // What the codec would silently drop is marked too: a soft hyphen and a zero-width space.
      {"/tmp/a\xc2\xad"
       "b\xe2\x80\x8b.nc",
       "/tmp/a?b?.nc"},
      // A character GBK lacks does not spoil the next one (Qt's codec, reused, did).
      {"/\xc3\x9f\xe5\xb9\xb3", "/?\xc6\xbd"},
      // Bytes that are not UTF-8: one "?" each.
      {"/a\xff\xfe.nc", "/a??.nc"},
      {"/\xc0\xaf", "/??"},       // an overlong slash
      {"/\xed\xa0\x80", "/???"},  // an encoded surrogate
      {"/\xe5\xb9", "/??"},       // cut short at the end
      {"/\xe5\xb9/",
       "/??"
       "/"},  // cut short before a slash
  };
  for (const auto& r : rows) {
    EXPECT_EQ(HeaderPathBytesOfUtf8(r.path), r.gbk) << r.path;
    EXPECT_EQ(HeaderPathBytes(QString::fromUtf8(r.path).toStdU32String()), QtGbk(QString::fromUtf8(r.path)))
        << r.path;
  }
}

// The built-in table against Qt's codec, character by character over all of Unicode.
TEST(HeaderPath, SameAsQtsCodecForEveryCharacter) {
  int mismatches = 0;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const QString text =
        QChar::fromUcs4(c).operator QStringView().toString();  // fromUcs4(&c, 1) would drop a byte-order mark
    const std::string expected = QtGbk(text);
    if (HeaderPathBytes(std::u32string(1, c)) != expected && ++mismatches < 10)
      ADD_FAILURE() << "U+" << std::hex << unsigned(c);
  }
  EXPECT_EQ(mismatches, 0);
}

// File names that are not UTF-8 read as Qt's file-name decoding reads them, byte for byte.
TEST(HeaderPath, SameAsQtsFileNameDecodingForRandomBytes) {
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> length(1, 12), byte(0, 255), plain(0, 3);
  for (int n = 0; n < 20000; ++n) {
    std::string name;
    for (int i = length(random); i > 0; --i)
      name += static_cast<char>(plain(random) == 0 ? 'a' : byte(random));
    const QString decoded = QFile::decodeName(QByteArray::fromStdString(name));
    ASSERT_EQ(HeaderPathBytesOfUtf8(name), QtGbk(decoded))
        << QByteArray::fromStdString(name).toHex().toStdString();
  }
}
