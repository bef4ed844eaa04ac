#pragma once

// The few conversions the core makes into Windows-1252, the encoding of VOZ.INI and of every
// text in the model: settings files that Notepad saved as "Unicode" (UTF-16), and paths for
// display, which travel as UTF-8.

#include <stdexcept>
#include <string>
#include <string_view>

namespace quorvane {

// Text that cannot become Windows-1252: a character it has no byte for, or broken UTF-16. The
// message says what and where, without the file's name, which the caller adds.
class EncodingError : public std::runtime_error {
 public:
  EncodingError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  // 1 for the first line, counted as the reader counts them (CR LF, LF or CR end a line).
  int line() const { return line_; }

 private:
  int line_;
};

// The Windows-1252 byte of a Unicode character, or -1 when it has none. The five bytes that
// Windows-1252 leaves unassigned stand for the C1 controls of the same number, as on Windows.
int cp1252_byte(char32_t c);

// The Unicode character of a Windows-1252 byte. Every byte has one, so the model's texts always
// reach a toolkit whole.
char32_t cp1252_char(unsigned char byte);

// The model's bytes as UTF-16, the text of both toolkits' widgets.
std::u16string cp1252_to_utf16(std::string_view bytes);

// UTF-16 as the model's bytes. A character Windows-1252 has no byte for (and a surrogate, paired
// or not) becomes "?": callers that take user input clean it first (view_core.h).
std::string cp1252_from_utf16(std::u16string_view text);

// Whether the bytes begin with a UTF-16 byte-order mark, FF FE (little-endian) or FE FF.
bool starts_with_utf16_mark(std::string_view bytes);

// UTF-16 text that begins with its byte-order mark, as Windows-1252 (the mark dropped). Throws
// EncodingError for a character Windows-1252 cannot hold (a surrogate pair always is one), a
// lone surrogate, or an odd number of bytes.
std::string utf16_to_cp1252(std::string_view bytes);

// UTF-16 without a byte-order mark, as some editors save it. Windows-1252 text never holds a
// zero byte, and UTF-16 puts one beside every ASCII character: on the side of the high byte,
// which tells the byte order. Little-endian text is what Windows editors write.
enum class Utf16Order { kNone, kLittleEndian, kBigEndian };
Utf16Order unmarked_utf16_order(std::string_view bytes);
// That text as Windows-1252; throws EncodingError as utf16_to_cp1252 does.
std::string unmarked_utf16_to_cp1252(std::string_view bytes, Utf16Order order);

// The model's bytes as UTF-8, for a text that mixes them with characters Windows-1252 lacks.
std::string cp1252_to_utf8(std::string_view bytes);

// UTF-8 text as Windows-1252 for showing it: what Windows-1252 cannot hold, and bytes that are
// not UTF-8, become "?", which keeps the rest readable.
std::string utf8_to_cp1252_for_display(std::string_view text);

// UTF-8 text (a path of the system's) as UTF-16, every character kept; bytes that are not UTF-8
// become U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);

}  // namespace quorvane
