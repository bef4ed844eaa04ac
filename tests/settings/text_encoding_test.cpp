#include "settings/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "utf16.h"

namespace quorvane {
namespace {

using testing::utf16_file;

TEST(TextEncoding, Utf16InEitherByteOrderBecomesTheSameWindows1252) {
  // The Windows range (euro sign, curly quotes), Latin-1 and the C1 control Windows keeps.
  const std::u16string text = u"\r\n[path]\r\nconfig=C:\\\u00c9mu \u20ac\u201c\u0081\u00ff\r\n";
  const std::string expected = "\r\n[path]\r\nconfig=C:\\\xC9mu \x80\x93\x81\xFF\r\n";
  for (const bool big_endian : {false, true}) {
    const std::string bytes = utf16_file(text, big_endian);
    EXPECT_TRUE(starts_with_utf16_mark(bytes));
    EXPECT_EQ(utf16_to_cp1252(bytes), expected) << (big_endian ? "BE" : "LE");
  }
  EXPECT_EQ(utf16_to_cp1252(utf16_file(u"", false)), "");
  EXPECT_FALSE(starts_with_utf16_mark("\xEF\xBB\xBF[path]"));
  EXPECT_FALSE(starts_with_utf16_mark("\xFF"));
}

// The line of the offending character, counted as the reader cuts lines.
TEST(TextEncoding, WhatWindows1252CannotHoldFailsNamingItsLine) {
  struct Case {
    std::u16string text;
    int line;
    const char* says;
  };
  const Case cases[] = {
      {u"[path]\r\nconfig=\u4e2d", 2, "holds the character \"\u4e2d\" (U+4E2D)"},
      {u"a\nb\rc\r\n\r\nd=\U0001F600", 5, "(U+1F600), which Windows-1252 cannot hold"},
      {u"\u0080", 1, "(U+0080)"},  // a C1 control that Windows-1252 puts the euro sign on
      {u"a\r\nb\xD800", 2, "lone surrogate, U+D800"},
      {u"\xDC00\r\n", 1, "lone surrogate, U+DC00"},
  };
  for (const Case& c : cases) {
    for (const bool big_endian : {false, true}) {
      try {
        utf16_to_cp1252(utf16_file(c.text, big_endian));
        ADD_FAILURE() << "converted line " << c.line;
      } catch (const EncodingError& error) {
        EXPECT_EQ(error.line(), c.line) << error.what();
        EXPECT_EQ(std::string(error.what()).rfind("line " + std::to_string(c.line) + " ", 0), 0u)
            << error.what();
        EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
      }
    }
  }
  try {
    utf16_to_cp1252(utf16_file(u"a\r\nb", false) + "c");
    ADD_FAILURE() << "converted an odd number of bytes";
  } catch (const EncodingError& error) {
    EXPECT_EQ(error.line(), 2);
    EXPECT_NE(std::string(error.what()).find("half a character"), std::string::npos);
  }
}

TEST(TextEncoding, Utf8ForDisplayKeepsWhatItCanAndMarksTheRest) {
  EXPECT_EQ(utf8_to_cp1252_for_display("/home/z\u00f6e/\u20ac/VOZ.INI"),
            "/home/z\xF6"
            "e/\x80/VOZ.INI");
  EXPECT_EQ(utf8_to_cp1252_for_display("/\u4e2d\U0001F600/"),
            "/?"
            "?/");
  // Not UTF-8: a stray continuation byte, a cut-off sequence, an overlong "/".
  EXPECT_EQ(utf8_to_cp1252_for_display("a\x80z\xE2\x82"), "a?z??");
  EXPECT_EQ(utf8_to_cp1252_for_display("\xC0\xAF"), "??");
}

}  // namespace
}  // namespace quorvane
