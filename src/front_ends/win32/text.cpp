#include "front_ends/win32/text.h"

#include <limits>

#include "front_ends/win32/win.h"
#include "settings/text_encoding.h"

namespace quorvane::win32 {
namespace {

int checked_size(std::size_t size) {
  return size > static_cast<std::size_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(size);
}

std::wstring widen(UINT code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int in = checked_size(bytes.size());
  const int n = MultiByteToWideChar(code_page, 0, bytes.data(), in, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(code_page, 0, bytes.data(), in, out.data(), n);
  return out;
}

}  // namespace

// The core's one table, so that the window and the file can never disagree on a byte.
std::wstring from_model(std::string_view bytes) {
  const std::u16string text = cp1252_to_utf16(bytes);
  return std::wstring(text.begin(), text.end());
}

std::string to_model(std::wstring_view text) {
  return cp1252_from_utf16(std::u16string(text.begin(), text.end()));
}

bool storable(std::wstring_view text, std::size_t at) {
  return at < text.size() && cp1252_byte(static_cast<char16_t>(text[at])) >= 0;
}

std::wstring from_utf8(std::string_view utf8) { return widen(CP_UTF8, utf8); }

std::string to_utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int in = checked_size(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), in, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), in, out.data(), n, nullptr, nullptr);
  return out;
}

std::string utf8_to_model(std::string_view utf8) { return utf8_to_cp1252_for_display(utf8); }

std::string error_code(unsigned long code) {
  // By hand: snprintf would bring the C library's whole formatter into the .exe for this.
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += "0123456789ABCDEF"[(code >> shift) & 0xFu];
  return text;
}

}  // namespace quorvane::win32
