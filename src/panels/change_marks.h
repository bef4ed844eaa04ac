#pragma once

#include <string>
#include <string_view>

#include "model/controls.h"
#include "panels/bindings.h"

// The marks beside settings whose value is no longer the one VOZ.INI held when the editor
// started: the user sees what a save would change before it is written, and a screen reader
// hears it first in the control's description.
namespace quorvane {

// The mark beside a setting's control: "changed_txt_sound_delay", with the control's index where
// it is one of an array.
std::string change_mark_name(const Binding& binding);

// Adds a hidden mark beside every setting control, right of what already stands beside it (the
// range sign, the browse button). Run after annotate_settings, whose help it keeps.
void add_change_marks(Form& form, Declarations& declared);

// What the mark says, and what the control's description begins with while it shows:
// "Changed: VOZ.INI held y (Enable)."
std::string changed_note(const Binding& binding, std::string_view read);

// Shows or hides the binding's mark; while it shows, the control's description begins with the
// note before the help.
void show_change(const Binding& binding, std::string_view read, bool changed);

}  // namespace quorvane
