#include "front_ends/qt/cp1252.h"

#include <gtest/gtest.h>

#include <QStringDecoder>
#include <string>

#include "qstring_printer.h"
#include "settings/text_encoding.h"

namespace quorvane {
namespace {

TEST(Cp1252, EveryByteSurvivesTheTripThroughTheWidgets) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString text = cp1252::decode(all);
  ASSERT_EQ(text.size(), 256);
  EXPECT_EQ(cp1252::encode(text), all);
  for (QChar c : text) EXPECT_TRUE(cp1252::storable(c)) << int{c.unicode()};
}

// The core converts files saved as UTF-16 with a table of its own; it must agree with the codec
// the widgets use, byte for byte, or a value would change between the file and the window.
TEST(Cp1252, TheCoresTableAgreesWithTheWidgetsCodec) {
  int mapped = 0;
  for (int b = 0; b < 256; ++b) {
    const QString text = cp1252::decode(std::string(1, static_cast<char>(b)));
    ASSERT_EQ(text.size(), 1);
    EXPECT_EQ(cp1252_byte(text[0].unicode()), b) << b;
  }
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (cp1252_byte(c) < 0) continue;
    ++mapped;
    EXPECT_TRUE(cp1252::storable(QChar(static_cast<char16_t>(c)))) << static_cast<unsigned>(c);
  }
  EXPECT_EQ(mapped, 256);
}

TEST(Cp1252, MapsTheWindowsRangeAndRefusesWhatItCannotHold) {
  EXPECT_EQ(cp1252::decode("\x80\x9f\xe9"), QString::fromUtf8("\u20ac\u0178\u00e9"));
  EXPECT_EQ(cp1252::encode(QString::fromUtf8("\u2026\u00fc")), "\x85\xfc");
  EXPECT_FALSE(cp1252::storable(QChar(0x0100)));  // Latin A with macron
  EXPECT_FALSE(cp1252::storable(QChar(0x2192)));  // an arrow
  EXPECT_FALSE(cp1252::storable(QChar(0xD83D)));  // half of an emoji
}

// The widgets convert through the core's table; where Qt has a Windows-1252 codec of its own (it
// needs ICU, which the Linux builds have), the two agree on every byte.
TEST(Cp1252, TheCoresTableAgreesWithQtsOwnCodec) {
  QStringDecoder decoder("windows-1252");
#ifdef __linux__
  ASSERT_TRUE(decoder.isValid());
#endif
  if (!decoder.isValid()) GTEST_SKIP() << "this Qt has no Windows-1252 codec";
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const QString by_qt = decoder(QByteArrayView(all.data(), static_cast<qsizetype>(all.size())));
  EXPECT_EQ(by_qt, cp1252::decode(all));
}

}  // namespace
}  // namespace quorvane
