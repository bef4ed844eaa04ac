// Panel 4: [keyboard], on Pic_key.

#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace {

using codec::Coded;
using codec::CodePair;
using codec::UnknownText;

constexpr CodePair kKeyboardTypeCodes[] = {{"0", "AZERTY"}, {"1", "QWERTY"}, {"2", "QWERTZ"}};
constexpr Coded kKeyboardType{kKeyboardTypeCodes, UnknownText::StoreEmpty};
constexpr CodePair kEscKeyModeCodes[] = {{"0", "Automatic"}, {"1", "GUI mode"}, {"2", "Exit mode"}};
constexpr Coded kEscKeyMode{kEscKeyModeCodes, UnknownText::StoreEmpty};

}  // namespace

namespace panel_units {

void build_keyboard_controls(PanelSite site) {
  layout::Page p(site);
  p.label(87, "Keyboard", {120, 0, 1020, 240}, layout::LabelStyle::Heading);
  p.rule(5);

  Control& type = p.label(30, "Type of keyboard", {120, 480, 1500, 195});
  p.coded_combo({row::keyboard_type, {type}}, "com_key_type", {240, 720, 1335, 315}, "QWERTY",
                kKeyboardType);
  Control& keypad = p.label(31, "Unlock numeric keypad", {120, 1200, 2010, 195});
  p.lock_switch({row::numpad, {keypad}}, 0, 240, 1440);
  Control& numbers = p.label(32, "Unlock numeric keys", {120, 1800, 1785, 195});
  p.lock_switch({row::numkeys, {numbers}}, 1, 240, 2040);
  Control& ctrl = p.label(33, "Unlock ctrl keys", {120, 2400, 1395, 195});
  p.lock_switch({row::ctrlkeys, {ctrl}}, 2, 240, 2640);
  Control& esc = p.label(34, "ESC key mode", {120, 3000, 1245, 195});
  p.coded_combo({row::esc_key_mode, {esc}}, "com_key_mode", {240, 3240, 1335, 315}, "Automatic",
                kEscKeyMode);

  Control& delay = p.label(35, "Auto repeat delay", {2640, 480, 1515, 195});
  p.combo({row::auto_repeat_delay, {delay}}, "com_key_delay", {2760, 720, 1335, 315}, "2",
          layout::numbers(1, 8));
  Control& rate = p.label(36, "Auto repeat rate", {2640, 1200, 1395, 195});
  p.combo({row::auto_repeat_rate, {rate}}, "com_key_rate", {2760, 1440, 1335, 315}, "9",
          layout::numbers(1, 16));
}

PanelEntry keyboard_panel() {
  return PanelEntry{
      .number = 4,
      .page = "Pic_key",
      .sub_page = "",
      .sub_page_rect = {},
      .nav = {"imgteclado", 2520, "Keyboard Settings", "nav_keyboard"},
      .build = build_keyboard_controls,
      .links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
