#include "platform/front_end.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace quorvane::front_end {

int to_pixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / (96.0 * kTwipsPerPixel)));
}

PixelRect place(const Twips& r, const Placement& in, int dpi) {
  const int left = in.client_left + r.left;
  const int top = in.client_top + r.top;
  const int x = to_pixels(left, dpi) - to_pixels(in.client_left, dpi);
  const int y = to_pixels(top, dpi) - to_pixels(in.client_top, dpi);
  return PixelRect{x, y, to_pixels(left + r.width, dpi) - to_pixels(left, dpi),
                   to_pixels(top + r.height, dpi) - to_pixels(top, dpi)};
}

Placement inside(const Control& container, const Placement& in) {
  const int border = container.border ? kTwipsPerPixel : 0;
  return Placement{in.client_left + container.rect().left + border,
                   in.client_top + container.rect().top + border};
}

std::string describe(const Control& control, std::string_view event) {
  return std::string(event) + " " + control.display_name();
}

std::string failure_reason(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return "there is not enough memory";
  return error.what();
}

std::string break_long_runs(std::string_view text, std::size_t longest) {
  const auto inside_character = [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
  };
  std::string out;
  out.reserve(text.size() + text.size() / longest);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of(" \t\n", start), text.size());
    std::string_view run = text.substr(start, end - start);
    while (run.size() > longest) {
      // After the last separator that leaves a line of some length, else at the limit (never
      // inside a character).
      std::size_t cut = run.substr(0, longest).find_last_of("\\/");
      cut = cut != std::string_view::npos && cut + 1 >= longest / 3 ? cut + 1 : longest;
      while (cut > 1 && inside_character(run[cut])) --cut;
      out.append(run.substr(0, cut));
      out += '\n';
      run.remove_prefix(cut);
    }
    out.append(run);
    if (end < text.size()) out += text[end];
    start = end + 1;
  }
  return out;
}

std::string handler_failure_text(std::string_view what, std::string_view reason) {
  return std::string(what) + " failed, and the program has to end.\n\n" + std::string(reason);
}

}  // namespace quorvane::front_end
