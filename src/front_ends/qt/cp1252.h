#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quorvane::cp1252 {

// The model keeps every text as the bytes of VOZ.INI, which is Windows-1252; the widgets speak
// Unicode. These are the only two places where one becomes the other.

// Every byte has a character, so decoding never fails; the five bytes that Windows-1252 leaves
// unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the same number, so they
// survive a round trip unchanged.
QString decode(std::string_view bytes);

// The bytes of `text`. A character Windows-1252 cannot hold comes out as a substitute byte, so
// callers that take user input filter such characters out first (see storable()).
std::string encode(const QString& text);

// A UTF-8 text (a path, a system message) as the model's bytes: what Windows-1252 cannot hold
// becomes "?", which keeps the rest of the text readable.
std::string from_utf8(std::string_view utf8);

// Whether `c` has a byte of its own in Windows-1252.
bool storable(QChar c);

}  // namespace quorvane::cp1252
