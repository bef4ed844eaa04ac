// quorvane-config.exe: the settings editor of the Quorvane emulator, native on Windows. It edits
// VOZ.INI in its own folder and takes no command line, environment or settings of its own.

#include <cstdlib>
#include <exception>
#include <string>

#include "files/files.h"
#include "front_ends/win32/text.h"
#include "front_ends/win32/win.h"
#include "front_ends/win32/win32_view.h"
#include "front_ends/win32/win32_window_system.h"
#include "shell/form_layout.h"
#include "shell/start_up.h"

namespace {

// The last word when an exception escapes everything: a message box that says what failed,
// rather than text on a console that a windowed program does not have.
[[noreturn]] void on_terminate() noexcept {
  std::string why = "an error it could not recover from";
  if (const std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& error) {
      why = error.what();
    } catch (...) {
    }
  }
  MessageBoxW(
      nullptr,
      quorvane::win32::from_utf8(std::string(quorvane::kWindowTitle) + " had to stop: " + why +
                                 ".\n\nChanges not yet saved are lost; VOZ.INI holds what "
                                 "was last saved.")
          .c_str(),
      quorvane::win32::from_utf8(quorvane::kWindowTitle).c_str(), MB_OK | MB_ICONERROR);
  std::abort();
}

}  // namespace

#ifdef __GLIBCXX__
// The GNU runtime's default handler, which writes to the console a windowed program does not
// have and brings a demangler of C++ names into the .exe (45 KB) to do it: defined here, it is
// ours, and that code stays out.
void __gnu_cxx::__verbose_terminate_handler() { on_terminate(); }
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace quorvane;
  std::set_terminate(on_terminate);
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
