#pragma once

#include <span>
#include <string_view>
#include <variant>

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
  Row row;
  ControlRef control;
  Codec codec;
};

void fill_binding(Form& form, const Binding& binding, const SettingsTable& table);
void collect_binding(const Form& form, const Binding& binding, SettingsTable& table);
void collect_bindings(const Form& form, std::span<const Binding> bindings, SettingsTable& table);

}  // namespace quorvane
