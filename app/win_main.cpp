// quorvane-config.exe: the settings editor of the Quorvane emulator, native on Windows. It edits
// VOZ.INI in its own folder and takes no command line, environment or settings of its own.

#include <exception>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/win32/text.h"
#include "platform/win32/win.h"
#include "platform/win32/win32_view.h"
#include "platform/win32/win32_window_system.h"
#include "shell/drive_lists.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"

// After windows.h, which it needs.
#include <objbase.h>

namespace {

using namespace quorvane;

void report_start_failure(const std::string& text) {
  MessageBoxW(nullptr, win32::from_utf8(text).c_str(), win32::from_utf8(kWindowTitle).c_str(),
              MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::optional<std::string> folder = files::program_folder(files::executable_path());
  if (!folder) {
    report_start_failure(no_program_folder_text());
    return 1;
  }

  win32::Win32WindowSystem window_system;
  MainWindow main_window(*folder, window_system);
  try {
    main_window.Form_Load();
    fill_drive_lists(main_window.form(), visible_drives(*folder), *folder, win32::utf8_to_model);
    win32::Win32View view(main_window, window_system);
    view.show();
    return window_system.run();
  } catch (const std::exception& error) {
    // The view reports what escapes a handler itself; this is what escapes start-up.
    report_start_failure(start_failure_text(error));
    return 1;
  }
}
