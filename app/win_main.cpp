// quorvane-config.exe: the settings editor of the Quorvane emulator, native on Windows. It edits
// VOZ.INI in its own folder and takes no command line, environment or settings of its own.

#include <functional>
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

// How long a second start looks for the first one's window, which a slow first start (under
// Wine, the first of a session) may not have shown yet.
constexpr DWORD kFindWindowMs = 10000;

struct Search {
  const wchar_t* mark;
  HWND found = nullptr;
};

// The window of the editor open on this folder: the one that carries the folder's name as a
// window property.
HWND open_editor(const std::wstring& mark) {
  Search search{mark.c_str()};
  EnumWindows(
      [](HWND hwnd, LPARAM l) -> BOOL {
        auto* s = reinterpret_cast<Search*>(l);
        if (GetPropW(hwnd, s->mark) == nullptr) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Brings the editor open on this folder to the front, once its window is there.
void raise_open_editor(const std::wstring& mark) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kFindWindowMs) {
    if (HWND window = open_editor(mark)) {
      if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
      // A process started by the user may hand the foreground on; the window comes up front.
      SetForegroundWindow(window);
      SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      return;
    }
    Sleep(50);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace quorvane;
  const std::optional<std::string> folder = files::program_folder(files::executable_path());

  // One window per folder: a second start on it brings the open editor to the front and ends.
  // The mutex says that an editor has the folder (from its first moment, before its window, to
  // its last, as the system ends it with the process), the mark on its window which window that
  // is.
  std::wstring mark;
  HANDLE instance = nullptr;
  if (folder) {
    mark = win32::from_utf8(instance_name(*folder, true));
    instance = CreateMutexW(nullptr, FALSE, (L"Local\\" + mark).c_str());
    if (instance != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
      raise_open_editor(mark);
      CloseHandle(instance);
      return 0;
    }
  }

  // COM is started where it is needed, by the first chooser or link: nothing before the first
  // frame waits for it.
  win32::Win32WindowSystem window_system;
  const int code = run_editor(
      folder, {window_system,
               [](const std::string& text) {
                 MessageBoxW(nullptr, win32::from_utf8(text).c_str(),
                             win32::from_utf8(kWindowTitle).c_str(), MB_OK | MB_ICONERROR);
               },
               [&window_system, &mark](Form& form, ViewEvents events) {
                 // The mark goes while the window is being destroyed: a window must not take
                 // its properties with it.
                 HWND marked = nullptr;
                 const std::function<void()> unload = std::move(events.unload);
                 events.unload = [&marked, &mark, unload] {
                   if (marked != nullptr) RemovePropW(marked, mark.c_str());
                   marked = nullptr;
                   if (unload) unload();
                 };
                 win32::Win32View view(form, window_system, std::move(events));
                 if (!mark.empty() && SetPropW(view.window(), mark.c_str(), view.window())) {
                   marked = view.window();
                 }
                 view.show();
                 return window_system.run();
               }});
  if (instance != nullptr) CloseHandle(instance);
  return code;
}
