#pragma once

#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "front_ends/win32/win.h"
#include "model/controls.h"

namespace quorvane::win32 {

// The fonts of the controls. The window was drawn for "MS Sans Serif" and "Times New Roman" at
// 96 dpi; the first is a bitmap font that does not scale, so its outline twin stands in where
// Windows has it, then families of close metrics, then what any system has. Sizes follow the
// window's DPI. Each font is made once and kept until the fonts are cleared (a DPI change).
class Fonts {
 public:
  Fonts() = default;
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  ~Fonts() { clear(); }

  // The family that stands in for `family` on this system.
  static std::wstring resolve_family(const std::string& family);

  // `wanted` at `dpi`, at fitting step `step`: 0 is the font as named, each later step a little
  // narrower and then smaller, down to a limit; steps() tells how many there are.
  HFONT get(const FontSpec& wanted, int dpi, int step = 0);
  static int steps(const FontSpec& wanted, int dpi);

  // The first step at which `needed(font)`, the width something drawn in the font takes, is at
  // most `width`; the last step when none is.
  HFONT fit(const FontSpec& wanted, int dpi, const std::function<int(HFONT)>& needed, int width);

  void clear();

 private:
  std::map<std::tuple<std::string, double, bool, int, int>, HFONT> fonts_;
};

// The width and height of `text` drawn in `font`, in pixels.
SIZE text_extent(HFONT font, const std::wstring& text);
// The height of a line of `font`, leading included.
int line_height(HFONT font);

}  // namespace quorvane::win32
