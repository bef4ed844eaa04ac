// The edges of the native front end that need no window: text between the model's bytes and
// the wide API, the compiled-in pictures, and the fonts.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "front_ends/win32/art.h"
#include "front_ends/win32/fonts.h"
#include "front_ends/win32/text.h"
#include "win32_input.h"

namespace quorvane::win32 {
namespace {

TEST(Text, EveryByteSurvivesARoundTripThroughTheWideApi) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::wstring wide = from_model(all);
  ASSERT_EQ(wide.size(), all.size()) << "one character per byte";
  EXPECT_EQ(to_model(wide), all);
  EXPECT_EQ(from_model("\x80\xE9\x9F"), L"\u20AC\u00E9\u0178");
}

TEST(Text, OnlyWhatWindows1252HoldsIsStorable) {
  const std::wstring text = L"e\u00E9\u20AC\u0101\U0001F600";
  EXPECT_TRUE(storable(text, 0));
  EXPECT_TRUE(storable(text, 1));
  EXPECT_TRUE(storable(text, 2));
  EXPECT_FALSE(storable(text, 3)) << "no best fit: a macron is not an a";
  EXPECT_FALSE(storable(text, 4));
  EXPECT_FALSE(storable(text, 5));
  EXPECT_EQ(to_model(L"\u0101"), "?");
}

TEST(Text, PathsAndMessagesAreUtf8) {
  EXPECT_EQ(from_utf8("Caf\xC3\xA9"), L"Caf\u00E9");
  EXPECT_EQ(to_utf8(L"Caf\u00E9 \u0101"), "Caf\xC3\xA9 \xC4\x81");
  EXPECT_EQ(utf8_to_model("C:\\Caf\xC3\xA9 \xC4\x81"), "C:\\Caf\xE9 ?");
}

TEST(Text, ErrorCodesAreWrittenAsWindowsWritesThem) {
  EXPECT_EQ(error_code(0x80070005UL), "0x80070005");
  EXPECT_EQ(error_code(0x8004C0DEUL), "0x8004C0DE");
  EXPECT_EQ(error_code(0), "0x00000000");
  EXPECT_EQ(error_code(0x1FUL), "0x0000001F");
}

TEST(Art, EachScaleIsCompiledInAtItsOwnSize) {
  for (const auto& [scale, size] : {std::pair{100, 32}, {150, 48}, {200, 64}}) {
    const ArtCache::Pixels pixels = ArtCache::decode(L"NAV_VIDEO_" + std::to_wstring(scale));
    EXPECT_EQ(pixels.width, size) << scale;
    EXPECT_EQ(pixels.height, size) << scale;
  }
  EXPECT_EQ(ArtCache::decode(L"NO_SUCH_PICTURE_100").width, 0);
  EXPECT_EQ(ArtCache::scale_for(96), 100);
  EXPECT_EQ(ArtCache::scale_for(120), 150);
  EXPECT_EQ(ArtCache::scale_for(144), 150);
  EXPECT_EQ(ArtCache::scale_for(192), 200);
  EXPECT_EQ(ArtCache::scale_for(288), 200);
}

// Draws `name` into a box of `size` over white at `dpi` and returns the pixels.
std::vector<unsigned int> drawn(const char* name, int width, int height, int dpi) {
  quorvane::testing::Canvas canvas(width, height);
  unsigned int* px = canvas.pixels();
  std::fill(px, px + width * height, 0x00FFFFFFu);
  ArtCache art;
  const RECT area{0, 0, width, height};
  EXPECT_TRUE(art.draw(canvas.dc(), name, area, dpi));
  px = canvas.pixels();
  return std::vector<unsigned int>(px, px + width * height);
}

// The picture composed over white by hand, as AlphaBlend does with premultiplied pixels.
std::vector<unsigned int> over_white(const ArtCache::Pixels& p) {
  std::vector<unsigned int> out;
  for (unsigned int s : p.argb) {
    const unsigned int a = s >> 24;
    unsigned int d = 0;
    for (int c = 0; c < 3; ++c) {
      const unsigned int v = ((s >> (c * 8)) & 0xFF) + (255 * (255 - a) + 127) / 255;
      d |= std::min(v, 255u) << (c * 8);
    }
    out.push_back(d);
  }
  return out;
}

int largest_difference(const std::vector<unsigned int>& a, const std::vector<unsigned int>& b) {
  int largest = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      const int d = std::abs(static_cast<int>((a[i] >> (c * 8)) & 0xFF) -
                             static_cast<int>((b[i] >> (c * 8)) & 0xFF));
      largest = std::max(largest, d);
    }
  }
  return largest;
}

