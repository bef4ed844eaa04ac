#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/controls.h"
#include "model/window_system.h"
#include "shell/view_core.h"

namespace quorvane {

// What the one start-up needs of a front end.
struct FrontEndStart {
  WindowSystem& window_system;
  // Tells the user why the editor does not start, before there is a window (UTF-8).
  std::function<void(const std::string& text)> report_failure;
  // Makes the view of the window, shows it and runs the events until the program ends; returns
  // the program's exit code.
  std::function<int(Form& form, ViewEvents events)> show_and_run;
};

// The program, from its folder (nullopt: the system could not tell it) to its exit code: reads
// VOZ.INI (creating it when missing), fills the controls and the drive lists, and hands the
// window to the front end. A start that fails says why and writes nothing.
int run_editor(const std::optional<std::string>& program_folder, const FrontEndStart& front_end);

// The name by which the editor open on `program_folder` is found by a second start of the same
// build, which then brings it to the front and ends instead of opening a second window over it:
// "quorvane-config-" and a hash of the folder, the same for each way of writing that folder
// (a separator at its end, and on Windows, `ignore_case`, the case of its letters and either
// slash).
std::string instance_name(std::string_view program_folder, bool ignore_case);

}  // namespace quorvane
