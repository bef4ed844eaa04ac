// Panel 2: [sound], on pic_sound.

#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace panel_units {

void build_sound_controls(PanelSite site) {
  using layout::LabelStyle;
  layout::Page p(site);
  p.label(83, "Sound", {120, 0, 675, 240}, LabelStyle::Heading);
  p.rule(0);

  Control& sound = p.label(68, "Sound", {120, 360, 555, 195});
  p.global_switch({row::sound, {sound}}, 14, 240, 600, true);
  Control& frequency = p.label(69, "Frequency", {120, 960, 900, 195});
  p.combo({row::frequency, {frequency}}, "com_sound_fre", {240, 1200, 1095, 315}, "44100",
          {"8000", "11025", "22050", "44100", "48000"});
  Control& bits = p.label(70, "16 bit", {120, 1680, 495, 195});
  p.global_switch({row::sound_16bit, {bits}}, 15, 240, 1920, true);
  Control& stereo = p.label(71, "Stereo", {120, 2280, 570, 195});
  p.global_switch({row::stereo, {stereo}}, 16, 240, 2520, true);
  Control& interpolation = p.label(72, "Interpolation", {120, 2880, 1080, 195});
  p.global_switch({row::sound_interpolation, {interpolation}}, 17, 240, 3120, false);

  Control& level = p.label(73, "Interpolation level", {2040, 360, 1545, 195});
  p.combo({row::interpolation_level, {level}}, "com_sound_ilevel", {2160, 600, 1095, 315}, "1",
          layout::numbers(1, 15));
  Control& delay = p.label(74, "Delay (2 - 30)", {2040, 960, 1170, 195});
  // No range checks: the ranges the labels name are for the emulator to enforce.
  p.text_box({row::delay, {delay}}, "txt_sound_delay", {2160, 1200, 1095, 285});
  Control& cd = p.label(75, "CD ROM audio", {2040, 1560, 1275, 195});
  Control& line = p.label(76, "input line (0-First;1-Second)", {2040, 1740, 2370, 195});
  p.text_box({row::cd_audio_input_line, {cd, line}}, "txt_sound_cd", {2160, 1950, 1095, 285});
  Control& master = p.label(77, "Master Volume (0 - 100)", {2040, 2325, 2040, 195});
  p.text_box({row::master_audio_volume, {master}}, "txt_sound_mvol", {2160, 2520, 1095, 285});
  Control& fx = p.label(78, "FX Volume (0 - 100)", {2040, 2880, 1695, 195});
  p.text_box({row::fx_audio_volume, {fx}}, "txt_sound_fxvol", {2160, 3120, 1095, 285});

  Control& cd_volume = p.label(79, "CD Volume (0 - 100)", {4320, 360, 1725, 195});
  p.text_box({row::cd_audio_volume, {cd_volume}}, "txt_sound_cdvol", {4440, 600, 1095, 285});
}

PanelEntry sound_panel() {
  return PanelEntry{
      .number = 2,
      .page = "pic_sound",
      .sub_page = "",
      .sub_page_rect = {},
      .nav = {"imgsonido", 1320, "Sound Settings", "nav_sound"},
      .build = build_sound_controls,
      .links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
