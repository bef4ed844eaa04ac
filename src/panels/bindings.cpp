#include "panels/bindings.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvane {

Binding& Declarations::bind(Binding binding) {
  Binding& added = declared_.emplace_back(std::move(binding));
  // After those of the same row, so that a row declared twice shows up as such in the tests.
  const auto at = std::upper_bound(by_row_.begin(), by_row_.end(), added.row,
                                   [](Row row, const Binding* b) { return row < b->row; });
  by_row_.insert(at, &added);
  return added;
}

std::vector<const Binding*> Declarations::panel_bindings(int panel) const {
  std::vector<const Binding*> of_panel;
  for (const Binding* b : by_row_) {
    if (b->panel == panel) of_panel.push_back(b);
  }
  return of_panel;
}

const Binding* Declarations::binding_of(const Control& control) const {
  for (const Binding* b : by_row_) {
    if (b->control == &control || std::ranges::count(b->buttons, &control) != 0) return b;
  }
  return nullptr;
}

const Binding& Declarations::binding_for(Row row) const {
  for (const Binding* b : by_row_) {
    if (b->row == row) return *b;
  }
  throw std::logic_error("no control shows " + std::string(SettingsTable::name(row)));
}

namespace {

// Independent tests, as if each button were asked in turn: the last selected button wins. The
// control model keeps a group exclusive, so in practice at most one is.
std::optional<std::size_t> selected_button(const Binding& binding) {
  std::optional<std::size_t> selected;
  for (std::size_t i = 0; i < binding.buttons.size(); ++i) {
    if (binding.buttons[i]->option_value()) selected = i;
  }
  return selected;
}

codec::Collected collected_value(const Binding& binding) {
  const Control& c = *binding.control;
  return std::visit(
      Overloaded{
          [&](const codec::Switch& s) -> codec::Collected { return s.collect(c.value()); },
          [&](const codec::Text& t) -> codec::Collected { return t.collect(c.text()); },
          [&](const codec::Coded& k) -> codec::Collected { return k.collect(c.text()); },
          [&](const codec::OptionGroup& g) -> codec::Collected {
            return g.collect(selected_button(binding));
          },
      },
      binding.codec);
}

}  // namespace

void fill_binding(const Binding& binding, const SettingsTable& table) {
  fill_binding_value(binding, table.value(binding.row));
}

void fill_binding_value(const Binding& binding, std::string_view value) {
  Control& c = *binding.control;
  std::visit(Overloaded{
                 // Raises click when the state changes, which keeps the caption in step.
                 [&](const codec::Switch& s) { c.set_value(s.fill(value)); },
                 [&](const codec::Text& t) { c.set_text(t.fill(value)); },
                 [&](const codec::Coded& k) { c.set_text(k.fill(value)); },
                 [&](const codec::OptionGroup& g) {
                   const std::optional<std::size_t> chosen = g.fill(value);
                   // Clear first and select last, so the group never holds two selections even
                   // if its buttons do not share one container.
                   for (std::size_t i = 0; i < binding.buttons.size(); ++i) {
                     if (i != chosen) binding.buttons[i]->set_option_value(false);
                   }
                   if (chosen) binding.buttons.at(*chosen)->set_option_value(true);
                 },
             },
             binding.codec);
}

void collect_binding(const Binding& binding, SettingsTable& table) {
  if (codec::Collected collected = collected_value(binding)) {
    table.set_value(binding.row, std::move(*collected));
  }
}

void fill_controls(const Declarations& declared, const SettingsTable& table) {
  for (const Binding* binding : declared.bindings()) fill_binding(*binding, table);
}

void collect_panel_rows(const Declarations& declared, int panel, SettingsTable& table) {
  for (const Binding* binding : declared.panel_bindings(panel)) collect_binding(*binding, table);
}

std::string value_to_store(const Binding& binding, const SettingsTable& table) {
  codec::Collected collected = collected_value(binding);
  return collected ? std::move(*collected) : table.value(binding.row);
}

std::string shown_as(const Binding& binding, std::string_view value) {
  const std::string shown =
      std::visit(Overloaded{
                     [&](const codec::Switch& s) { return std::string(s.caption(s.fill(value))); },
                     [&](const codec::Text& t) { return t.fill(value); },
                     [&](const codec::Coded& k) { return k.fill(value); },
                     [&](const codec::OptionGroup& g) {
                       const std::optional<std::size_t> chosen = g.fill(value);
                       return chosen ? binding.buttons.at(*chosen)->caption() : std::string();
                     },
                 },
                 binding.codec);
  return shown.empty() ? std::string(value) : shown;
}

std::vector<Control*> bound_controls(const Binding& binding) {
  if (std::holds_alternative<codec::OptionGroup>(binding.codec)) return binding.buttons;
  return {binding.control};
}

void switch_Click(const Binding& binding) {
  if (const auto* s = std::get_if<codec::Switch>(&binding.codec)) {
    binding.control->set_caption(std::string(s->caption(binding.control->value())));
  }
}

void drive_list_Change(const Binding& binding) {
  if (binding.drive_list == nullptr) return;
  const std::string& drive = binding.drive_list->drive();
  if (drive.empty()) return;
  char letter = drive.front();
  // ASCII only: the texts are Windows-1252 bytes, and drive letters are A to Z.
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  binding.control->set_text(binding.control->text() + letter);
}

}  // namespace quorvane
