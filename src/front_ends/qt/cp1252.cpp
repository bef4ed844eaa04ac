#include "front_ends/qt/cp1252.h"

#include "settings/text_encoding.h"

namespace quorvane::cp1252 {

// The core's one table does the work both ways, so that the window and the file can never
// disagree on a byte.

QString decode(std::string_view bytes) {
  const std::u16string text = cp1252_to_utf16(bytes);
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::string encode(const QString& text) {
  return cp1252_from_utf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                               static_cast<std::size_t>(text.size())));
}

bool storable(QChar c) { return cp1252_byte(c.unicode()) >= 0; }

std::string from_utf8(std::string_view utf8) { return utf8_to_cp1252_for_display(utf8); }

}  // namespace quorvane::cp1252
