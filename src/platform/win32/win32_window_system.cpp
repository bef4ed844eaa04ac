#include "platform/win32/win32_window_system.h"

// After windows.h, which it needs.
#include <commctrl.h>

#include "platform/win32/text.h"

namespace quorvane::win32 {

void Win32WindowSystem::end_program_with(int exit_code) {
  if (ended_) return;
  ended_ = true;
  exit_code_ = exit_code;
  if (window_ != nullptr && IsWindow(window_)) ShowWindow(window_, SW_HIDE);
  PostQuitMessage(exit_code);
}

void Win32WindowSystem::end_program() { end_program_with(0); }

void Win32WindowSystem::deliver(MSG& message) {
  // Tab and the arrow keys move between the controls as in a dialog.
  if (window_ != nullptr && IsDialogMessageW(window_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

int Win32WindowSystem::run() {
  MSG message;
  while (!ended_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    deliver(message);
  }
  return exit_code_;
}

bool Win32WindowSystem::supports_opacity() const {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#elif defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  const BOOL known = GetVersionExW(&version);
#if defined(__GNUC__) && !defined(_MSC_VER)
#pragma GCC diagnostic pop
#endif
  return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void Win32WindowSystem::prepare_for_opacity() {
  if (window_ == nullptr) return;
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  SetWindowLongPtrW(window_, GWL_EXSTYLE, style | WS_EX_LAYERED);
  // A layered window shows nothing until its opacity is set.
  SetLayeredWindowAttributes(window_, 0, 255, LWA_ALPHA);
  RedrawWindow(window_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Win32WindowSystem::set_opacity(int alpha) {
  if (window_ == nullptr) return;
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_EXSTYLE);
  if ((style & WS_EX_LAYERED) == 0) return;  // full opacity already, and no fade to show
  SetLayeredWindowAttributes(window_, 0,
                             static_cast<BYTE>(alpha < 0     ? 0
                                               : alpha > 255 ? 255
                                                             : alpha),
                             LWA_ALPHA);
}

void Win32WindowSystem::process_pending_events() {
  MSG message;
  while (!ended_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The loop outside must still see it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    deliver(message);
  }
}

void Win32WindowSystem::close_window() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

void Win32WindowSystem::start_window_move() {
  if (window_ == nullptr) return;
  ReleaseCapture();
  // The press as it would come for a system title bar, where the pointer is now, so that the
  // move starts from there.
  const DWORD where = GetMessagePos();
  SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(where));
}

bool Win32WindowSystem::open_url(const std::string& url) {
  // The shell is loaded only when a link is followed: it is a large library, and loading it at
  // start would make every start of the program slower for a click most runs never make.
  using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
  static HMODULE shell = LoadLibraryW(L"shell32.dll");
  const auto shell_execute =
      shell == nullptr ? nullptr
                       : reinterpret_cast<ShellExecuteFn>(
                             reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteW")));
  if (shell_execute == nullptr) return false;
  const std::wstring address = from_utf8(url);
  const auto result = reinterpret_cast<INT_PTR>(
      shell_execute(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

HWND Win32WindowSystem::owner() const {
  return window_ != nullptr && !ended_ && IsWindow(window_) && IsWindowVisible(window_) ? window_
                                                                                        : nullptr;
}

void Win32WindowSystem::show_message(MessageKind kind, const std::string& title,
                                     const std::string& text) {
  const UINT icon = kind == MessageKind::Error ? MB_ICONERROR : MB_ICONWARNING;
  MessageBoxW(owner(), from_utf8(text).c_str(), from_utf8(title).c_str(), MB_OK | icon);
}

bool Win32WindowSystem::ask(const std::string& title, const std::string& text,
                            const std::string& proceed, const std::string& go_back) {
  const std::wstring wide_title = from_utf8(title);
  const std::wstring wide_text = from_utf8(text);
  const std::wstring wide_proceed = from_utf8(proceed);
  const std::wstring wide_back = from_utf8(go_back);
  constexpr int kProceed = 100;
  constexpr int kGoBack = 101;

  // The task dialog names its buttons; it comes with version 6 of the common controls, which
  // the program's manifest asks for. Looked up at run time, so that a host without it still
  // gets a question.
  using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  auto task_dialog = controls == nullptr
                         ? nullptr
                         : reinterpret_cast<TaskDialogIndirectFn>(reinterpret_cast<void*>(
                               GetProcAddress(controls, "TaskDialogIndirect")));
  if (task_dialog != nullptr) {
    const TASKDIALOG_BUTTON buttons[] = {{kProceed, wide_proceed.c_str()},
                                         {kGoBack, wide_back.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner();
    // Escape and the close box answer as going back does.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = wide_title.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = wide_text.c_str();
    config.cButtons = 2;
    config.pButtons = buttons;
    config.nDefaultButton = kGoBack;
    int chosen = 0;
    if (SUCCEEDED(task_dialog(&config, &chosen, nullptr, nullptr))) return chosen == kProceed;
  }
  const std::wstring spelled = wide_text + L"\n\nOK: " + wide_proceed + L"\nCancel: " + wide_back;
  return MessageBoxW(owner(), spelled.c_str(), wide_title.c_str(),
                     MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDOK;
}

}  // namespace quorvane::win32
