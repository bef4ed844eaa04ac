#include "panels/registry.h"

#include <array>

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

}  // namespace quorvane
