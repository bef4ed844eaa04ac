#pragma once

#include "settings/settings_table.h"
#include "shell/controls.h"

namespace quorvane {

// Adds every settings panel's own controls (labels of lblvideo_1, the linea rules, check boxes,
// option groups, combo boxes, text boxes, drive lists) to the pages the shell has created:
// pic_panel, pic_panel_b, pic_video, pic_video_tv, pic_sound, Pic_pad, Pic_key, pic_cdrom.
void build_panel_controls(Form& form);

// Copies the 62 setting rows into their controls, in ascending row order.
void fill_controls(Form& form, const SettingsTable& table);

// Each panel's controls (both pages where it has two) back into the table.
void collect_emulation(Form& form, SettingsTable& table);
void collect_video(Form& form, SettingsTable& table);
void collect_sound(Form& form, SettingsTable& table);
void collect_gamepad(Form& form, SettingsTable& table);
void collect_keyboard(Form& form, SettingsTable& table);
void collect_cdrom(Form& form, SettingsTable& table);

// The drive lists' change handlers: append the chosen drive's letter to the row's text.
void Dri_panel_list_Change(Form& form);
void dr_cdrom_letter_Change(Form& form);

}  // namespace quorvane
