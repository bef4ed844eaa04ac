#include "front_ends/win32/text.h"

#include <limits>

#include "front_ends/win32/win.h"

namespace quorvane::win32 {
namespace {

constexpr UINT kModelCodePage = 1252;

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

bool is_line_break(wchar_t c) { return c == L'\n' || c == L'\r' || c == 0x2028 || c == 0x2029; }

bool is_high_surrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::wstring from_model(std::string_view bytes) { return widen(kModelCodePage, bytes); }

std::string to_model(std::wstring_view text) {
  if (text.empty()) return {};
  const int in = checked_size(text.size());
  // No best fit: "ā" must not quietly turn into "a" in the file.
  const int n = WideCharToMultiByte(kModelCodePage, WC_NO_BEST_FIT_CHARS, text.data(), in, nullptr,
                                    0, "?", nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  if (n > 0) {
    WideCharToMultiByte(kModelCodePage, WC_NO_BEST_FIT_CHARS, text.data(), in, out.data(), n, "?",
                        nullptr);
  }
  return out;
}

bool storable(std::wstring_view text, std::size_t at) {
  if (at >= text.size()) return false;
  const wchar_t c = text[at];
  if (is_high_surrogate(c) || is_low_surrogate(c)) return false;
  char byte[2];
  BOOL used_default = FALSE;
  const int n = WideCharToMultiByte(kModelCodePage, WC_NO_BEST_FIT_CHARS, &c, 1, byte, sizeof byte,
                                    nullptr, &used_default);
  return n == 1 && !used_default;
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

std::string utf8_to_model(std::string_view utf8) { return to_model(from_utf8(utf8)); }

std::wstring clean_for_model(std::wstring& text, std::size_t& caret) {
  std::wstring refused;
  std::wstring kept;
  kept.reserve(text.size());
  std::size_t new_caret = caret;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    const bool line_break = is_line_break(c);
    if (!line_break && storable(text, i)) {
      kept.push_back(c);
      continue;
    }
    if (i < caret) --new_caret;
    if (line_break) continue;
    std::wstring shown(1, c);
    if (is_high_surrogate(c) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
      shown.push_back(text[++i]);
      if (i < caret) --new_caret;
    }
    // Each refused character once, however often it was typed or pasted.
    if (refused.find(shown) == std::wstring::npos) refused += shown;
  }
  text = std::move(kept);
  caret = new_caret;
  return refused;
}

}  // namespace quorvane::win32
