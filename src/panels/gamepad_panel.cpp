// Panel 3: [gamepad], on Pic_pad.

#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace panel_units {

void build_gamepad_controls(PanelSite site) {
  layout::Page p(site);
  p.label(86, "GamePad", {120, 0, 1050, 240}, layout::LabelStyle::Heading);
  p.rule(4);

  Control& pad = p.label(37, "GamePad", {120, 480, 825, 195});
  p.global_switch({row::gamepad, {pad}}, 9, 240, 720, true);
  Control& speed = p.label(38, "Auto Fire Speed", {120, 1080, 1380, 195});
  p.combo({row::auto_fire_speed, {speed}}, "com_pad_speed", {240, 1320, 1215, 315}, "2",
          layout::numbers(1, 10));
  Control& calibration = p.label(39, "Auto Calibration Control", {120, 1800, 2025, 195});
  // The list offers "80%" and the like; a level picked from it is stored with its sign, while a
  // bare "70" read from the file is shown and kept as it is.
  p.combo({row::auto_calibration, {calibration}}, "com_pad_control", {240, 2040, 1215, 315}, "70%",
          {"50%", "60%", "70%", "80%", "90%"});
}

PanelEntry gamepad_panel() {
  return PanelEntry{
      .number = 3,
      .page = "Pic_pad",
      .sub_page = "",
      .sub_page_rect = {},
      .nav = {"imgcontrol", 1920, "Gamepad Settings", "nav_gamepad"},
      .build = build_gamepad_controls,
      .links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
