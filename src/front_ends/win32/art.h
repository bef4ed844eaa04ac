#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "front_ends/win32/win.h"

namespace quorvane::win32 {

// The pictures of resources/art, compiled in as PNGs at 100, 150 and 200 % (named
// "<PICTURE>_<PERCENT>"), drawn with their alpha over whatever lies beneath.
//
// A picture is drawn pixel for pixel from the scale made for the window's DPI; the layout's
// rounding may make its box a pixel larger or smaller than the picture, which then stands in it
// uncut or loses an edge pixel, rather than being stretched by a pixel and blurred. Only at
// other scales (125 %, 175 %, above 200 %) is a picture resampled, from the next larger one.
class ArtCache {
 public:
  ArtCache() = default;
  ArtCache(const ArtCache&) = delete;
  ArtCache& operator=(const ArtCache&) = delete;
  ~ArtCache();

  // Draws picture `name` (as in Control::picture) into `area`. False, drawing nothing, when
  // there is no such picture or it cannot be decoded.
  bool draw(HDC dc, const std::string& name, const RECT& area, int dpi);

  // The percent scale whose pictures suit `dpi`: 100, 150 or 200.
  static int scale_for(int dpi);

  // Premultiplied BGRA pixels, top row first.
  struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned int> argb;
  };
  // The PNG resource `resource` decoded; empty when missing or undecodable.
  static Pixels decode(const std::wstring& resource);
  // `from` resampled to width x height: the average of the covered source pixels when
  // shrinking, bilinear when growing.
  static Pixels resample(const Pixels& from, int width, int height);

 private:
  struct Entry {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
  };
  const Entry* find(const std::string& name, int width, int height, int dpi);

  std::map<std::tuple<std::string, int, int>, Entry> entries_;
};

}  // namespace quorvane::win32
