#include "panels/panels.h"

#include "panels/panel_units.h"

namespace quorvane {

void build_panel_controls(Form& form) {
  panel_units::build_emulation_controls(form);
  panel_units::build_video_controls(form);
  panel_units::build_sound_controls(form);
  panel_units::build_gamepad_controls(form);
  panel_units::build_keyboard_controls(form);
  panel_units::build_cdrom_controls(form);
}

namespace panel_units {

void append_drive_letter(const Control& drive_list, Control& text_box) {
  const std::string& drive = drive_list.drive();
  if (drive.empty()) return;
  char letter = drive.front();
  // ASCII only: the texts are Windows-1252 bytes, and drive letters are A to Z.
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  text_box.set_text(text_box.text() + letter);
}

}  // namespace panel_units

}  // namespace quorvane
