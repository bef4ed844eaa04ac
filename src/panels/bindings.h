#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/controls.h"
#include "panels/codecs.h"
#include "settings/settings_table.h"

namespace quorvane {

struct ControlRef {
  std::string_view name;
  int index = -1;
};

// One lambda per codec for std::visit.
template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

using Codec = std::variant<codec::Switch, codec::Text, codec::Coded, codec::OptionGroup>;

// The labels of lblvideo_1 that stand over a control, top to bottom ("Auto Screen" over
// "Resolution lock"): their captions together are the control's name.
class CaptionLabels {
 public:
  constexpr CaptionLabels() = default;
  constexpr CaptionLabels(std::initializer_list<int> indexes) {
    for (int i : indexes) {
      if (count_ == indexes_.size()) throw std::logic_error("a control has three labels at most");
      indexes_[count_++] = i;
    }
  }
  constexpr std::span<const int> indexes() const { return {indexes_.data(), count_}; }

 private:
  std::array<int, 3> indexes_{};
  std::size_t count_ = 0;
};

// One setting row and the one control that shows it. For an option group the control is the
// group's container and the codec names its buttons.
struct Binding {
  Row row;
  ControlRef control;
  Codec codec;
  CaptionLabels labels;
};

void fill_binding(Form& form, const Binding& binding, const SettingsTable& table);
// Sets the control as the start-up fill does, from `value` instead of the table's.
void fill_binding_value(Form& form, const Binding& binding, std::string_view value);
void collect_binding(const Form& form, const Binding& binding, SettingsTable& table);
void collect_bindings(const Form& form, std::span<const Binding> bindings, SettingsTable& table);

// What collecting the control now would leave in the row: its new value, or the row's own where
// the codec keeps the row (an unknown frame delay, say).
std::string value_to_store(const Form& form, const Binding& binding, const SettingsTable& table);

// How the control shows `value`, as the user would read it: "Enable", "60 Hz", "Fullscreen", the
// text itself. A value the control cannot show (a frame delay of 16667) is given as it stands.
std::string shown_as(const Form& form, const Binding& binding, std::string_view value);

// The controls a binding sets: the bound control, or an option group's buttons.
std::vector<Control*> bound_controls(Form& form, const Binding& binding);

// The binding that sets `control` (an option button finds its group's); nullptr for none.
const Binding* binding_of(std::span<const Binding> bindings, const Control& control);
}  // namespace quorvane
