#pragma once

#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "front_ends/win32/win.h"
#include "model/controls.h"
#include "shell/view_core.h"

namespace quorvane::win32 {

// The fonts of the controls, in the first of the view core's stand-in families that is installed,
// at the window's DPI, at the view core's steps of fitting. Each font is made once and kept until
// the fonts are cleared (a DPI change).
class Fonts {
 public:
  Fonts() = default;
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  ~Fonts() { clear(); }

  // The family that stands in for `family` on this system.
  static std::wstring resolve_family(const std::string& family);

  // `wanted` at `dpi`, as named or at a step of fitting.
  HFONT get(const FontSpec& wanted, int dpi);
  HFONT get(const FontSpec& wanted, FontStep step);

  // The first step at which `needed(font)`, the width something drawn in the font takes, is at
  // most `width`; the last step when none is.
  HFONT fit(const FontSpec& wanted, int dpi, const std::function<int(HFONT)>& needed, int width);

  void clear();

 private:
  std::map<std::tuple<std::string, double, bool, int, int>, HFONT> fonts_;
};

// Below this height in pixels a bold font is drawn without smoothing.
inline constexpr int kSmoothBoldPixels = 16;

// Whether a caption in `font` is drawn a second time a pixel to the right: a bold font made
// narrower keeps one-pixel stems and would read as regular. The caption is then a pixel wider.
bool overstruck(HFONT font);

// The width and height of `text` drawn in `font`, in pixels.
SIZE text_extent(HFONT font, const std::wstring& text);
// The height of a line of `font`, leading included.
int line_height(HFONT font);

}  // namespace quorvane::win32
