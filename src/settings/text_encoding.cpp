#include "settings/text_encoding.h"

#include <algorithm>
#include <array>
#include <optional>

namespace quorvane {

namespace {

// What Windows-1252 puts at 0x80..0x9F, where it parts from Latin-1. 0 marks the five bytes it
// leaves unassigned, which stand for the C1 control of their own number.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88..8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98..9F
};

// "U+00E9", "U+1F600": at least four hex digits, as Unicode writes them. By hand rather than
// through snprintf, whose formatter would be most of what the Windows build takes from the C
// library.
std::string code_point_name(char32_t c) {
  std::string digits;
  for (char32_t rest = c; rest != 0 || digits.size() < 4; rest >>= 4) {
    digits.insert(digits.begin(), "0123456789ABCDEF"[rest & 0xFu]);
  }
  return "U+" + digits;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Counts lines as the reader cuts them: CR LF, LF and a lone CR each end one.
class LineCounter {
 public:
  void see(char32_t c) {
    if (c == '\n' && !after_cr_) ++line_;
    if (c == '\r') ++line_;
    after_cr_ = c == '\r';
  }
  int line() const { return line_; }

 private:
  int line_ = 1;
  bool after_cr_ = false;
};

}  // namespace

int cp1252_byte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    const char32_t at = kHighControls[i] != 0 ? kHighControls[i] : static_cast<char32_t>(0x80 + i);
    if (at == c) return static_cast<int>(0x80 + i);
  }
  return -1;
}

char32_t cp1252_char(unsigned char byte) {
  if (byte < 0x80 || byte > 0x9F) return byte;
  const char32_t c = kHighControls[byte - 0x80];
  return c != 0 ? c : byte;
}

std::string cp1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char b : bytes) append_utf8(out, cp1252_char(static_cast<unsigned char>(b)));
  return out;
}

std::u16string cp1252_to_utf16(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  // Every character of the table lies in the Basic Multilingual Plane: one unit each.
  for (char b : bytes)
    text.push_back(static_cast<char16_t>(cp1252_char(static_cast<unsigned char>(b))));
  return text;
}

std::string cp1252_from_utf16(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t c : text) {
    const int b = cp1252_byte(c);
    bytes.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return bytes;
}

bool starts_with_utf16_mark(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

namespace {

std::string decode_utf16(std::string_view bytes, bool big_endian) {
  const auto unit = [&](std::size_t at) {
    const auto hi = static_cast<unsigned char>(bytes[big_endian ? at : at + 1]);
    const auto lo = static_cast<unsigned char>(bytes[big_endian ? at + 1 : at]);
    return static_cast<char32_t>(hi << 8 | lo);
  };

  std::string out;
  out.reserve(bytes.size() / 2);
  LineCounter lines;
  std::size_t at = 0;
  for (; at + 1 < bytes.size(); at += 2) {
    char32_t c = unit(at);
    if (c >= 0xD800 && c <= 0xDBFF && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 &&
        unit(at + 2) <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
      at += 2;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      throw EncodingError(lines.line(), "line " + std::to_string(lines.line()) +
                                            " is not valid UTF-16: it holds a lone surrogate, " +
                                            code_point_name(c));
    }
    const int byte = cp1252_byte(c);
    if (byte < 0) {
      std::string shown;
      append_utf8(shown, c);
      throw EncodingError(
          lines.line(), "line " + std::to_string(lines.line()) + " holds the character \"" + shown +
                            "\" (" + code_point_name(c) + "), which Windows-1252 cannot hold");
    }
    lines.see(c);
    out += static_cast<char>(byte);
  }
  if (at < bytes.size()) {
    throw EncodingError(lines.line(), "line " + std::to_string(lines.line()) +
                                          " is not valid UTF-16: the file ends in half a "
                                          "character");
  }
  return out;
}

}  // namespace

std::string utf16_to_cp1252(std::string_view bytes) {
  const bool big_endian = bytes.starts_with("\xFE\xFF");
  return decode_utf16(bytes.substr(2), big_endian);
}

Utf16Order unmarked_utf16_order(std::string_view bytes) {
  // The start is enough to tell, and a very large file is not read twice.
  const std::size_t units = std::min<std::size_t>(bytes.size() / 2, 4096);
  if (units == 0) return Utf16Order::kNone;
  std::size_t zero_high[2] = {0, 0};  // units whose byte 1 (little-endian) or byte 0 is zero
  std::size_t zero_unit = 0;
  for (std::size_t i = 0; i < units; ++i) {
    const bool first = bytes[2 * i] == '\0';
    const bool second = bytes[2 * i + 1] == '\0';
    if (first && second)
      ++zero_unit;
    else if (second)
      ++zero_high[0];
    else if (first)
      ++zero_high[1];
  }
  // Mostly characters with a zero on one side, and no zero character: a settings file's text
  // (its comments and keys are ASCII) in UTF-16. Anything else is left to be read as bytes.
  const auto text_of = [&](std::size_t ascii) { return zero_unit == 0 && ascii * 4 >= units * 3; };
  if (text_of(zero_high[0])) return Utf16Order::kLittleEndian;
  if (text_of(zero_high[1])) return Utf16Order::kBigEndian;
  return Utf16Order::kNone;
}

std::string unmarked_utf16_to_cp1252(std::string_view bytes, Utf16Order order) {
  return decode_utf16(bytes, order == Utf16Order::kBigEndian);
}

namespace {

// The character that starts at `at`, and how many bytes it takes; nullopt (one byte) for bytes
// that are not UTF-8.
std::optional<char32_t> next_utf8(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  char32_t c = 0;
  char32_t least = 0;  // the smallest character of that length: shorter forms are not UTF-8
  if (lead < 0x80) {
    length = 1;
    c = lead;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    c = lead & 0x1F;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    c = lead & 0x0F;
    least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    c = lead & 0x07;
    least = 0x10000;
  }
  bool whole = length > 0 && at + length <= text.size();
  for (std::size_t i = 1; whole && i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    whole = (next & 0xC0) == 0x80;
    c = (c << 6) | (next & 0x3F);
  }
  if (!whole || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++at;
    return std::nullopt;
  }
  at += length;
  return c;
}

}  // namespace

std::string utf8_to_cp1252_for_display(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const std::optional<char32_t> c = next_utf8(text, at);
    const int byte = c ? cp1252_byte(*c) : -1;
    out += byte < 0 ? '?' : static_cast<char>(byte);
  }
  return out;
}

std::u16string utf8_to_utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    const char32_t c = next_utf8(text, at).value_or(0xFFFD);
    if (c < 0x10000) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

}  // namespace quorvane
