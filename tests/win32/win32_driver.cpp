// The view suite's driver over the native view: real windows under Wine (or Windows), driven
// with the messages that mouse and keyboard input become.

#include "win32_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "front_ends/win32/text.h"
#include "front_ends/win32/win32_view.h"
#include "view_driver.h"
#include "view_suite.h"
#include "win32_input.h"

// After windows.h.
#include <shlobj.h>

namespace quorvane::testing {
namespace {

using win32::Win32View;

std::u16string u(const std::wstring& text) { return {text.begin(), text.end()}; }
std::wstring w(std::u16string_view text) { return {text.begin(), text.end()}; }

Rect rect(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

Role role(long role) {
  switch (role) {
    case ROLE_SYSTEM_PUSHBUTTON:
      return Role::PushButton;
    case ROLE_SYSTEM_CHECKBUTTON:
      return Role::CheckBox;
    case ROLE_SYSTEM_RADIOBUTTON:
      return Role::OptionButton;
    case ROLE_SYSTEM_COMBOBOX:
      return Role::ComboBox;
    case ROLE_SYSTEM_TEXT:
      return Role::Text;
    case ROLE_SYSTEM_STATICTEXT:
      return Role::StaticText;
    case ROLE_SYSTEM_GROUPING:
      return Role::Grouping;
    case ROLE_SYSTEM_GRAPHIC:
      return Role::Graphic;
    case ROLE_SYSTEM_LINK:
      return Role::Link;
    default:
      return Role::Other;
  }
}

// What Active Accessibility hands a screen reader.
ScreenReading reading(const Spot& spot) {
  const Read read = read_as_screen_reader(spot);
  return {u(read.name),
          u(read.description),
          role(read.role),
          (read.state & STATE_SYSTEM_CHECKED) != 0,
          (read.state & STATE_SYSTEM_INVISIBLE) != 0,
          u(read.action)};
}

class Win32Driver : public ViewDriver {
 public:
  Win32Driver(Form& form, Win32WindowSystem& ws, ViewEvents events)
      : form_(form), ws_(ws), view_(std::in_place, form, ws, std::move(events), 96) {
    view_->show();
    view_->set_menu_tracker([this](HMENU menu, POINT, HWND) -> UINT {
      tracked_.shown = true;
      const std::vector<MenuItem> items = menu_items(menu);
      for (const MenuItem& item : items) {
        bool marked = false;
        tracked_.entries.push_back(item.id == 0 ? u"--" : drawn_entry(u(item.caption), &marked));
        tracked_.enabled.push_back(item.enabled);
        tracked_.mnemonic.push_back(marked);
      }
      return pick_ >= 1 && pick_ <= items.size() ? items[pick_ - 1].id : 0;
    });
  }
  // The end of this window's program may have left a quit in the thread's queue: it is not the
  // next one's, whose modal dialogs it would close at once.
  ~Win32Driver() override {
    view_.reset();
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message != WM_QUIT) DispatchMessageW(&message);
    }
  }
  Win32Driver(const Win32Driver&) = delete;
  Win32Driver& operator=(const Win32Driver&) = delete;

  Win32View& native() { return *view_; }

  void sync() override { view_->sync(); }
  void wait(int ms) override { run_like_a_modal_loop(ms); }
  bool wait_until(const std::function<bool()>& done, int ms) override {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done() && std::chrono::steady_clock::now() < until) run_like_a_modal_loop(5);
    return done();
  }

