#include "panels/registry.h"

#include <algorithm>
#include <array>
#include <vector>

#include "panels/panel_units.h"

namespace quorvane {

std::span<const PanelEntry> panel_registry() {
  static const std::array<PanelEntry, 7> panels{
      panel_units::intro_panel(), panel_units::emulation_panel(), panel_units::video_panel(),
      panel_units::sound_panel(), panel_units::gamepad_panel(),   panel_units::keyboard_panel(),
      panel_units::cdrom_panel(),
  };
  return panels;
}

const PanelEntry* find_panel(int number) {
  for (const PanelEntry& panel : panel_registry()) {
    if (panel.number == number) return &panel;
  }
  return nullptr;
}

std::span<const Binding> all_bindings() {
  static const std::vector<Binding> merged = [] {
    std::vector<Binding> all;
    for (const PanelEntry& panel : panel_registry()) {
      all.insert(all.end(), panel.bindings.begin(), panel.bindings.end());
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Binding& a, const Binding& b) { return a.row < b.row; });
    return all;
  }();
  return merged;
}

void fill_controls(Form& form, const SettingsTable& table) {
  for (const Binding& binding : all_bindings()) fill_binding(form, binding, table);
}

void collect_panel_rows(const Form& form, const PanelEntry& panel, SettingsTable& table) {
  collect_bindings(form, panel.bindings, table);
}

std::string browse_button_name(const BrowseLink& link) {
  std::string_view box = link.text_box;
  if (box.starts_with("txt_")) box.remove_prefix(4);
  return "cmd_" + std::string(box);
}

void drive_link_Change(Form& form, const DriveLink& link) {
  const std::string& drive = form.at(link.drive_list).drive();
  if (drive.empty()) return;
  char letter = drive.front();
  // ASCII only: the texts are Windows-1252 bytes, and drive letters are A to Z.
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  Control& text_box = form.at(link.text_box);
  text_box.set_text(text_box.text() + letter);
}

}  // namespace quorvane
