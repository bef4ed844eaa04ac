#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/drives.h"
#include "model/controls.h"

namespace quorvane {

// Turns a UTF-8 text into the model's Windows-1252 bytes. Each front end brings its own
// (Qt's codec, the Windows API), so that conversion stays at the edge.
using ToModelText = std::function<std::string(std::string_view utf8)>;

// The drives this process can see: the machine's on Windows, else those of the Wine prefix
// around `program_folder` (then $WINEPREFIX, then ~/.wine).
std::vector<DriveEntry> visible_drives(const std::string& program_folder);

// Offers `drives` in every drive list of the form, with the drive that holds the program's
// folder shown (the first drive when none does); each drive's tooltip is the whole folder it
// leads to. With no drives at all the lists stay empty and
// their tooltip says why.
void fill_drive_lists(Form& form, const std::vector<DriveEntry>& drives,
                      const std::string& program_folder, const ToModelText& to_model);

}  // namespace quorvane
