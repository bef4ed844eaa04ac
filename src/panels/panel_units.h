#pragma once

#include "shell/controls.h"

// What the panel units share with each other; not part of the panels' public face.
namespace quorvane::panel_units {

void build_emulation_controls(Form& form);
void build_video_controls(Form& form);
void build_sound_controls(Form& form);
void build_gamepad_controls(Form& form);
void build_keyboard_controls(Form& form);
void build_cdrom_controls(Form& form);

// Appends the chosen drive's letter to the box. Drive texts start with the letter, as in "c:" or
// "d: [DATA]"; an empty drive text (nothing chosen, or no drives at all) adds nothing.
void append_drive_letter(const Control& drive_list, Control& text_box);

}  // namespace quorvane::panel_units
