#include "front_ends/win32/fonts.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "front_ends/win32/text.h"

namespace quorvane::win32 {
namespace {

int CALLBACK found_family(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool installed(HDC dc, const std::wstring& family) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  family.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, found_family, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

TEXTMETRICW metrics_of(HFONT font) {
  TEXTMETRICW metrics{};
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, font);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  return metrics;
}

}  // namespace

std::wstring Fonts::resolve_family(const std::string& family) {
  static std::map<std::string, std::wstring> cache;
  if (auto it = cache.find(family); it != cache.end()) return it->second;
  std::wstring chosen = from_utf8(family);
  if (HDC dc = GetDC(nullptr)) {
    for (const std::string& name : font_stand_ins(family)) {
      if (installed(dc, from_utf8(name))) {
        chosen = from_utf8(name);
        break;
      }
    }
    ReleaseDC(nullptr, dc);
  }
  cache.emplace(family, chosen);
  return chosen;
}

HFONT Fonts::get(const FontSpec& wanted, int dpi) {
  return get(wanted, FontStep{font_pixels(wanted, dpi), 100});
}

HFONT Fonts::get(const FontSpec& wanted, FontStep step) {
  const auto key =
      std::make_tuple(wanted.family, wanted.points, wanted.bold, step.pixels, step.stretch);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;

  LOGFONTW font{};
  font.lfHeight = -step.pixels;
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  // Smoothed at small sizes, a bold face comes out as grey two-pixel stems that read as thinner
  // than the regular face (Liberation Sans Bold does, under Wine): small bold text is drawn crisp.
  font.lfQuality =
      wanted.bold && step.pixels < kSmoothBoldPixels ? NONANTIALIASED_QUALITY : CLEARTYPE_QUALITY;
  font.lfPitchAndFamily = static_cast<BYTE>(
      VARIABLE_PITCH | (wanted.family == "Times New Roman" ? FF_ROMAN : FF_SWISS));
  resolve_family(wanted.family).copy(font.lfFaceName, LF_FACESIZE - 1);
  if (step.stretch != 100) {
    // lfWidth is an average character width: the font's own at this height, condensed.
    const TEXTMETRICW metrics = metrics_of(get(wanted, FontStep{step.pixels, 100}));
    font.lfWidth = std::max<LONG>(1, std::lround(metrics.tmAveCharWidth * step.stretch / 100.0));
  }
  HFONT made = CreateFontIndirectW(&font);
  if (made == nullptr) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace(key, made);
  return made;
}

HFONT Fonts::fit(const FontSpec& wanted, int dpi, const std::function<int(HFONT)>& needed,
                 int width) {
  return get(wanted,
             fit_font(
                 wanted, dpi, [&](FontStep step) { return needed(get(wanted, step)); }, width));
}

void Fonts::clear() {
  HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  for (auto& [key, font] : fonts_) {
    if (font != stock) DeleteObject(font);
  }
  fonts_.clear();
}

bool overstruck(HFONT font) {
  LOGFONTW info{};
  if (font == nullptr || GetObjectW(font, sizeof info, &info) != sizeof info) return false;
  return info.lfWeight >= FW_BOLD && info.lfWidth != 0;
}

SIZE text_extent(HFONT font, const std::wstring& text) {
  SIZE size{0, 0};
  if (HDC dc = GetDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
  }
  return size;
}

int line_height(HFONT font) { return metrics_of(font).tmHeight; }

}  // namespace quorvane::win32
