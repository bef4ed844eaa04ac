#pragma once

// Text as Notepad saves it when told "Unicode": a byte-order mark, then UTF-16 code units.

#include <string>
#include <string_view>

namespace quorvane::testing {

inline std::string utf16_file(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char hi = static_cast<char>(unit >> 8);
    const char lo = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? hi : lo;
    bytes += big_endian ? lo : hi;
  }
  return bytes;
}

// Windows-1252 text without bytes of the 0x80..0x9F range (where it parts from Latin-1) as UTF-16.
inline std::u16string widen(std::string_view latin1) {
  std::u16string text;
  for (const char c : latin1) text += static_cast<char16_t>(static_cast<unsigned char>(c));
  return text;
}

}  // namespace quorvane::testing
