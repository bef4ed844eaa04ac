#include "panels/bindings.h"

namespace quorvane {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

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
  const std::string& value = table.value(binding.row);
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

void collect_binding(const Form& form, const Binding& binding, SettingsTable& table) {
  const codec::Collected collected =
      std::visit(Overloaded{
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
  if (collected) table.set_value(binding.row, *collected);
}

void collect_bindings(const Form& form, std::span<const Binding> bindings, SettingsTable& table) {
  for (const Binding& binding : bindings) collect_binding(form, binding, table);
}

}  // namespace quorvane
