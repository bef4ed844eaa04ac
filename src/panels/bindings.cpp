#include "panels/bindings.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

namespace {

Control& control_of(Form& form, ControlRef ref) { return form.at(ref.name, ref.index); }
const Control& control_of(const Form& form, ControlRef ref) { return form.at(ref.name, ref.index); }

// Independent tests, as if each button were asked in turn: the last selected member wins. The
// control model keeps a group exclusive, so in practice at most one is.
std::optional<std::size_t> selected_member(const Form& form, const codec::OptionGroup& group) {
  std::optional<std::size_t> selected;
  for (std::size_t i = 0; i < group.members.size(); ++i) {
    const codec::OptionMember& m = group.members[i];
    if (form.at(m.name, m.index).option_value()) selected = i;
  }
  return selected;
}

}  // namespace

void fill_binding(Form& form, const Binding& binding, const SettingsTable& table) {
  fill_binding_value(form, binding, table.value(binding.row));
}

void fill_binding_value(Form& form, const Binding& binding, std::string_view value) {
  std::visit(
      Overloaded{
          // Raises click when the state changes, which keeps the caption in step.
          [&](const codec::Switch& c) {
            control_of(form, binding.control).set_value(c.fill(value));
          },
          [&](const codec::Text& c) { control_of(form, binding.control).set_text(c.fill(value)); },
          [&](const codec::Coded& c) { control_of(form, binding.control).set_text(c.fill(value)); },
          [&](const codec::OptionGroup& c) {
            const std::optional<std::size_t> chosen = c.fill(value);
            // Clear first and select last, so the group never holds two selections even
            // if its buttons do not share one container.
            for (std::size_t i = 0; i < c.members.size(); ++i) {
              if (i != chosen) {
                form.at(c.members[i].name, c.members[i].index).set_option_value(false);
              }
            }
            if (chosen) {
              const codec::OptionMember& m = c.members[*chosen];
              form.at(m.name, m.index).set_option_value(true);
            }
          },
      },
      binding.codec);
}

namespace {

codec::Collected collected_value(const Form& form, const Binding& binding) {
  return std::visit(Overloaded{
                        [&](const codec::Switch& c) -> codec::Collected {
                          return c.collect(control_of(form, binding.control).value());
                        },
                        [&](const codec::Text& c) -> codec::Collected {
                          return c.collect(control_of(form, binding.control).text());
                        },
                        [&](const codec::Coded& c) -> codec::Collected {
                          return c.collect(control_of(form, binding.control).text());
                        },
                        [&](const codec::OptionGroup& c) -> codec::Collected {
                          return c.collect(selected_member(form, c));
                        },
                    },
                    binding.codec);
}

}  // namespace

void collect_binding(const Form& form, const Binding& binding, SettingsTable& table) {
  if (codec::Collected collected = collected_value(form, binding)) {
    table.set_value(binding.row, std::move(*collected));
  }
}

std::string value_to_store(const Form& form, const Binding& binding, const SettingsTable& table) {
  codec::Collected collected = collected_value(form, binding);
  return collected ? std::move(*collected) : table.value(binding.row);
}

std::string shown_as(const Form& form, const Binding& binding, std::string_view value) {
  const std::string shown =
      std::visit(Overloaded{
                     [&](const codec::Switch& c) { return std::string(c.caption(c.fill(value))); },
                     [&](const codec::Text& c) { return c.fill(value); },
                     [&](const codec::Coded& c) { return c.fill(value); },
                     [&](const codec::OptionGroup& c) {
                       const std::optional<std::size_t> chosen = c.fill(value);
                       if (!chosen) return std::string();
                       const codec::OptionMember& m = c.members[*chosen];
                       return form.at(m.name, m.index).caption();
                     },
                 },
                 binding.codec);
  return shown.empty() ? std::string(value) : shown;
}

std::vector<Control*> bound_controls(Form& form, const Binding& binding) {
  if (const auto* group = std::get_if<codec::OptionGroup>(&binding.codec)) {
    std::vector<Control*> buttons;
    for (const codec::OptionMember& m : group->members)
      buttons.push_back(&form.at(m.name, m.index));
    return buttons;
  }
  return {&control_of(form, binding.control)};
}

const Binding* binding_of(std::span<const Binding> bindings, const Control& control) {
  auto is = [&control](std::string_view name, int index) {
    return control.name() == name && control.index() == index;
  };
  for (const Binding& b : bindings) {
    if (is(b.control.name, b.control.index)) return &b;
    if (const auto* group = std::get_if<codec::OptionGroup>(&b.codec)) {
      for (const codec::OptionMember& m : group->members) {
        if (is(m.name, m.index)) return &b;
      }
    }
  }
  return nullptr;
}

void collect_bindings(const Form& form, std::span<const Binding> bindings, SettingsTable& table) {
  for (const Binding& binding : bindings) collect_binding(form, binding, table);
}

}  // namespace quorvane
