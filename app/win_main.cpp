// quorvane-config.exe: the settings editor of the Quorvane emulator, native on Windows. It edits
// VOZ.INI in its own folder and takes no command line, environment or settings of its own.

#include <objbase.h>

#include <exception>
#include <string>

#include "platform/front_end.h"
#include "platform/win32/text.h"
#include "platform/win32/win.h"
#include "platform/win32/win32_view.h"
#include "platform/win32/win32_window_system.h"
#include "shell/drive_lists.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"

namespace {

using namespace quorvane;

// The folder of the program's own file, as UTF-8; a drive's root keeps its backslash.
std::string program_folder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return ".";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return ".";
  if (slash == 2 && path[1] == L':') ++slash;
  return win32::to_utf8(path.substr(0, slash));
}

void report_start_failure(const std::string& text) {
  MessageBoxW(nullptr, win32::from_utf8(text).c_str(), win32::from_utf8(kWindowTitle).c_str(),
              MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // The pictures are decoded through COM, and the links are opened through the shell, which
  // wants it too.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const std::string folder = program_folder();

  win32::Win32WindowSystem window_system;
  MainWindow main_window(folder, window_system);
  if (const auto failure = front_end::form_load_failure(main_window)) {
    report_start_failure(*failure);
    return 1;
  }
  try {
    fill_drive_lists(main_window.form(), visible_drives(folder), folder, win32::utf8_to_model);
    win32::Win32View view(main_window, window_system);
    view.show();
    return window_system.run();
  } catch (const std::exception& error) {
    // The view reports what escapes a handler itself; this is what escapes building it.
    report_start_failure(front_end::start_failure_text(error.what()));
    return 1;
  }
}
