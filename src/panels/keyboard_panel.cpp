// Panel 4: [keyboard], on Pic_key.

#include "panels/bindings.h"
#include "panels/layout.h"
#include "panels/panel_units.h"
#include "panels/panels.h"

namespace quorvane {

namespace {

using codec::Coded;
using codec::CodePair;
using codec::kLockSwitch;
using codec::Text;
using codec::UnknownText;
using layout::LabelStyle;

constexpr CodePair kKeyboardType[] = {{"0", "AZERTY"}, {"1", "QWERTY"}, {"2", "QWERTZ"}};
constexpr CodePair kEscKeyMode[] = {{"0", "Automatic"}, {"1", "GUI mode"}, {"2", "Exit mode"}};

constexpr Binding kBindings[] = {
    {43, {"com_key_type"}, Coded{kKeyboardType, UnknownText::StoreEmpty}},
    {44, {"ch_glolock", 0}, kLockSwitch},
    {45, {"ch_glolock", 1}, kLockSwitch},
    {46, {"ch_glolock", 2}, kLockSwitch},
    {47, {"com_key_mode"}, Coded{kEscKeyMode, UnknownText::StoreEmpty}},
    {48, {"com_key_delay"}, Text{}},
    {49, {"com_key_rate"}, Text{}},
};

}  // namespace

std::span<const Binding> keyboard_bindings() { return kBindings; }

void collect_keyboard(Form& form, SettingsTable& table) {
  collect_bindings(form, kBindings, table);
}

namespace panel_units {

void build_keyboard_controls(Form& form) {
  layout::Page p(form, "Pic_key");
  p.label(87, "Keyboard", {120, 0, 1020, 240}, LabelStyle::Heading);
  p.rule(5);

  p.label(30, "Type of keyboard", {120, 480, 1500, 195});
  p.combo("com_key_type", {240, 720, 1335, 315}, "QWERTY", {"AZERTY", "QWERTY", "QWERTZ"});
  p.label(31, "Unlock numeric keypad", {120, 1200, 2010, 195});
  p.lock_switch(0, 240, 1440);
  p.label(32, "Unlock numeric keys", {120, 1800, 1785, 195});
  p.lock_switch(1, 240, 2040);
  p.label(33, "Unlock ctrl keys", {120, 2400, 1395, 195});
  p.lock_switch(2, 240, 2640);
  p.label(34, "ESC key mode", {120, 3000, 1245, 195});
  p.combo("com_key_mode", {240, 3240, 1335, 315}, "Automatic",
          {"Automatic", "GUI mode", "Exit mode"});

  p.label(35, "Auto repeat delay", {2640, 480, 1515, 195});
  p.combo("com_key_delay", {2760, 720, 1335, 315}, "2", layout::numbers(1, 8));
  p.label(36, "Auto repeat rate", {2640, 1200, 1395, 195});
  p.combo("com_key_rate", {2760, 1440, 1335, 315}, "9", layout::numbers(1, 16));
}

}  // namespace panel_units

}  // namespace quorvane
