#pragma once

#include "shell/controls.h"

namespace quorvane {

inline constexpr const char* kWindowTitle = "Quorvane Configuration";
// The intro page's panel number.
inline constexpr int kIntroPanel = 6;

// Builds Form1's whole control tree in its initial state: the drawn title bar, the body with its
// navigation images, the intro page, the seven panels with their sub-pages (filled in by the
// panels), and the fade timer. Only the intro page is visible among the panels; "Save & Quit" is
// hidden; the timer is off.
void build_form1(Form& form);

}  // namespace quorvane
