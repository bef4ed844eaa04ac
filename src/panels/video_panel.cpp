// Panel 1: [video] and [tv_mode], on pic_video and its TV-mode page pic_video_tv.

#include "panels/bindings.h"
#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace {

using codec::Coded;
using codec::CodePair;
using codec::kSwitch;
using codec::OptionGroup;
using codec::OptionMember;
using codec::Text;
using codec::UnknownText;
using layout::LabelStyle;

constexpr OptionMember kWindowed[] = {{"op_video_winmodo", 0, "y"}, {"op_video_winmodo", 1, "n"}};
constexpr OptionMember kFullscreenMode[] = {
    {"op_video_fullm", 0, "0"}, {"op_video_fullm", 1, "1"}, {"op_video_fullm", 2, "2"}};
constexpr OptionMember kSize[] = {{"op_video_winmodo", 3, "0"}, {"op_video_winmodo", 2, "1"}};
constexpr OptionMember kZoom[] = {{"op_video_winmodo", 4, "0"}, {"op_video_winmodo", 5, "1"}};

constexpr CodePair kScanlineCodes[] = {
    {"0", "100%"}, {"1", "75%"}, {"2", "50%"}, {"3", "25%"}, {"4", "0%"}};
constexpr Coded kScanlines{kScanlineCodes, UnknownText::StoreEmpty};

constexpr Binding kBindings[] = {
    // Anything but "y" starts fullscreen.
    {row::windowed, {"pic_video_winmode"}, OptionGroup{kWindowed, 1, "n"}, {0}},
    {row::fullscreen, {"ch_global", 1}, kSwitch, {1}},
    // A mode the panel does not know selects nothing, and the row keeps it until the user picks
    // a mode: guessing one would silently change how the emulator stretches.
    {row::fullscreen_mode,
     {"pic_video_fullmode"},
     OptionGroup{kFullscreenMode, std::nullopt, std::nullopt},
     {2}},
    {row::filtering, {"ch_global", 2}, kSwitch, {3}},
    // Anything but "0" is the larger display.
    {row::size, {"pic_video_display"}, OptionGroup{kSize, 1, "1"}, {4}},
    // An unknown zoom falls back to software, the emulator's own default.
    {row::zoom, {"pic_video_zoom"}, OptionGroup{kZoom, 0, "1"}, {5}},
    {row::auto_frame_skip, {"ch_global", 3}, kSwitch, {6}},
    {row::vsync, {"ch_global", 0}, kSwitch, {7}},
    {row::res_256, {"txt_video_full", 0}, Text{}, {8, 12, 9}},
    {row::res_320, {"txt_video_full", 1}, Text{}, {8, 12, 10}},
    {row::res_352, {"txt_video_full", 2}, Text{}, {8, 12, 11}},
    {row::win_res_256, {"txt_video_full", 3}, Text{}, {13, 14, 15}},
    {row::win_res_320, {"txt_video_full", 4}, Text{}, {13, 14, 16}},
    {row::win_res_352, {"txt_video_full", 5}, Text{}, {13, 14, 17}},
    {row::res_lock, {"ch_global", 4}, kSwitch, {18, 19}},
    {row::tv_mode, {"ch_global", 5}, kSwitch, {23}},
    {row::wide, {"ch_global", 6}, kSwitch, {24}},
    {row::tv_interpolation, {"ch_global", 7}, kSwitch, {25, 26}},
    {row::scanlines, {"com_video_tvscal"}, kScanlines, {27}},
    {row::gamma, {"com_video_tvgamm"}, Text{}, {28}},
    {row::brightness, {"com_video_tvbri"}, Text{}, {29}},
};

