#pragma once

#include <vector>

#include "model/controls.h"
#include "panels/bindings.h"

namespace quorvane {

inline constexpr const char* kWindowTitle = "Quorvane Configuration";
// The intro page's panel number.
inline constexpr int kIntroPanel = 6;

// Builds Form1's whole control tree in its initial state: the drawn title bar, the body with its
// navigation images, the intro page, the seven panels with their sub-pages (filled in by the
// panels), and the fade timer. Only the intro page is visible among the panels; "Save & Quit" is
// hidden; the timer is off. What the panels declare beside their controls (bindings, page flips)
// goes into `declared`.
void build_form1(Form& form, Declarations& declared);

// Whether the keyboard can reach the control: every input control, and the images and labels
// that are activatable.
bool takes_focus(const Control& control);

// The order Tab walks, whatever is on show (a front end skips what is not on screen): the
// navigation images left to right, the close image, then page by page the page's controls in
// reading order (the order the page lists them, an option group's buttons in its place), its
// page-flip label, and then its sub-page's controls and flip label in the same way.
std::vector<const Control*> focus_order(const Form& form);

// Where the focus goes after the user activated `control` from the keyboard: it stays there, as
// long as the control is still on screen. A page-flip label that a sub-page now covers (or that
// went with its sub-page) hands it to the page-flip label on show, so that Enter flips back.
const Control* focus_after_activation(const Form& form, const Control& control);

}  // namespace quorvane
