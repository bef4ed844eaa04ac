// Panel 1: [video] and [tv_mode], on pic_video and its TV-mode page pic_video_tv.

#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace {

using codec::Coded;
using codec::CodePair;
using codec::OptionGroup;
using codec::UnknownText;
using layout::LabelStyle;

constexpr CodePair kScanlineCodes[] = {
    {"0", "100%"}, {"1", "75%"}, {"2", "50%"}, {"3", "25%"}, {"4", "0%"}};
constexpr Coded kScanlines{kScanlineCodes, UnknownText::StoreEmpty};

void build_first_page(PanelSite site) {
  layout::Page p(site);
  p.label(22, "Video and TV mode Settings", {120, 0, 2985, 240}, LabelStyle::Heading);
  p.rule(7);

  Control& windowed = p.label(0, "Windowed mode", {120, 360, 1410, 195});
  // Anything but "y" starts fullscreen.
  auto winmode =
      p.option_group({row::windowed, {windowed}}, "pic_video_winmode", {240, 600, 1335, 495},
                     OptionGroup{.unknown_selects = "n", .none_selected_stores = "n"});
  p.option(winmode, "op_video_winmodo", 0, "Windowed", "y");
  p.option(winmode, "op_video_winmodo", 1, "Fullscreen", "n", true);
  Control& stretch = p.label(1, "Fullscreen stretch", {120, 1080, 1530, 195});
  p.global_switch({row::fullscreen, {stretch}}, 1, 240, 1320, false);
  Control& mode = p.label(2, "Fullscreen stretch mode", {120, 1680, 2040, 195});
  // A mode the panel does not know selects nothing, and the row keeps it until the user picks
  // a mode: guessing one would silently change how the emulator stretches.
  auto fullmode = p.option_group({row::fullscreen_mode, {mode}}, "pic_video_fullmode",
                                 {240, 1920, 1335, 735}, OptionGroup{});
  p.option(fullmode, "op_video_fullm", 0, "Always", "0");
  p.option(fullmode, "op_video_fullm", 1, "1x1", "1");
  p.option(fullmode, "op_video_fullm", 2, "2x2", "2", true);
  Control& filtering = p.label(3, "Bilinear filtering", {120, 2760, 1335, 195});
  p.global_switch({row::filtering, {filtering}}, 2, 240, 3000, false);
  Control& skip = p.label(6, "Auto frame skip", {120, 3360, 1335, 195});
  p.global_switch({row::auto_frame_skip, {skip}}, 3, 240, 3600, false);

  Control& size = p.label(4, "Display Size", {2520, 360, 1050, 195});
  // Anything but "0" is the larger display.
  auto display = p.option_group({row::size, {size}}, "pic_video_display", {2640, 600, 1335, 495},
                                OptionGroup{.unknown_selects = "1", .none_selected_stores = "1"});
  p.option(display, "op_video_winmodo", 3, "1x1 zoom", "0");
  p.option(display, "op_video_winmodo", 2, "2x2 zoom", "1", true);
  Control& zoom_label = p.label(5, "Display Zoom", {2520, 1080, 1155, 195});
  // An unknown zoom falls back to software, the emulator's own default.
  auto zoom = p.option_group({row::zoom, {zoom_label}}, "pic_video_zoom", {2640, 1320, 1335, 495},
                             OptionGroup{.unknown_selects = "0", .none_selected_stores = "1"});
  p.option(zoom, "op_video_winmodo", 4, "Software", "0", true);
  p.option(zoom, "op_video_winmodo", 5, "Hardware", "1");
  Control& sync = p.label(7, "Video sync", {2520, 1920, 945, 195});
  p.global_switch({row::vsync, {sync}}, 0, 2640, 2160, false);
  Control& auto_screen = p.label(18, "Auto Screen", {2520, 2520, 1065, 195});
  Control& lock = p.label(19, "Resolution lock", {2520, 2760, 1335, 195});
  p.global_switch({row::res_lock, {auto_screen, lock}}, 4, 2640, 3000, true);

  Control& full = p.label(8, "Fullscreen S.", {4320, 360, 1125, 195});
  Control& full_res = p.label(12, "Resolutions", {4680, 600, 1005, 195});
  Control& win = p.label(13, "Windowed S.", {4320, 1920, 1140, 195});
  Control& win_res = p.label(14, "Resolutions", {4680, 2160, 1005, 195});
  struct ResolutionRow {
    Row row;
    Control& heading;
    Control& resolutions;
    int label;
    const char* prefix;
    int top;
    const char* text;
  };
  const ResolutionRow resolutions[] = {
      {row::res_256, full, full_res, 9, "256:", 840, "640,480"},
      {row::res_320, full, full_res, 10, "320:", 1200, "640,480"},
      {row::res_352, full, full_res, 11, "352:", 1560, "640,480"},
      {row::win_res_256, win, win_res, 15, "256:", 2400, "256,224"},
      {row::win_res_320, win, win_res, 16, "320:", 2760, "320,224"},
      {row::win_res_352, win, win_res, 17, "352:", 3120, "352,224"},
  };
  int box = 0;
  for (const ResolutionRow& r : resolutions) {
    Control& prefix = p.label(r.label, r.prefix, {4320, r.top, 540, 300}, LabelStyle::Resolution);
    p.text_box({r.row, {r.heading, r.resolutions, prefix}}, "txt_video_full",
               {4920, r.top, 1095, 285}, r.text, box++);
  }

  p.page_flip(20, "More >>>", {5280, 3600, 810, 195}, Flip::ShowsSubPage);
}

