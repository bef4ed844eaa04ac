// Panel 4: [keyboard], on Pic_key.

#include "panels/bindings.h"
#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/registry.h"

namespace quorvane {

namespace {

using codec::Coded;
using codec::CodePair;
using codec::kLockSwitch;
using codec::Text;
using codec::UnknownText;
using layout::LabelStyle;

constexpr CodePair kKeyboardTypeCodes[] = {{"0", "AZERTY"}, {"1", "QWERTY"}, {"2", "QWERTZ"}};
constexpr Coded kKeyboardType{kKeyboardTypeCodes, UnknownText::StoreEmpty};
constexpr CodePair kEscKeyModeCodes[] = {{"0", "Automatic"}, {"1", "GUI mode"}, {"2", "Exit mode"}};
constexpr Coded kEscKeyMode{kEscKeyModeCodes, UnknownText::StoreEmpty};

constexpr Binding kBindings[] = {
    {row::keyboard_type, {"com_key_type"}, kKeyboardType, {30}},
    {row::numpad, {"ch_glolock", 0}, kLockSwitch, {31}},
    {row::numkeys, {"ch_glolock", 1}, kLockSwitch, {32}},
    {row::ctrlkeys, {"ch_glolock", 2}, kLockSwitch, {33}},
    {row::esc_key_mode, {"com_key_mode"}, kEscKeyMode, {34}},
    {row::auto_repeat_delay, {"com_key_delay"}, Text{}, {35}},
    {row::auto_repeat_rate, {"com_key_rate"}, Text{}, {36}},
};

}  // namespace

namespace panel_units {

void build_keyboard_controls(Form& form) {
  layout::Page p(form, "Pic_key");
  p.label(87, "Keyboard", {120, 0, 1020, 240}, LabelStyle::Heading);
  p.rule(5);

  p.label(30, "Type of keyboard", {120, 480, 1500, 195});
  p.coded_combo("com_key_type", {240, 720, 1335, 315}, "QWERTY", kKeyboardType);
  p.label(31, "Unlock numeric keypad", {120, 1200, 2010, 195});
  p.lock_switch(0, 240, 1440);
  p.label(32, "Unlock numeric keys", {120, 1800, 1785, 195});
  p.lock_switch(1, 240, 2040);
  p.label(33, "Unlock ctrl keys", {120, 2400, 1395, 195});
  p.lock_switch(2, 240, 2640);
  p.label(34, "ESC key mode", {120, 3000, 1245, 195});
  p.coded_combo("com_key_mode", {240, 3240, 1335, 315}, "Automatic", kEscKeyMode);

  p.label(35, "Auto repeat delay", {2640, 480, 1515, 195});
  p.combo("com_key_delay", {2760, 720, 1335, 315}, "2", layout::numbers(1, 8));
  p.label(36, "Auto repeat rate", {2640, 1200, 1395, 195});
  p.combo("com_key_rate", {2760, 1440, 1335, 315}, "9", layout::numbers(1, 16));
}

PanelEntry keyboard_panel() {
  return PanelEntry{
      .number = 4,
      .page = "Pic_key",
      .sub_page = "",
      .sub_page_rect = {},
      .nav = {"imgteclado", 2520, "Keyboard Settings", "nav_keyboard"},
      .bindings = kBindings,
      .build = build_keyboard_controls,
      .flips = {},
      .drive_links = {},
      .browse_links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
