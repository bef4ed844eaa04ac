#pragma once

// Input as the mouse and the keyboard make it, and what the system's own readers (tooltips,
// screen readers) find, for real windows under Wine or Windows: the Windows tests' helpers.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "front_ends/win32/win.h"
#include "front_ends/win32/win32_view.h"
#include "front_ends/win32/win32_window_system.h"

// After windows.h, which they need.
#include <commctrl.h>
#include <oleacc.h>

namespace quorvane::testing {

using win32::Win32WindowSystem;
// Where a control is: its own window, or the container's that draws it, and its area there.
using Spot = win32::Win32View::Spot;

// Lets messages run for `ms`, or until the program has ended. The end of an earlier test's
// program may still be queued; it is not this one's.
inline void pump(Win32WindowSystem& ws, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until && !ws.ended()) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}

// Lets messages run for `ms` whatever happens meanwhile, as a message box's own loop does.
inline void run_like_a_modal_loop(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  }
}
// A memory DC drawing into 32-bit pixels, top row first, for tests that look at what is drawn.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // What has been drawn so far.
  unsigned int* pixels() {
    GdiFlush();
    return static_cast<unsigned int*>(bits_);
  }
  // Whether the pixel at x, y is dark enough to be text in the window's text colour.
  bool dark(int x, int y) {
    const unsigned int p = pixels()[y * width_ + x];
    return (((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10 < 100;
  }

 private:
  int width_;
  int height_;
  void* bits_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

inline std::wstring text_of(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

inline RECT rect_in_parent(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline HWND edit_of(HWND control) {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(control, &info) && info.hwndItem != nullptr) return info.hwndItem;
  return control;
}

// A left click as the mouse makes it: press and release over the window's middle.
inline void click(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
}

// The same over a control wherever it is drawn.
inline void click(const Spot& spot) {
  const LPARAM at =
      MAKELPARAM((spot.area.left + spot.area.right) / 2, (spot.area.top + spot.area.bottom) / 2);
  SendMessageW(spot.window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(spot.window, WM_LBUTTONUP, 0, at);
}

// Its area in its window's parent's client pixels, as rect_in_parent gives a window's.
inline RECT rect_in_parent(const Spot& spot) {
  return spot.own ? rect_in_parent(spot.window) : spot.area;
}

// Types as a keyboard does: one character message per UTF-16 unit.
inline void type(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

inline void retype(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CLEAR, 0, 0);
  type(edit, text);
}

// Chooses item `index` of a combo box's list as its notification reports a choice.
inline void choose(HWND combo, int index) {
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  const int id = GetDlgCtrlID(combo);
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK),
               reinterpret_cast<LPARAM>(combo));
}
// The first visible window of class `cls` that `also` accepts: among the children of `parent`,
// or the top-level windows of this thread when it is nullptr.
inline HWND find_window(const wchar_t* cls, HWND parent, bool (*also)(HWND) = nullptr) {
  struct Search {
    const wchar_t* cls;
    bool (*also)(HWND);
    HWND found;
  } search{cls, also, nullptr};
  const WNDENUMPROC visit = [](HWND w, LPARAM l) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(l);
    wchar_t name[64] = {};
    GetClassNameW(w, name, 64);
    if (std::wstring(name) != s.cls || (s.also != nullptr && !s.also(w))) return TRUE;
    s.found = w;
    return FALSE;
  };
  if (parent != nullptr) {
    EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumThreadWindows(GetCurrentThreadId(), visit, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

// The tooltip control that shows `control`'s tip (a tool of `owner`, by default its parent), and
// the tip's text; empty when it has none.
// The view's tooltip controls are owned by its window: the one for refusals has a single tool,
// the help's one tool for each control. nullptr when there is none of that kind.
inline HWND tooltip_window(HWND owner, bool single_tool) {
  struct Search {
    HWND owner;
    bool single_tool;
    HWND found;
  } search{owner, single_tool, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM l) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(l);
        wchar_t name[64] = {};
        GetClassNameW(hwnd, name, 64);
        const LRESULT tools = SendMessageW(hwnd, TTM_GETTOOLCOUNT, 0, 0);
        if (std::wstring(name) == TOOLTIPS_CLASSW && GetWindow(hwnd, GW_OWNER) == s.owner &&
            (s.single_tool ? tools == 1 : tools > 1)) {
          s.found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The text of the help's tool `id` of `owner`, once the pointer has come over `over` at `at`.
inline std::wstring tool_text(HWND over, POINT at, HWND owner, UINT_PTR id) {
  // The view makes its tips when the pointer first comes over it.
  SendMessageW(over, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  // The tips of the controls are the tooltip control that holds several tools.
  HWND tips = find_window(TOOLTIPS_CLASSW, nullptr,
                          [](HWND w) { return SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0) >= 2; });
  if (tips == nullptr) return {};
  std::wstring text(4096, L'\0');
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = owner;
  tool.uId = id;
  tool.lpszText = text.data();
  SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
  text.resize(wcslen(text.c_str()));
  return text;
}

inline std::wstring tooltip_of(HWND control, HWND owner = nullptr) {
  return tool_text(control, POINT{1, 1}, owner != nullptr ? owner : GetParent(control),
                   reinterpret_cast<UINT_PTR>(control));
}

// The same for a control wherever it is drawn: one its container draws has a tool of the
// container's, over its area while it is on show.
inline std::wstring tooltip_of(const Spot& spot) {
  if (spot.own) return tooltip_of(spot.window);
  return tool_text(spot.window, POINT{spot.area.left, spot.area.top}, spot.window, spot.tool);
}

// A key as the keyboard sends it to the focused window, through the program's own message loop;
// Shift held with it when asked.
inline void press(Win32WindowSystem& ws, WPARAM key, bool shift = false) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  HWND focus = GetFocus();
  const UINT down = key == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN;
  PostMessageW(focus, down, key, 1);
  PostMessageW(focus, down + 1, key, static_cast<LPARAM>(0xC0000001));
  ws.process_pending_events();
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

// What the window the keyboard is in when `control` has the focus: an editable combo's field.
inline HWND focus_target(HWND control) { return edit_of(control); }

inline void flip_to(HWND label) {
  SendMessageW(GetParent(label), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(label), STN_CLICKED),
               reinterpret_cast<LPARAM>(label));
}

// What a screen reader reads of a window: its object for the client area, asked the standard way.
struct Read {
  std::wstring name;
  std::wstring description;
  long role = 0;
  long state = 0;
  std::wstring action;
};

// The object of a window's client area, and in it the child that a control drawn by the window
// is, found as a screen reader finds it: among the children with no window of their own, the one
// at its place. CHILDID_SELF for a control with a window of its own.
inline IAccessible* accessible_of(const Spot& spot, VARIANT& child) {
  child.vt = VT_I4;
  child.lVal = CHILDID_SELF;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(spot.window, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      object == nullptr) {
    return nullptr;
  }
  if (spot.own) return object;
  RECT wanted = spot.area;
  MapWindowPoints(spot.window, nullptr, reinterpret_cast<POINT*>(&wanted), 2);
  long count = 0;
  object->get_accChildCount(&count);
  for (long i = 1; i <= count; ++i) {
    VARIANT id{};
    id.vt = VT_I4;
    id.lVal = i;
    IDispatch* window = nullptr;
    if (object->get_accChild(id, &window) == S_OK && window != nullptr) {
      window->Release();
      continue;
    }
    long left = 0, top = 0, width = 0, height = 0;
    if (SUCCEEDED(object->accLocation(&left, &top, &width, &height, id)) && left == wanted.left &&
        top == wanted.top && width == wanted.right - wanted.left &&
        height == wanted.bottom - wanted.top) {
      child = id;
      return object;
    }
  }
  object->Release();
  return nullptr;
}

inline Read read_as_screen_reader(const Spot& spot) {
  Read read;
  VARIANT self{};
  IAccessible* object = accessible_of(spot, self);
  if (object == nullptr) return read;
  const auto text = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
    BSTR value = nullptr;
    const HRESULT result = (object->*get)(self, &value);
    std::wstring out = SUCCEEDED(result) && value != nullptr ? std::wstring(value) : L"";
    SysFreeString(value);
    return out;
  };
  read.name = text(&IAccessible::get_accName);
  read.description = text(&IAccessible::get_accDescription);
  read.action = text(&IAccessible::get_accDefaultAction);
  VARIANT out{};
  if (SUCCEEDED(object->get_accRole(self, &out)) && out.vt == VT_I4) read.role = out.lVal;
  VariantClear(&out);
  if (SUCCEEDED(object->get_accState(self, &out)) && out.vt == VT_I4) read.state = out.lVal;
  VariantClear(&out);
  object->Release();
  return read;
}

inline Read read_as_screen_reader(HWND hwnd) { return read_as_screen_reader(Spot{hwnd, {}, true}); }

inline void do_default_action(const Spot& spot) {
  VARIANT self{};
  IAccessible* object = accessible_of(spot, self);
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(SUCCEEDED(object->accDoDefaultAction(self)));
  object->Release();
}

// The entries of a menu as the system holds them: id (0 for a separator), caption with its "&"
// marks, and whether it can be chosen.
struct MenuItem {
  UINT id = 0;
  std::wstring caption;
  bool enabled = false;
};

inline std::vector<MenuItem> menu_items(HMENU menu) {
  std::vector<MenuItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    wchar_t text[256] = {};
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
    info.dwTypeData = text;
    info.cch = 256;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    const bool separator = (info.fType & MFT_SEPARATOR) != 0;
    items.push_back({separator ? 0 : info.wID, text, (info.fState & MFS_DISABLED) == 0});
  }
  return items;
}

}  // namespace quorvane::testing
