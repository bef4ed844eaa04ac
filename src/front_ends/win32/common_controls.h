#pragma once

#include "front_ends/win32/win.h"

// After windows.h, which it needs.
#include <commctrl.h>

namespace quorvane::win32 {

// Version 6 of the common controls, which the program's manifest asks for: its buttons, fields,
// lists and tips, and the subclassing of them. Loaded, and its classes registered, when the
// first of them is made or the window has been on screen for a moment, whichever comes first:
// the first page shows none, and loading the library and its classes before the first frame
// held the window back by a fifth.
struct CommonControls {
  decltype(&SetWindowSubclass) set_subclass = nullptr;
  decltype(&DefSubclassProc) def_subclass = nullptr;
  decltype(&RemoveWindowSubclass) remove_subclass = nullptr;
};

// Throws std::runtime_error, naming the library, when it cannot be loaded.
const CommonControls& common_controls();

}  // namespace quorvane::win32
