#pragma once

#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "panels/codecs.h"
#include "settings/settings_table.h"
#include "shell/controls.h"

namespace quorvane {

struct ControlRef {
  std::string_view name;
  int index = -1;
};

using Codec = std::variant<codec::Switch, codec::Text, codec::Coded, codec::OptionGroup>;

// One setting row and the one control that shows it. For an option group the control is the
// group's container and the codec names its buttons.
struct Binding {
  int row;
  ControlRef control;
  Codec codec;
};

// Each panel's bindings, in the order its collect procedure writes them (ascending rows).
std::span<const Binding> emulation_bindings();
std::span<const Binding> video_bindings();
std::span<const Binding> sound_bindings();
std::span<const Binding> gamepad_bindings();
std::span<const Binding> keyboard_bindings();
std::span<const Binding> cdrom_bindings();

// Every panel's bindings merged in ascending row order: the order in which fill_controls runs.
const std::vector<Binding>& all_bindings();

void fill_binding(Form& form, const Binding& binding, const SettingsTable& table);
void collect_binding(const Form& form, const Binding& binding, SettingsTable& table);
void collect_bindings(const Form& form, std::span<const Binding> bindings, SettingsTable& table);

}  // namespace quorvane