void build_first_page(Form& form) {
  layout::Page p(form, "pic_video");
  p.label(22, "Video and TV mode Settings", {120, 0, 2985, 240}, LabelStyle::Heading);
  p.rule(7);

  p.label(0, "Windowed mode", {120, 360, 1410, 195});
  Control& winmode = p.option_group("pic_video_winmode", {240, 600, 1335, 495});
  p.option(winmode, "op_video_winmodo", 0, "Windowed", 0, false);
  p.option(winmode, "op_video_winmodo", 1, "Fullscreen", 1, true);
  p.label(1, "Fullscreen stretch", {120, 1080, 1530, 195});
  p.global_switch(1, 240, 1320, false);
  p.label(2, "Fullscreen stretch mode", {120, 1680, 2040, 195});
  Control& fullmode = p.option_group("pic_video_fullmode", {240, 1920, 1335, 735});
  p.option(fullmode, "op_video_fullm", 0, "Always", 0, false);
  p.option(fullmode, "op_video_fullm", 1, "1x1", 1, false);
  p.option(fullmode, "op_video_fullm", 2, "2x2", 2, true);
  p.label(3, "Bilinear filtering", {120, 2760, 1335, 195});
  p.global_switch(2, 240, 3000, false);
  p.label(6, "Auto frame skip", {120, 3360, 1335, 195});
  p.global_switch(3, 240, 3600, false);

  p.label(4, "Display Size", {2520, 360, 1050, 195});
  Control& display = p.option_group("pic_video_display", {2640, 600, 1335, 495});
  p.option(display, "op_video_winmodo", 3, "1x1 zoom", 0, false);
  p.option(display, "op_video_winmodo", 2, "2x2 zoom", 1, true);
  p.label(5, "Display Zoom", {2520, 1080, 1155, 195});
  Control& zoom = p.option_group("pic_video_zoom", {2640, 1320, 1335, 495});
  p.option(zoom, "op_video_winmodo", 4, "Software", 0, true);
  p.option(zoom, "op_video_winmodo", 5, "Hardware", 1, false);
  p.label(7, "Video sync", {2520, 1920, 945, 195});
  p.global_switch(0, 2640, 2160, false);
  p.label(18, "Auto Screen", {2520, 2520, 1065, 195});
  p.label(19, "Resolution lock", {2520, 2760, 1335, 195});
  p.global_switch(4, 2640, 3000, true);

  p.label(8, "Fullscreen S.", {4320, 360, 1125, 195});
  p.label(12, "Resolutions", {4680, 600, 1005, 195});
  p.label(13, "Windowed S.", {4320, 1920, 1140, 195});
  p.label(14, "Resolutions", {4680, 2160, 1005, 195});
  struct ResolutionRow {
    int label;
    const char* prefix;
    int top;
    const char* text;
  };
  constexpr ResolutionRow kResolutions[] = {
      {9, "256:", 840, "640,480"},   {10, "320:", 1200, "640,480"}, {11, "352:", 1560, "640,480"},
      {15, "256:", 2400, "256,224"}, {16, "320:", 2760, "320,224"}, {17, "352:", 3120, "352,224"},
  };
  int box = 0;
  for (const ResolutionRow& r : kResolutions) {
    p.label(r.label, r.prefix, {4320, r.top, 540, 300}, LabelStyle::Resolution);
    p.text_box("txt_video_full", {4920, r.top, 1095, 285}, r.text, box++);
  }

  p.label(20, "More >>>", {5280, 3600, 810, 195}, LabelStyle::PageFlip);
}

void build_tv_page(Form& form) {
  layout::Page p(form, "pic_video_tv");
  p.label(88, "TV mode Settings", {120, 0, 1860, 240}, LabelStyle::Heading);
  p.rule(6);

  p.label(23, "TV mode", {120, 360, 765, 195});
  p.global_switch(5, 240, 600, false);
  p.label(24, "Wire screen", {120, 960, 1035, 195});
  p.global_switch(6, 240, 1200, false);
  p.label(25, "Horizontal", {120, 1560, 870, 195});
  p.label(26, "Interpolation", {240, 1800, 1080, 195});
  p.global_switch(7, 240, 2040, true);
  p.label(27, "Scalines", {120, 2400, 735, 195});
  p.coded_combo("com_video_tvscal", {240, 2640, 975, 315}, "25%", kScanlines);

  p.label(28, "Gamma correction", {1800, 360, 1545, 195});
  p.combo("com_video_tvgamm", {1920, 600, 975, 315}, "1", layout::numbers(5, 0));
  p.label(29, "Brightness control", {1800, 1080, 1545, 195});
  p.combo("com_video_tvbri", {1920, 1320, 975, 315}, "1", layout::numbers(8, 0));

  p.label(21, "<<< Back", {5280, 3600, 825, 195}, LabelStyle::PageFlip);
}

constexpr PageFlip kFlips[] = {{20, true}, {21, false}};

}  // namespace

namespace panel_units {

void build_video_controls(Form& form) {
  build_first_page(form);
  build_tv_page(form);
}

PanelEntry video_panel() {
  return PanelEntry{
      .number = 1,
      .page = "pic_video",
      .sub_page = "pic_video_tv",
      .sub_page_rect = {0, 0, 6195, 3900},
      .nav = {"picpantalla", 720, "Video Settings", "nav_video"},
      .bindings = kBindings,
      .build = build_video_controls,
      .flips = kFlips,
      .drive_links = {},
      .browse_links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
