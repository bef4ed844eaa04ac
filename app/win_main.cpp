// quorvane-config.exe: the settings editor of the Quorvane emulator, native on Windows. It edits
// VOZ.INI in its own folder and takes no command line, environment or settings of its own.

#include <string>

#include "files/files.h"
#include "front_ends/win32/text.h"
#include "front_ends/win32/win.h"
#include "front_ends/win32/win32_view.h"
#include "front_ends/win32/win32_window_system.h"
#include "shell/form_layout.h"
#include "shell/start_up.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace quorvane;
  // COM is started where it is needed, by the first chooser or link: nothing before the first
  // frame waits for it.
  win32::Win32WindowSystem window_system;
  return run_editor(files::program_folder(files::executable_path()),
                    {window_system,
                     [](const std::string& text) {
                       MessageBoxW(nullptr, win32::from_utf8(text).c_str(),
                                   win32::from_utf8(kWindowTitle).c_str(), MB_OK | MB_ICONERROR);
                     },
                     [&window_system](Form& form, ViewEvents events) {
                       win32::Win32View view(form, window_system, std::move(events));
                       view.show();
                       return window_system.run();
                     }});
}
