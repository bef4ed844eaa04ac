#include "front_ends/qt/cp1252.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>

namespace quorvane::cp1252 {
namespace {

constexpr const char* kName = "windows-1252";

// 0x80..0x9F are where Windows-1252 differs from Latin-1. Unassigned bytes map to the C1
// control of the same number, as Qt's converter does, so both paths agree byte for byte.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

char16_t table_decode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

// -1 when the character has no byte.
int table_encode(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

bool qt_codec_available() {
  static const bool available = [] {
    QStringDecoder decoder(kName);
    QStringEncoder encoder(kName);
    if (!decoder.isValid() || !encoder.isValid()) return false;
    // Trust the converter only if it agrees with the table on every byte: some builds map the
    // unassigned bytes differently, and then a round trip would change the file.
    std::string all(256, '\0');
    for (int b = 0; b < 256; ++b) all[static_cast<std::size_t>(b)] = static_cast<char>(b);
    const QString text = decoder(QByteArrayView(all.data(), static_cast<qsizetype>(all.size())));
    if (decoder.hasError() || text.size() != 256) return false;
    for (int b = 0; b < 256; ++b) {
      if (text[b].unicode() != table_decode(static_cast<unsigned char>(b))) return false;
    }
    const QByteArray back = encoder(text);
    return !encoder.hasError() && back == QByteArray(all.data(), 256);
  }();
  return available;
}

bool ascii(std::string_view bytes) {
  for (char b : bytes) {
    if (static_cast<unsigned char>(b) >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool using_qt_codec() { return qt_codec_available(); }

QString decode(std::string_view bytes) {
  // ASCII reads the same in every code page: the converter (and the ICU data behind it, a
  // megabyte of memory) is only brought in for a text that needs it. Nearly all texts are ASCII.
  if (ascii(bytes)) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (qt_codec_available()) {
    QStringDecoder decoder(kName);
    return decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  }
  QString text;
  text.reserve(static_cast<qsizetype>(bytes.size()));
  for (char b : bytes) text.append(QChar(table_decode(static_cast<unsigned char>(b))));
  return text;
}

std::string encode(const QString& text) {
  bool plain = true;
  for (QChar c : text) plain = plain && c.unicode() < 0x80;
  if (plain) {
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
  }
  if (qt_codec_available()) {
    QStringEncoder encoder(kName);
    const QByteArray out = encoder(text);
    return std::string(out.constData(), static_cast<std::size_t>(out.size()));
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(text.size()));
  for (QChar c : text) {
    const int b = table_encode(c.unicode());
    bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return bytes;
}

bool storable(QChar c) {
  if (c.unicode() < 0x80) return true;
  if (qt_codec_available()) {
    QStringEncoder encoder(kName);
    // The conversion runs when its result is taken, not when the encoder is called.
    const QByteArray ignored = encoder(QStringView(&c, 1));
    return !encoder.hasError() && ignored.size() == 1;
  }
  return table_encode(c.unicode()) >= 0;
}

std::string from_utf8(std::string_view utf8) {
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  for (QChar& c : text) {
    if (!storable(c)) c = u'?';
  }
  return encode(text);
}

}  // namespace quorvane::cp1252