void build_tv_page(PanelSite site) {
  layout::Page p(site, layout::Page::Which::SubPage);
  p.label(88, "TV mode Settings", {120, 0, 1860, 240}, LabelStyle::Heading);
  p.rule(6);

  Control& tv = p.label(23, "TV mode", {120, 360, 765, 195});
  p.global_switch({row::tv_mode, {tv}}, 5, 240, 600, false);
  Control& wide = p.label(24, "Wire screen", {120, 960, 1035, 195});
  p.global_switch({row::wide, {wide}}, 6, 240, 1200, false);
  Control& horizontal = p.label(25, "Horizontal", {120, 1560, 870, 195});
  Control& interpolation = p.label(26, "Interpolation", {240, 1800, 1080, 195});
  p.global_switch({row::tv_interpolation, {horizontal, interpolation}}, 7, 240, 2040, true);
  Control& scanlines = p.label(27, "Scalines", {120, 2400, 735, 195});
  p.coded_combo({row::scanlines, {scanlines}}, "com_video_tvscal", {240, 2640, 975, 315}, "25%",
                kScanlines);

  Control& gamma = p.label(28, "Gamma correction", {1800, 360, 1545, 195});
  p.combo({row::gamma, {gamma}}, "com_video_tvgamm", {1920, 600, 975, 315}, "1",
          layout::numbers(5, 0));
  Control& brightness = p.label(29, "Brightness control", {1800, 1080, 1545, 195});
  p.combo({row::brightness, {brightness}}, "com_video_tvbri", {1920, 1320, 975, 315}, "1",
          layout::numbers(8, 0));

  p.page_flip(21, "<<< Back", {5280, 3600, 825, 195}, Flip::HidesSubPage);
}

}  // namespace

namespace panel_units {

void build_video_controls(PanelSite site) {
  build_first_page(site);
  build_tv_page(site);
}

PanelEntry video_panel() {
  return PanelEntry{
      .number = 1,
      .page = "pic_video",
      .sub_page = "pic_video_tv",
      .sub_page_rect = {0, 0, 6195, 3900},
      .nav = {"picpantalla", 720, "Video Settings", "nav_video"},
      .build = build_video_controls,
      .links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
