#pragma once

#include <string>

#include "model/controls.h"
#include "panels/bindings.h"
#include "settings/setting_notes.h"

// What the window tells the user of each setting beyond its control: the help taken from the
// template's comments, the names a screen reader reads, and the signs of values outside the
// ranges those comments state. All of it is derived from the template, the bindings and the
// labels, so none of it is written a second time.
namespace quorvane {

// The captions of the labels over the binding's control, joined: "Soft reset (Run + Select)".
std::string caption_of(const Binding& binding);

// The setting's comment lines, then its place in the file and its default; for a control that
// shows other words than the file's codes, also what the panel stores for each of them.
std::string help_text(const Binding& binding);

// The warning sign beside a control whose row states a range: "warn_txt_sound_delay".
std::string warning_sign_name(const Binding& binding);

// What every sign adds: a marked value is kept.
inline constexpr const char* kSavedAsItStands = "The value is saved as it stands.";

// The sign's tooltip.
std::string range_warning(const StatedRange& range);

// Gives every setting control and its labels their help as tooltip and description and their
// caption as accessible name, names the drive lists and browse buttons after the setting they
// serve, and adds a hidden warning sign beside each control whose row states a range.
void annotate_settings(Form& form, Declarations& declared);

}  // namespace quorvane
