// quorvane-config.exe: the settings editor of the Quorvane emulator, native on Windows. It edits
// VOZ.INI in its own folder and takes no command line, environment or settings of its own.

#include <cstdlib>
#include <exception>
#include <optional>
#include <string>

#include "files/files.h"
#include "front_ends/win32/text.h"
#include "front_ends/win32/win.h"
#include "front_ends/win32/win32_view.h"
#include "front_ends/win32/win32_window_system.h"
#include "shell/form_layout.h"
#include "shell/start_up.h"

namespace {

// How long a second start waits for the first one's window, which a slow first start (under
// Wine, the first of a session) may not have shown yet.
constexpr DWORD kFindWindowMs = 10000;

// Brings the window of the editor open on this folder to the front, once there is one.
void raise_open_editor(volatile HWND* open) {
  for (DWORD waited = 0; open != nullptr && waited < kFindWindowMs; waited += 50) {
    HWND window = *open;
    if (window != nullptr && IsWindow(window)) {
      if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
      // A process started by the user may hand the foreground on; the window comes up front.
      SetForegroundWindow(window);
      SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return;
    }
    Sleep(50);
  }
}

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

// The first connection to the display: under Wine, loading its display driver, opening the X
// display and reading its screens and keyboard, tens of milliseconds that the first window would
// otherwise wait for after VOZ.INI has been read. A thread of its own makes that connection while
// the main thread reads the settings, and the window is made once it is there. On Windows the
// system has most of it ready, and the thread has little to do.
class DisplayConnection {
 public:
  DisplayConnection() : thread_(CreateThread(nullptr, 0, connect, nullptr, 0, nullptr)) {}
  DisplayConnection(const DisplayConnection&) = delete;
  DisplayConnection& operator=(const DisplayConnection&) = delete;
  ~DisplayConnection() { wait(); }

  // Returns once the connection is made. Without a thread (the system refused one), the first
  // window makes it, as it would anyway.
  void wait() {
    if (thread_ == nullptr) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }

 private:
  static DWORD WINAPI connect(void*) {
    if (HDC screen = GetDC(nullptr)) ReleaseDC(nullptr, screen);
    return 0;
  }

  HANDLE thread_;
};

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
  DisplayConnection display;
  const std::optional<std::string> folder = files::program_folder(files::executable_path());

  // One window per folder: a second start on it brings the open editor to the front and ends.
  // The editor on a folder holds a little shared memory named after it, from its first moment
  // (before its window) to its last (the system ends it with the process), and writes its
  // window there once it has one.
  HANDLE shared = nullptr;
  volatile HWND* open = nullptr;
  if (folder) {
    const std::wstring name = win32::from_utf8("Local\\" + instance_name(*folder, true));
    shared = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(HWND),
                                name.c_str());
    const bool taken = shared != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
    if (shared != nullptr) {
      open = static_cast<volatile HWND*>(MapViewOfFile(shared, FILE_MAP_WRITE, 0, 0, sizeof(HWND)));
    }
    if (taken) {
      raise_open_editor(open);
      return 0;
    }
  }

  // COM is started where it is needed, by the first chooser or link: nothing before the first
  // frame waits for it.
  win32::Win32WindowSystem window_system;
  return run_editor(folder, {window_system,
                             [](const std::string& text) {
                               MessageBoxW(nullptr, win32::from_utf8(text).c_str(),
                                           win32::from_utf8(kWindowTitle).c_str(),
                                           MB_OK | MB_ICONERROR);
                             },
                             [&window_system, open, &display](Form& form, ViewEvents events) {
                               display.wait();
                               win32::Win32View view(form, window_system, std::move(events));
                               if (open != nullptr) *open = view.window();
                               view.show();
                               return window_system.run();
                             }});
}
