#include "view_suite.h"

#include <array>

#include "settings/text_encoding.h"

namespace quorvane::testing {

std::u16string shown(std::string_view bytes) {
  // The characters of the 256 bytes, from the one table the core keeps (U+2122 is the highest).
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (char32_t c = 0; c <= 0x2122; ++c) {
      const int byte = cp1252_byte(c);
      if (byte >= 0 && t[static_cast<std::size_t>(byte)] == 0) {
        t[static_cast<std::size_t>(byte)] = static_cast<char16_t>(c);
      }
    }
    return t;
  }();
  std::u16string out;
  for (const char b : bytes) out += table[static_cast<unsigned char>(b)];
  return out;
}

std::u16string utf16(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (int k = 1; k < length && i + static_cast<std::size_t>(k) < utf8.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    i += static_cast<std::size_t>(length);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::u16string drawn_entry(std::u16string_view text, bool* mnemonic) {
  std::u16string out;
  bool marked = false;
  for (std::size_t i = 0; i < text.size() && text[i] != u'\t'; ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) {
      if (text[i + 1] != u'&') marked = true;
      ++i;
    }
    out += text[i];
  }
  if (mnemonic != nullptr) *mnemonic = marked;
  return out;
}

}  // namespace quorvane::testing
