#include "model/front_end.h"

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

}  // namespace quorvane::front_end
