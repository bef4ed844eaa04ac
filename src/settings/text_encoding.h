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

// UTF-8 text as Windows-1252 for showing it: what Windows-1252 cannot hold, and bytes that are
// not UTF-8, become "?", which keeps the rest readable.
std::string utf8_to_cp1252_for_display(std::string_view text);

}  // namespace quorvane
