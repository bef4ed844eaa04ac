#include "shell/drive_lists.h"

#include <cstdlib>

namespace quorvane {

std::vector<DriveEntry> visible_drives(const std::string& program_folder) {
  const char* home = std::getenv("HOME");
  return list_drives(program_folder, std::getenv("WINEPREFIX"), home != nullptr ? home : "");
}

void fill_drive_lists(Form& form, const std::vector<DriveEntry>& drives,
                      const std::string& program_folder, const ToModelText& to_model) {
  std::vector<std::string> texts;
  std::vector<std::string> targets;
  texts.reserve(drives.size());
  for (const DriveEntry& d : drives) {
    texts.push_back(to_model(d.text));
    targets.push_back(d.target);
  }
  const auto own = drive_of_folder(drives, program_folder);
  const std::string initial = texts.empty() ? std::string() : texts[own.value_or(0)];

  for (const auto& control : form.controls()) {
    if (control->kind() != Kind::DriveList) continue;
    control->set_list(texts);
    control->set_drive(initial);
    control->item_tooltips = targets;
    if (texts.empty()) control->tooltip = to_model(no_drives_reason());
  }
}

}  // namespace quorvane