TEST(Art, AtItsOwnScaleAPictureIsDrawnPixelForPixel) {
  // Not resampled: a blurred copy would differ from the picture by far more than rounding.
  for (const auto& [dpi, size, name] : {std::tuple{96, 32, L"NAV_VIDEO_100"},
                                        {144, 48, L"NAV_VIDEO_150"},
                                        {192, 64, L"NAV_VIDEO_200"}}) {
    const auto expected = over_white(ArtCache::decode(name));
    EXPECT_LE(largest_difference(drawn("nav_video", size, size, dpi), expected), 2) << dpi;
  }
  // The layout's rounding gives the title bar a box a pixel wider than its picture at 150 %:
  // it is drawn as it is, not stretched by that pixel.
  const ArtCache::Pixels bar = ArtCache::decode(L"TITLE_BAR_150");
  const auto wider = drawn("title_bar", bar.width + 1, bar.height, 144);
  std::vector<unsigned int> inside;
  for (int y = 0; y < bar.height; ++y) {
    for (int x = 0; x < bar.width; ++x) inside.push_back(wider[y * (bar.width + 1) + x]);
  }
  EXPECT_LE(largest_difference(inside, over_white(bar)), 2);
}

TEST(Art, ResamplingAveragesAndKeepsTransparencyClear) {
  ArtCache::Pixels p;
  p.width = 4;
  p.height = 2;
  // Left half opaque red, right half fully transparent (premultiplied: all zero).
  p.argb = {0xFFFF0000, 0xFFFF0000, 0, 0, 0xFFFF0000, 0xFFFF0000, 0, 0};
  const ArtCache::Pixels half = ArtCache::resample(p, 2, 1);
  ASSERT_EQ(half.argb.size(), 2u);
  EXPECT_EQ(half.argb[0], 0xFFFF0000u);
  EXPECT_EQ(half.argb[1], 0u) << "no colour bleeds into what was transparent";
  const ArtCache::Pixels one = ArtCache::resample(p, 1, 1);
  EXPECT_EQ(one.argb[0], 0x80800000u) << "half covered: half alpha, half red, premultiplied";
  const ArtCache::Pixels grown = ArtCache::resample(half, 4, 1);
  EXPECT_EQ(grown.argb.front(), 0xFFFF0000u);
  EXPECT_EQ(grown.argb.back(), 0u);
}

TEST(Fonts, TheClassicFacesResolveToInstalledOnes) {
  for (const char* family : {"MS Sans Serif", "Times New Roman"}) {
    const std::wstring chosen = Fonts::resolve_family(family);
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    chosen.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    HDC dc = GetDC(nullptr);
    bool found = false;
    EnumFontFamiliesExW(
        dc, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM f) -> int {
          *reinterpret_cast<bool*>(f) = true;
          return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    EXPECT_TRUE(found) << family << " -> " << to_utf8(chosen);
    ::testing::Test::RecordProperty(family, to_utf8(chosen));
    std::printf("%s stands in for %s here\n", to_utf8(chosen).c_str(), family);
  }
}

TEST(Fonts, FittingNarrowsAndThenShrinksUntilTheTextFits) {
  Fonts fonts;
  const FontSpec wanted;  // bold MS Sans Serif 8.25
  const std::wstring text = L"Auto Calibration Control";
  const int natural = text_extent(fonts.get(wanted, 96), text).cx;
  HFONT fitted = fonts.fit(
      wanted, 96, [&](HFONT f) { return static_cast<int>(text_extent(f, text).cx); }, natural - 8);
  EXPECT_LE(text_extent(fitted, text).cx, natural - 8);
  EXPECT_EQ(
      fonts.fit(
          wanted, 96, [&](HFONT f) { return static_cast<int>(text_extent(f, text).cx); }, natural),
      fonts.get(wanted, 96))
      << "a caption that fits keeps its font";
  EXPECT_GT(text_extent(fonts.get(wanted, 192), text).cx, natural * 3 / 2)
      << "fonts scale with dpi";
}

}  // namespace
}  // namespace quorvane::win32
