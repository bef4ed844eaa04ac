#pragma once

#include <functional>
#include <string>
#include <vector>

#include "front_ends/win32/win.h"

namespace quorvane::win32 {

struct AccessibleElement;

// What a screen reader is told of one control beyond what the system's own object for it says.
struct AccessibleFacts {
  std::wstring name;         // empty: the system's own (a caption, or the static text before it)
  std::wstring description;  // empty: none
  long role = 0;             // an MSAA ROLE_SYSTEM_* value; 0: the system's own
  // What the control's window class is (check box, push button, combo box, edit field ...), for a
  // host whose own object does not know the class and reports a plain client area (Wine's does).
  long class_role = 0;
  // A check box or option button: its checked state is read from the button itself.
  bool checkable = false;
  // Where "Press" (the default action) sends kPressMessage; nullptr: no action of ours.
  HWND press = nullptr;
  // A container's children that have no window of their own, the pictures and captions it draws
  // itself: asked for whenever a screen reader asks, and numbered from 1, before the
  // container's windows.
  std::function<std::vector<AccessibleElement>()> elements;
};

// One of those children, as it is now.
struct AccessibleElement {
  AccessibleFacts facts;  // its name, description and role
  RECT area{};            // in screen pixels
  bool visible = false;
  bool focusable = false;
  bool focused = false;
  WPARAM press = 0;  // what "Press" sends the container with kPressMessage; 0: no action
};

// Sent (posted) to a control whose default action a screen reader carried out.
inline constexpr UINT kPressMessage = WM_APP + 0x51;

// The answer to WM_GETOBJECT for `hwnd`: the system's own object for its client area with
// `facts` laid over it. 0, for the system's answer instead, when another object is asked for or
// the accessibility library is missing. The library is loaded only when a screen reader asks,
// so a start without one does not pay for it.
LRESULT answer_get_object(HWND hwnd, WPARAM w, LPARAM l, const AccessibleFacts& facts);

}  // namespace quorvane::win32