  Rect window_rect() override {
    RECT r{};
    GetWindowRect(view_->window(), &r);
    return rect(r);
  }
  Rect client_rect() override {
    RECT r{};
    GetClientRect(view_->window(), &r);
    return rect(r);
  }
  Rect work_area() override {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(view_->window(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    return rect(monitor.rcWork);
  }
  std::u16string title() override { return u(text_of(view_->window())); }
  // A popup: no system border or title bar.
  bool frameless() override {
    const LONG_PTR style = GetWindowLongPtrW(view_->window(), GWL_STYLE);
    return (style & WS_POPUP) != 0 && (style & (WS_CAPTION | WS_THICKFRAME)) == 0;
  }
  bool window_visible() override { return IsWindowVisible(view_->window()) != 0; }
  void close_window() override { SendMessageW(view_->window(), WM_CLOSE, 0, 0); }

  // A label with a window tells its parent of a click, as a static control does.
  void click(const Control& c) override {
    const Spot at = spot(c);
    if (at.window == nullptr) return;
    if (c.kind() == Kind::Label && at.own) {
      flip_to(at.window);
    } else {
      ::quorvane::testing::click(at);
    }
  }
  void click_at(Point at, Button button) override {
    POINT local{};
    HWND target = window_at(at, local);
    const LPARAM where = MAKELPARAM(local.x, local.y);
    const UINT down = button == Button::Left    ? WM_LBUTTONDOWN
                      : button == Button::Right ? WM_RBUTTONDOWN
                                                : WM_MBUTTONDOWN;
    SendMessageW(target, down, keys({button}), where);
    SendMessageW(target, down + 1, 0, where);
  }
  void press_and_release_off(const Control& c) override {
    const Spot at = spot(c);
    if (at.window == nullptr) return;
    const RECT& r = at.area;
    SendMessageW(at.window, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    SendMessageW(at.window, WM_LBUTTONUP, 0, MAKELPARAM(r.left - 20, r.top + 5));
  }
  void move_over(Point at, std::vector<Button> held) override {
    POINT local{};
    HWND target = window_at(at, local);
    SendMessageW(target, WM_MOUSEMOVE, keys(held), MAKELPARAM(local.x, local.y));
  }
  bool takes_the_mouse(const Control& c) override {
    const Spot at = spot(c);
    if (at.window == nullptr) return false;
    POINT middle{(at.area.left + at.area.right) / 2, (at.area.top + at.area.bottom) / 2};
    ClientToScreen(at.window, &middle);
    return SendMessageW(at.window, WM_NCHITTEST, 0, MAKELPARAM(middle.x, middle.y)) == HTCLIENT;
  }
  // What the system asks as the mouse moves over the control, with the pointer there.
  bool hand_pointer(const Control& c) override {
    const Spot at = spot(c);
    if (at.window == nullptr) return false;
    POINT middle{(at.area.left + at.area.right) / 2, (at.area.top + at.area.bottom) / 2};
    ClientToScreen(at.window, &middle);
    SetCursorPos(middle.x, middle.y);
    SetCursor(nullptr);
    SendMessageW(at.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(at.window),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor() == LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));
  }

  void focus(const Control& c) override {
    if (spot(c).window != nullptr) view_->focus(c);
  }
  const Control* focused() override { return view_->focused(); }
  void key(Key key) override {
    switch (key) {
      case Key::Tab:
        return press(ws_, VK_TAB);
      case Key::ShiftTab:
        return press(ws_, VK_TAB, true);
      case Key::Enter:
      case Key::KeypadEnter:
        return press(ws_, VK_RETURN);
      case Key::Space:
        return press(ws_, VK_SPACE);
      case Key::Up:
        return press(ws_, VK_UP);
      case Key::Down:
        return press(ws_, VK_DOWN);
      case Key::PageDown:
        return press(ws_, VK_NEXT);
      case Key::F4:
        return press(ws_, VK_F4);
      case Key::Escape:
        return press(ws_, VK_ESCAPE);
      case Key::Menu:
        return press(ws_, VK_APPS);
      case Key::ShiftF10:
        return press(ws_, VK_F10, true);
    }
  }
  void type(const Control& c, std::u16string_view text) override {
    if (HWND hwnd = widget(c)) ::quorvane::testing::type(edit_of(hwnd), w(text));
  }
  void retype(const Control& c, std::u16string_view text) override {
    if (HWND hwnd = widget(c)) ::quorvane::testing::retype(edit_of(hwnd), w(text));
  }
  void paste(const Control& c, std::u16string_view text) override {
    HWND hwnd = widget(c);
    if (hwnd == nullptr) return;
    HWND field = edit_of(hwnd);
    // Through the clipboard, as Ctrl+V and the menu's Paste do: the field's own paste is what
    // keeps only a first line.
    const std::wstring pasted = w(text);
    ASSERT_TRUE(OpenClipboard(field));
    EmptyClipboard();
    const std::size_t bytes = (pasted.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
      std::memcpy(GlobalLock(memory), pasted.c_str(), bytes);
      GlobalUnlock(memory);
      if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    }
    CloseClipboard();
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    SendMessageW(field, WM_PASTE, 0, 0);
  }
  void set_caret(const Control& c, int at) override {
    if (HWND hwnd = widget(c)) SendMessageW(edit_of(hwnd), EM_SETSEL, at, at);
  }
  std::pair<int, int> selection(const Control& c) override {
    HWND hwnd = widget(c);
    if (hwnd == nullptr) return {-1, -1};
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit_of(hwnd), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
  }
  // The window's tip for refusals: a tooltip control of its own with one tool.
  std::u16string refusal() override {
    HWND tip = tooltip_window(view_->window(), true);
    if (tip == nullptr) return {};
    std::wstring text(1024, L'\0');
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = view_->window();
    tool.uId = 1;
    tool.lpszText = text.data();
    SendMessageW(tip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    text.resize(wcslen(text.c_str()));
    return u(text);
  }

  void choose(const Control& c, std::u16string_view item) override {
    HWND combo = widget(c);
    ASSERT_NE(combo, nullptr);
    const std::wstring wanted = w(item);
    const auto index =
        static_cast<int>(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(wanted.c_str())));
    ASSERT_GE(index, 0) << "no item \"" << win32::to_utf8(wanted) << "\"";
    ::quorvane::testing::choose(combo, index);
  }
  int item_count(const Control& c) override {
    HWND hwnd = widget(c);
    return hwnd != nullptr ? static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0)) : -1;
  }
  int current_item(const Control& c) override {
    HWND hwnd = widget(c);
    return hwnd != nullptr ? static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0)) : -1;
  }

  std::u16string text(const Control& c) override {
    HWND hwnd = widget(c);
    return hwnd != nullptr ? u(text_of(edit_of(hwnd))) : std::u16string();
  }
  bool checked(const Control& c) override {
    HWND hwnd = widget(c);
    return hwnd != nullptr && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  bool visible(const Control& c) override { return view_->spot(c).drawn; }
  bool enabled(const Control& c) override {
    HWND hwnd = spot(c).window;
    return hwnd != nullptr && IsWindowEnabled(hwnd);
  }
  // The top of its siblings: the system draws nothing of theirs over it.
  bool on_top(const Control& c) override {
    HWND hwnd = widget(c);
    return hwnd != nullptr && GetWindow(hwnd, GW_HWNDPREV) == nullptr;
  }
  std::u16string tooltip(const Control& c) override {
    const Spot at = spot(c);
    if (at.window == nullptr) return {};
    return u(tooltip_of(at));
  }
  Pixels pixels(const Control& c) override {
    const Spot at = spot(c);
    HWND hwnd = at.window;
    if (hwnd == nullptr) return {};
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const RECT& r = at.area;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return {};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(hwnd);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    Pixels out{width, height, {}};
    if (bitmap != nullptr) {
      HGDIOBJ old = SelectObject(memory, bitmap);
      BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
      GdiFlush();
      const auto* p = static_cast<const std::uint32_t*>(bits);
      for (int i = 0; i < width * height; ++i) out.rgb.push_back(p[i] & 0xFFFFFF);
      SelectObject(memory, old);
      DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(hwnd, screen);
    return out;
  }
  void drop_list(const Control& c, bool open) override {
    HWND hwnd = widget(c);
    ASSERT_NE(hwnd, nullptr) << c.display_name();
    SendMessageW(hwnd, CB_SHOWDROPDOWN, open ? TRUE : FALSE, 0);
    wait(50);
  }
  bool help_comes_up(const Control& c, int ms) override {
    HWND hwnd = widget(c);
    if (hwnd == nullptr) return false;
    HWND field = edit_of(hwnd);
    RECT box{};
    GetWindowRect(field, &box);
    SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    // The tips are made with the pointer's first move over the window.
    SendMessageW(field, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    HWND help = tooltip_window(view_->window(), false);
    if (help == nullptr) return false;
    SendMessageW(help, TTM_POP, 0, 0);
    SendMessageW(help, TTM_SETDELAYTIME, TTDT_INITIAL, 10);
    SendMessageW(field, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    return wait_until([&] { return IsWindowVisible(help) != FALSE; }, ms);
  }
  Rect geometry(const Control& c) override {
    const Spot at = spot(c);
    if (at.window == nullptr) return {};
    RECT r = at.area;
    if (at.own) {
      GetWindowRect(at.window, &r);
      MapWindowPoints(nullptr, view_->window(), reinterpret_cast<POINT*>(&r), 2);
    } else {
      MapWindowPoints(at.window, view_->window(), reinterpret_cast<POINT*>(&r), 2);
    }
    return rect(r);
  }
  // The client area of the window that the control's children stand in.
  Rect client_area(const Control& c) override {
    HWND inner = widget(c);
    for (const auto& child : form_.controls()) {
      HWND hwnd = child->parent() == &c ? view_->widget(*child) : nullptr;
      if (hwnd != nullptr) {
        inner = GetParent(hwnd);
        break;
      }
    }
    if (inner == nullptr) return {};
    RECT r{};
    GetClientRect(inner, &r);
    MapWindowPoints(inner, view_->window(), reinterpret_cast<POINT*>(&r), 2);
    return rect(r);
  }
  std::optional<CaptionFit> caption_fit(const Control& c) override {
    const Spot at = view_->spot(c);
    HWND hwnd = at.window;
    if (hwnd == nullptr || c.caption().empty()) return std::nullopt;
    const RECT r{0, 0, at.area.right - at.area.left, at.area.bottom - at.area.top};
    if (c.kind() == Kind::Label) {
      HFONT font = view_->font(c);
      HDC dc = GetDC(hwnd);
      HGDIOBJ old = SelectObject(dc, font);
      SIZE size{};
      const std::wstring text = win32::from_model(c.caption());
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      TEXTMETRICW metrics{};
      GetTextMetricsW(dc, &metrics);
      SelectObject(dc, old);
      ReleaseDC(hwnd, dc);
      return CaptionFit{size.cx, r.right, metrics.tmHeight, r.bottom};
    }
    if (c.kind() == Kind::CheckBox || c.kind() == Kind::OptionButton) {
      SIZE ideal{};
      EXPECT_TRUE(SendMessageW(hwnd, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)))
          << c.display_name();
      return CaptionFit{ideal.cx, r.right, std::nullopt, r.bottom};
    }
    return std::nullopt;
  }
  // The view's menu is tracked by a hand of the test's, which reads it and chooses as asked.
  Menu menu(const Control& c, MenuOpener opener, std::size_t pick) override {
    tracked_ = {};
    pick_ = pick;
    const Spot at = spot(c);
    if (at.window == nullptr) return tracked_;
    HWND target = at.own ? focus_target(at.window) : at.window;
    switch (opener) {
      case MenuOpener::RightClick: {
        RECT r = at.area;
        if (at.own) GetClientRect(target, &r);
        MapWindowPoints(target, nullptr, reinterpret_cast<POINT*>(&r), 2);
        SendMessageW(target, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target),
                     MAKELPARAM(r.left + 3, r.top + 3));
        break;
      }
      case MenuOpener::MenuKey:
      case MenuOpener::ShiftF10:
        if (at.own) {
          SetFocus(target);
        } else {
          view_->focus(c);
        }
        if (opener == MenuOpener::MenuKey) {
          press(ws_, VK_APPS);
        } else {
          press(ws_, VK_F10, true);
        }
        break;
    }
    return tracked_;
  }
  // With DragAcceptFiles' style the system itself shows, by its pointer, that a window takes the
  // files over it; nothing of the window changes, so there is no cue of its own to go.
  DragOver drag_over(const Control& c, const std::vector<std::string>&) override {
    HWND hwnd = widget(c);
    DragOver over;
    over.taken = hwnd != nullptr && (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
    over.cue_shown = over.taken;
    over.cue_gone = true;
    return over;
  }
  // A drop as Explorer makes it: a DROPFILES block of wide paths, handed over with WM_DROPFILES,
  // which the receiver frees.
  void drop(const Control& c, const std::vector<std::string>& paths) override {
    HWND hwnd = widget(c);
    if (hwnd == nullptr) return;
    std::wstring names;
    for (const std::string& path : paths) names += win32::from_utf8(path) + L'\0';
    names += L'\0';
    const std::size_t bytes = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GHND, bytes);
    ASSERT_NE(block, nullptr);
    auto* files = static_cast<DROPFILES*>(GlobalLock(block));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), names.data(),
                names.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    SendMessageW(hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
  }
  ScreenReading read(const Control& c) override { return reading(spot(c)); }
  ScreenReading read_field(const Control& c) override {
    HWND hwnd = widget(c);
    return reading(Spot{hwnd != nullptr ? focus_target(hwnd) : nullptr, {}, true});
  }
  void press_as_screen_reader(const Control& c) override {
    const Spot at = spot(c);
    if (at.window != nullptr) do_default_action(at);
    run_like_a_modal_loop(50);
  }
  std::vector<int> scales() override { return {96, 120, 144, 192}; }
  void set_scale(int dpi) override { view_->set_dpi(dpi); }

 private:
  HWND widget(const Control& c) {
    HWND hwnd = view_->widget(c);
    EXPECT_NE(hwnd, nullptr) << c.display_name() << " has no window (yet)";
    return hwnd;
  }
  // Where a control is, with a window of its own or drawn by its container.
  Spot spot(const Control& c) {
    const Spot at = view_->spot(c);
    EXPECT_NE(at.window, nullptr) << c.display_name() << " is nowhere";
    return at;
  }
  // The window a press at `at` (in the window's client pixels) goes to, as the system finds it:
  // the deepest visible child there that does not let the mouse through to what is beneath.
  HWND window_at(Point at, POINT& local) {
    HWND target = view_->window();
    POINT screen{at.x, at.y};
    ClientToScreen(target, &screen);
    for (;;) {
      POINT inside = screen;
      ScreenToClient(target, &inside);
      HWND child = ChildWindowFromPointEx(target, inside, CWP_SKIPINVISIBLE);
      if (child == nullptr || child == target) break;
      if (SendMessageW(child, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT) {
        break;
      }
      target = child;
    }
    local = screen;
    ScreenToClient(target, &local);
    return target;
  }
  static WPARAM keys(const std::vector<Button>& held) {
    WPARAM flags = 0;
    for (Button b : held) {
      flags |= b == Button::Left ? MK_LBUTTON : b == Button::Right ? MK_RBUTTON : MK_MBUTTON;
    }
    return flags;
  }

  Form& form_;
  Win32WindowSystem& ws_;
  Menu tracked_;
  std::size_t pick_ = 0;
  std::optional<Win32View> view_;
};

}  // namespace

std::unique_ptr<ViewDriver> drive(Form& form, NativeWindowSystem& ws, ViewEvents events) {
  return std::make_unique<Win32Driver>(form, ws, std::move(events));
}

Win32View& native_view(ViewDriver& driver) { return dynamic_cast<Win32Driver&>(driver).native(); }

}  // namespace quorvane::testing
