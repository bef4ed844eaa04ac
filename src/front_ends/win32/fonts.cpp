#include "front_ends/win32/fonts.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "front_ends/win32/text.h"

namespace quorvane::win32 {
namespace {

// A caption may shrink to this share of its size before it is allowed to spill.
constexpr double kSmallestScale = 0.8;
constexpr int kNarrowestStretch = 88;
constexpr int kStretchStep = 3;
constexpr int kStretches = (100 - kNarrowestStretch) / kStretchStep + 1;

const std::vector<std::wstring>& candidates_for(const std::string& family) {
  // Outline fonts first: they scale to every DPI and can be condensed.
  static const std::vector<std::wstring> sans{L"Microsoft Sans Serif", L"Tahoma", L"Arial",
                                              L"Liberation Sans", L"DejaVu Sans"};
  static const std::vector<std::wstring> serif{L"Times New Roman", L"Liberation Serif",
                                               L"DejaVu Serif"};
  static const std::vector<std::wstring> none;
  if (family == "Times New Roman") return serif;
  if (family == "MS Sans Serif") return sans;
  return none;
}

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

int nominal_pixels(const FontSpec& wanted, int dpi) {
  return std::max(1, static_cast<int>(std::lround(wanted.points * dpi / 72.0)));
}

int smallest_pixels(const FontSpec& wanted, int dpi) {
  return std::max(1, static_cast<int>(std::floor(nominal_pixels(wanted, dpi) * kSmallestScale)));
}

}  // namespace

std::wstring Fonts::resolve_family(const std::string& family) {
  static std::map<std::string, std::wstring> cache;
  if (auto it = cache.find(family); it != cache.end()) return it->second;
  std::wstring chosen = from_utf8(family);
  if (HDC dc = GetDC(nullptr)) {
    for (const std::wstring& name : candidates_for(family)) {
      if (installed(dc, name)) {
        chosen = name;
        break;
      }
    }
    ReleaseDC(nullptr, dc);
  }
  cache.emplace(family, chosen);
  return chosen;
}

int Fonts::steps(const FontSpec& wanted, int dpi) {
  return (nominal_pixels(wanted, dpi) - smallest_pixels(wanted, dpi) + 1) * kStretches;
}

HFONT Fonts::get(const FontSpec& wanted, int dpi, int step) {
  step = std::clamp(step, 0, steps(wanted, dpi) - 1);
  const auto key = std::make_tuple(wanted.family, wanted.points, wanted.bold, dpi, step);
  if (auto it = fonts_.find(key); it != fonts_.end()) return it->second;

  // Condense first (it keeps the caption's height, so it still lines up with its neighbours),
  // then go down a pixel and condense again.
  const int pixels = nominal_pixels(wanted, dpi) - step / kStretches;
  const int stretch = 100 - (step % kStretches) * kStretchStep;
  LOGFONTW font{};
  font.lfHeight = -pixels;
  font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = CLEARTYPE_QUALITY;
  font.lfPitchAndFamily = static_cast<BYTE>(
      VARIABLE_PITCH | (wanted.family == "Times New Roman" ? FF_ROMAN : FF_SWISS));
  resolve_family(wanted.family).copy(font.lfFaceName, LF_FACESIZE - 1);
  if (stretch != 100) {
    // lfWidth is an average character width: the font's own at this height, condensed.
    const TEXTMETRICW metrics = metrics_of(get(wanted, dpi, step - step % kStretches));
    font.lfWidth = std::max<LONG>(1, std::lround(metrics.tmAveCharWidth * stretch / 100.0));
  }
  HFONT made = CreateFontIndirectW(&font);
  if (made == nullptr) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.emplace(key, made);
  return made;
}

HFONT Fonts::fit(const FontSpec& wanted, int dpi, const std::function<int(HFONT)>& needed,
                 int width) {
  const int n = steps(wanted, dpi);
  HFONT font = nullptr;
  for (int step = 0; step < n; ++step) {
    font = get(wanted, dpi, step);
    if (needed(font) <= width) return font;
  }
  return font;
}

void Fonts::clear() {
  HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
  for (auto& [key, font] : fonts_) {
    if (font != stock) DeleteObject(font);
  }
  fonts_.clear();
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
