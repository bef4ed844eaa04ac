#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "front_ends/win32/win.h"
#include "model/controls.h"
#include "shell/view_core.h"

namespace quorvane::win32 {

class Win32WindowSystem;

// Shows a context menu at `at` (screen coordinates) for `owner` and returns the chosen entry's
// id, 0 for none. The system's TrackPopupMenu unless a test puts its own hand in its place.
using MenuTracker = std::function<UINT(HMENU menu, POINT at, HWND owner)>;

// Draws a Form with native Windows controls, one per control, and forwards what the user does
// to it.
//
// The control model is the truth. A control's notification only ever changes the model; after
// each event the view brings every control in line with the model again (sync()), ignoring the
// notifications that its own changes raise and leaving alone what already matches, so a text
// caret never jumps. Texts cross between the two in Windows-1252, the encoding of VOZ.INI.
// The system's high-contrast setting and the colours it asks programs to use.
Appearance system_appearance();

class Win32View {
 public:
  // dpi 0: the DPI of the screen the window is made on.
  Win32View(Form& form, Win32WindowSystem& window_system, ViewEvents events, int dpi = 0);
  ~Win32View();
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  HWND window() const;
  // The native control that draws `control`; nullptr for one that has none: a timer, or a
  // picture or caption that its container draws.
  HWND widget(const Control& control) const;
  HWND widget(std::string_view name, int index = -1) const;
  // Where `control` is: the window that draws it and takes its input (its own, or its
  // container's), its area in that window's client pixels, and whether it is on screen. No
  // window: it has none (a timer).
  struct Spot {
    HWND window = nullptr;
    RECT area{};
    bool own = false;  // the window is the control's own
    bool drawn = false;
    // Drawn by its container: the id of its tool among the help's tips, a tool of `window`'s.
    UINT_PTR tool = 0;
  };
  Spot spot(const Control& control) const;
  // The control that has the keyboard, and a way to give it the keyboard as a click would.
  const Control* focused() const;
  void focus(const Control& control);
  // The font the control's text is drawn in.
  HFONT font(const Control& control) const;

  int dpi() const;
  // Lays the whole window out again for `dpi`, as a move to a screen of another scale does.
  void set_dpi(int dpi);

  // How the system wants the window drawn (its high-contrast setting and colours), read when
  // the view is made and again when the system's settings change; a test gives its own.
  void set_appearance(const Appearance& appearance);

  void sync();
  // Shows the window in the middle of its screen, the keyboard on the first control of the Tab
  // order.
  void show();
  void set_menu_tracker(MenuTracker tracker);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvane::win32
