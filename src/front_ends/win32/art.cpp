#include "front_ends/win32/art.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

// Decoded here rather than through WIC, whose COM start and codec libraries took longer than
// the rest of the window's start-up: only PNG, from memory.
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace quorvane::win32 {
namespace {

// One output pixel of a 1-D resampling: the source pixels it takes and their weights.
struct Tap {
  int from = 0;
  std::vector<float> weights;
};

std::vector<Tap> taps(int source, int target) {
  std::vector<Tap> result(static_cast<std::size_t>(target));
  const double step = static_cast<double>(source) / target;
  for (int i = 0; i < target; ++i) {
    Tap& tap = result[static_cast<std::size_t>(i)];
    if (step >= 1.0) {
      // Each source pixel counts by how much of it the output pixel covers.
      const double begin = i * step;
      const double end = begin + step;
      tap.from = static_cast<int>(std::floor(begin));
      for (int j = tap.from; j < source && j < end; ++j) {
        const double covered = std::min<double>(end, j + 1) - std::max<double>(begin, j);
        tap.weights.push_back(static_cast<float>(covered / step));
      }
    } else {
      const double centre = (i + 0.5) * step - 0.5;
      const int left = std::clamp(static_cast<int>(std::floor(centre)), 0, source - 1);
      const int right = std::min(left + 1, source - 1);
      const float t = static_cast<float>(std::clamp(centre - left, 0.0, 1.0));
      tap.from = left;
      tap.weights = right == left ? std::vector<float>{1.0f} : std::vector<float>{1.0f - t, t};
    }
  }
  return result;
}

unsigned int channel(unsigned int pixel, int shift) { return (pixel >> shift) & 0xFFu; }

}  // namespace

ArtCache::~ArtCache() {
  for (auto& [key, entry] : entries_) {
    if (entry.bitmap != nullptr) DeleteObject(entry.bitmap);
  }
}

int ArtCache::scale_for(int dpi) {
  const int percent = dpi * 100 / 96;
  if (percent <= 100) return 100;
  if (percent <= 150) return 150;
  return 200;
}

ArtCache::Pixels ArtCache::decode(const std::wstring& resource) {
  Pixels pixels;
  HRSRC found = FindResourceW(nullptr, resource.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (found == nullptr) return pixels;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(nullptr, found);
  if (data == nullptr || size == 0) return pixels;

  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* rgba = stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size),
                                        &width, &height, &channels, 4);
  if (rgba == nullptr) return pixels;
  pixels.width = width;
  pixels.height = height;
  pixels.argb.resize(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < pixels.argb.size(); ++i) {
    const stbi_uc* p = rgba + i * 4;
    const unsigned int alpha = p[3];
    // Premultiplied and rounded as WIC's 32bppPBGRA conversion does, which the pictures were
    // drawn with before: the same pixels on screen.
    const auto times_alpha = [alpha](unsigned int c) { return (c * alpha + 127) / 255; };
    pixels.argb[i] =
        alpha << 24 | times_alpha(p[0]) << 16 | times_alpha(p[1]) << 8 | times_alpha(p[2]);
  }
  stbi_image_free(rgba);
  return pixels;
}

ArtCache::Pixels ArtCache::resample(const Pixels& from, int width, int height) {
  Pixels to;
  if (from.width <= 0 || from.height <= 0 || width <= 0 || height <= 0) return to;
  // Premultiplied channels average correctly: a transparent pixel adds nothing to its
  // neighbours' colour.
  const std::vector<Tap> across = taps(from.width, width);
  const std::vector<Tap> down = taps(from.height, height);
  std::vector<float> rows(static_cast<std::size_t>(width) * from.height * 4, 0.0f);
  for (int y = 0; y < from.height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Tap& tap = across[static_cast<std::size_t>(x)];
      float* out = &rows[(static_cast<std::size_t>(y) * width + x) * 4];
      for (std::size_t k = 0; k < tap.weights.size(); ++k) {
        const unsigned int p = from.argb[static_cast<std::size_t>(y) * from.width + tap.from + k];
        for (int c = 0; c < 4; ++c) out[c] += tap.weights[k] * channel(p, c * 8);
      }
    }
  }
  to.width = width;
  to.height = height;
  to.argb.assign(static_cast<std::size_t>(width) * height, 0u);
  for (int y = 0; y < height; ++y) {
    const Tap& tap = down[static_cast<std::size_t>(y)];
    for (int x = 0; x < width; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (std::size_t k = 0; k < tap.weights.size(); ++k) {
        const float* in = &rows[((tap.from + k) * width + x) * 4];
        for (int c = 0; c < 4; ++c) sum[c] += tap.weights[k] * in[c];
      }
      unsigned int p = 0;
      for (int c = 0; c < 4; ++c) {
        const long v = std::lround(std::clamp(sum[c], 0.0f, 255.0f));
        p |= static_cast<unsigned int>(v) << (c * 8);
      }
      to.argb[static_cast<std::size_t>(y) * width + x] = p;
    }
  }
  return to;
}

const ArtCache::Entry* ArtCache::find(const std::string& name, int width, int height, int dpi) {
  const auto key = std::make_tuple(name, width, height);
  if (auto it = entries_.find(key); it != entries_.end()) {
    return it->second.bitmap != nullptr ? &it->second : nullptr;
  }
  Entry& entry = entries_[key];
  std::wstring resource;
  for (char c : name) {
    resource.push_back(static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
  }
  // std::to_wstring would go through swprintf, and bring its formatter into the .exe.
  resource += L'_';
  for (char c : std::to_string(scale_for(dpi))) resource.push_back(static_cast<wchar_t>(c));
  Pixels pixels = decode(resource);
  if (pixels.width == 0) return nullptr;
  if (std::abs(pixels.width - width) > 1 || std::abs(pixels.height - height) > 1) {
    pixels = resample(pixels, width, height);
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = pixels.width;
  info.bmiHeader.biHeight = -pixels.height;  // top row first, as decoded
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return nullptr;
  std::copy(pixels.argb.begin(), pixels.argb.end(), static_cast<unsigned int*>(bits));
  entry = Entry{bitmap, pixels.width, pixels.height};
  return &entry;
}

bool ArtCache::draw(HDC dc, const std::string& name, const RECT& area, int dpi) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (name.empty() || width <= 0 || height <= 0) return false;
  const Entry* entry = find(name, width, height, dpi);
  if (entry == nullptr) return false;
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return false;
  HGDIOBJ old = SelectObject(memory, entry->bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  // A picture a pixel smaller than its box stands at the box's top left; one a pixel larger
  // loses its last row or column.
  const int w = std::min(width, entry->width);
  const int h = std::min(height, entry->height);
  const BOOL drawn = GdiAlphaBlend(dc, area.left, area.top, w, h, memory, 0, 0, w, h, blend);
  SelectObject(memory, old);
  DeleteDC(memory);
  return drawn != FALSE;
}

}  // namespace quorvane::win32
