#pragma once

#include "model/controls.h"
#include "panels/registry.h"

// What the panel units share with the registry; not part of the panels' public face.
namespace quorvane::panel_units {

// Each unit's entry: its pages, navigation image and the build function that declares its
// controls.
PanelEntry emulation_panel();
PanelEntry video_panel();
PanelEntry sound_panel();
PanelEntry gamepad_panel();
PanelEntry keyboard_panel();
PanelEntry cdrom_panel();
PanelEntry intro_panel();

}  // namespace quorvane::panel_units
