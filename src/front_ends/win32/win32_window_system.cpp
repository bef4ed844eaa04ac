#include "front_ends/win32/win32_window_system.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "front_ends/win32/text.h"
#include "shell/view_core.h"

namespace quorvane::win32 {

namespace {

// COM, from ole32, looked up when a chooser or a link first needs it: imported, the library and
// the runtime it brings in were loaded and started before the window could be made.
void start_com() {
  using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
  static const auto initialize = look_up<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
  if (initialize != nullptr) initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

HRESULT create_instance(REFCLSID type, REFIID iid, void** out) {
  using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
  static const auto create = look_up<CoCreateInstanceFn>(L"ole32.dll", "CoCreateInstance");
  if (create == nullptr) return REGDB_E_CLASSNOTREG;
  return create(type, nullptr, CLSCTX_INPROC_SERVER, iid, out);
}

void free_task_memory(void* block) {
  using CoTaskMemFreeFn = void(WINAPI*)(LPVOID);
  static const auto free_block = look_up<CoTaskMemFreeFn>(L"ole32.dll", "CoTaskMemFree");
  if (free_block != nullptr) free_block(block);
}

}  // namespace

void Win32WindowSystem::end_program_with(int exit_code) {
  if (ended_) return;
  ended_ = true;
  exit_code_ = exit_code;
  if (window_ != nullptr && IsWindow(window_)) ShowWindow(window_, SW_HIDE);
  PostQuitMessage(exit_code);
}

void Win32WindowSystem::deliver(MSG& message) {
  if (key_filter_ && key_filter_(message)) return;
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
  // The shell wants COM, which starts with the first link or chooser rather than with the
  // program: before the first frame it only made the window wait.
  start_com();
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
  MessageBoxW(owner(), from_utf8(break_long_runs(text)).c_str(), from_utf8(title).c_str(),
              MB_OK | icon);
}

bool Win32WindowSystem::ask(const std::string& title, const std::string& text,
                            const std::string& proceed, const std::string& go_back) {
  const std::wstring wide_title = from_utf8(title);
  const std::wstring wide_text = from_utf8(break_long_runs(text));
  const std::wstring wide_proceed = from_utf8(proceed);
  const std::wstring wide_back = from_utf8(go_back);
  constexpr int kProceed = 100;
  constexpr int kGoBack = 101;

  // The task dialog names its buttons; it comes with version 6 of the common controls, which
  // the program's manifest asks for. Looked up at run time, so that a host without it still
  // gets a question.
  using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  const auto task_dialog = look_up<TaskDialogIndirectFn>(L"comctl32.dll", "TaskDialogIndirect");
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

namespace quorvane::win32 {
namespace {

// Releases a COM interface when it goes.
template <class T>
struct Held {
  T* p = nullptr;
  Held() = default;
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (p != nullptr) p->Release();
  }
  T* operator->() const { return p; }
  void** out() { return reinterpret_cast<void**>(&p); }
};

// "error 0x80070005: Access is denied.", for a message that says why.
std::string hresult_text(HRESULT result) {
  std::string text = "error " + error_code(static_cast<unsigned long>(result));
  wchar_t* reason = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
  if (n > 0 && reason != nullptr) {
    std::wstring why(reason, n);
    while (!why.empty() && (why.back() == L'\n' || why.back() == L'\r' || why.back() == L' ')) {
      why.pop_back();
    }
    text += ": " + to_utf8(why);
  }
  if (reason != nullptr) LocalFree(reason);
  return text;
}

// The path `start` names, split into its folder and, when it is an existing file, its name.
void split_start(const std::wstring& start, std::wstring& folder, std::wstring& file) {
  folder = start;
  file.clear();
  const DWORD attributes = GetFileAttributesW(start.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return;
  }
  const std::size_t slash = start.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  folder = start.substr(0, slash == 2 ? 3 : slash);  // "C:\" keeps its backslash
  file = start.substr(slash + 1);
}

// Opens the dialog at `start`: in a folder, or in a file's folder with the file chosen. The shell
// is loaded only when a chooser opens, as for the links.
void open_at(IFileOpenDialog& dialog, const std::wstring& start, bool folder) {
  if (start.empty() || GetFileAttributesW(start.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  std::wstring where;
  std::wstring file;
  split_start(start, where, file);
  if (!file.empty() && !folder) dialog.SetFileName(file.c_str());
  using FromParsingNameFn = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
  static const auto from_parsing_name =
      look_up<FromParsingNameFn>(L"shell32.dll", "SHCreateItemFromParsingName");
  Held<IShellItem> item;
  if (from_parsing_name != nullptr &&
      SUCCEEDED(from_parsing_name(where.c_str(), nullptr, __uuidof(IShellItem), item.out()))) {
    dialog.SetFolder(item.p);
  }
}

// "PC-Engine images (*.pce)" and "*.pce": one entry of a chooser's type list.
struct FilterText {
  std::wstring name;
  std::wstring patterns;
};

std::vector<FilterText> filter_texts(const std::vector<FileFilter>& filters) {
  std::vector<FilterText> texts;
  for (const FileFilter& filter : filters) {
    std::wstring joined;
    for (const std::string& pattern : filter.patterns) {
      joined += (joined.empty() ? L"" : L";") + from_utf8(pattern);
    }
    texts.push_back({from_utf8(filter.name) + L" (" + joined + L")", joined});
  }
  return texts;
}

int CALLBACK select_start(HWND browser, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, start);
  return 0;
}

}  // namespace

std::optional<std::optional<std::string>> Win32WindowSystem::choose_classic(
    bool folder, const std::string& title, const std::string& start,
    const std::vector<FileFilter>& filters, std::string& failure) {
  const std::wstring wide_title = from_utf8(title);
  std::wstring start_folder;
  std::wstring start_file;
  split_start(from_utf8(start), start_folder, start_file);
  if (folder) {
    using BrowseFn = PIDLIST_ABSOLUTE(WINAPI*)(BROWSEINFOW*);
    using PathFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
    static const auto browse = look_up<BrowseFn>(L"shell32.dll", "SHBrowseForFolderW");
    static const auto path_of = look_up<PathFn>(L"shell32.dll", "SHGetPathFromIDListW");
    if (browse == nullptr || path_of == nullptr) return std::nullopt;
    BROWSEINFOW info{};
    info.hwndOwner = owner();
    info.lpszTitle = wide_title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = select_start;
    info.lParam = reinterpret_cast<LPARAM>(start_folder.c_str());
    PIDLIST_ABSOLUTE chosen = browse(&info);
    if (chosen == nullptr) return std::optional<std::string>{};
    std::wstring path(MAX_PATH, L'\0');
    const bool got = path_of(chosen, path.data()) != FALSE;
    free_task_memory(chosen);
    if (!got) {
      failure = "gave a place that is no folder on a disk";
      return std::optional<std::string>{};
    }
    path.resize(wcslen(path.c_str()));
    return std::optional<std::string>(to_utf8(path));
  }

  using OpenFn = BOOL(WINAPI*)(OPENFILENAMEW*);
  using ErrorFn = DWORD(WINAPI*)();
  static const auto open = look_up<OpenFn>(L"comdlg32.dll", "GetOpenFileNameW");
  static const auto error_of = look_up<ErrorFn>(L"comdlg32.dll", "CommDlgExtendedError");
  if (open == nullptr || error_of == nullptr) return std::nullopt;
  // Each entry is its name and its patterns, each ended by a null, and the list by one more.
  std::wstring types;
  for (const FilterText& filter : filter_texts(filters)) {
    types += filter.name + L'\0' + filter.patterns + L'\0';
  }
  types += L'\0';
  std::wstring path = start_file;
  path.resize(32768, L'\0');
  OPENFILENAMEW info{};
  info.lStructSize = sizeof info;
  info.hwndOwner = owner();
  info.lpstrFilter = types.c_str();
  info.lpstrFile = path.data();
  info.nMaxFile = static_cast<DWORD>(path.size());
  info.lpstrInitialDir = start_folder.empty() ? nullptr : start_folder.c_str();
  info.lpstrTitle = wide_title.c_str();
  info.Flags =
      OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (open(&info)) {
    path.resize(wcslen(path.c_str()));
    return std::optional<std::string>(to_utf8(path));
  }
  if (const DWORD error = error_of(); error != 0) {
    failure = "could not be opened (error " + std::to_string(error) + ")";
  }
  return std::optional<std::string>{};
}

std::optional<std::string> Win32WindowSystem::choose_file(const std::string& title,
                                                          const std::string& start,
                                                          const std::vector<FileFilter>& filters) {
  return choose(false, title, start, filters);
}

std::optional<std::string> Win32WindowSystem::choose_folder(const std::string& title,
                                                            const std::string& start) {
  return choose(true, title, start, {});
}

std::optional<std::string> Win32WindowSystem::choose(bool folder, const std::string& title,
                                                     const std::string& start,
                                                     const std::vector<FileFilter>& filters) {
  // COM starts with the first chooser or link (see open_url); later calls only count up.
  start_com();
  const char* failed = "could not be opened";
  Held<IFileOpenDialog> dialog;
  HRESULT result = classic_choosers_ ? REGDB_E_CLASSNOTREG
                                     : create_instance(__uuidof(FileOpenDialog),
                                                       __uuidof(IFileOpenDialog), dialog.out());
  if (FAILED(result)) {
    // Windows before Vista has no such dialog; its own choosers do the same, if more plainly.
    std::string failure;
    if (auto chosen = choose_classic(folder, title, start, filters, failure)) {
      if (failure.empty()) return *chosen;
      show_message(MessageKind::Error, title,
                   std::string("The ") + (folder ? "folder" : "file") + " chooser " + failure +
                       ".\n\nThe path is unchanged; you can still type it into its box.");
      return std::nullopt;
    }
  }
  if (SUCCEEDED(result)) {
    DWORD options = 0;
    dialog->GetOptions(&options);
    options |= FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST | FOS_NOCHANGEDIR;
    options |= folder ? FOS_PICKFOLDERS : FOS_FILEMUSTEXIST;
    dialog->SetOptions(options);
    dialog->SetTitle(from_utf8(title).c_str());
    // The dialog keeps pointers into these until it is shown.
    const std::vector<FilterText> texts = filter_texts(filters);
    std::vector<COMDLG_FILTERSPEC> types;
    for (const FilterText& text : texts)
      types.push_back({text.name.c_str(), text.patterns.c_str()});
    if (!types.empty()) dialog->SetFileTypes(static_cast<UINT>(types.size()), types.data());
    open_at(*dialog.p, from_utf8(start), folder);
    result = dialog->Show(owner());
    if (result == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
    if (SUCCEEDED(result)) {
      failed = "did not give the chosen path";
      Held<IShellItem> item;
      result = dialog->GetResult(reinterpret_cast<IShellItem**>(item.out()));
      wchar_t* path = nullptr;
      if (SUCCEEDED(result)) result = item->GetDisplayName(SIGDN_FILESYSPATH, &path);
      if (SUCCEEDED(result)) {
        std::string chosen = to_utf8(path);
        free_task_memory(path);
        return chosen;
      }
    }
  }
  show_message(MessageKind::Error, title,
               std::string("The ") + (folder ? "folder" : "file") + " chooser " + failed + " (" +
                   hresult_text(result) +
                   ").\n\nThe path is unchanged; you can still type it into its box.");
  return std::nullopt;
}

std::optional<std::string> Win32WindowSystem::to_model_text(const std::string& utf8) {
  const std::wstring text = from_utf8(utf8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!storable(text, i)) return std::nullopt;
  }
  return to_model(text);
}

std::string Win32WindowSystem::from_model_text(const std::string& bytes) {
  return to_utf8(from_model(bytes));
}

}  // namespace quorvane::win32
