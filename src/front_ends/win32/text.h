#pragma once

#include <string>
#include <string_view>

namespace quorvane::win32 {

// The model keeps every text as the bytes of VOZ.INI, which is Windows-1252; the wide API speaks
// UTF-16. These are the only places where one becomes the other, through the core's table (never
// the machine's ANSI code page, which may be another one).

// Every byte has a character, so decoding never fails; the five bytes that Windows-1252 leaves
// unassigned come back as the C1 controls of the same number and survive a round trip.
std::wstring from_model(std::string_view bytes);

// The bytes of `text`. A character Windows-1252 cannot hold becomes "?", so callers that take
// user input filter such characters out first (see storable()).
std::string to_model(std::wstring_view text);

// Whether the character at `text[at]` (a pair of surrogates counts as one) has a byte of its own
// in Windows-1252.
bool storable(std::wstring_view text, std::size_t at);

// Paths and messages travel through the program as UTF-8.
std::wstring from_utf8(std::string_view utf8);
std::string to_utf8(std::wstring_view text);

// A UTF-8 text (a path, a system message) as the model's bytes: what Windows-1252 cannot hold
// becomes "?", one for each character.
std::string utf8_to_model(std::string_view utf8);

// An error code as Windows writes one in its messages: "0x80070005", eight upper-case hex digits.
std::string error_code(unsigned long code);

}  // namespace quorvane::win32
