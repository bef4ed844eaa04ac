#pragma once

// What every front end (platform/qt/, platform/win32/) does for the control model, and the few
// pieces of arithmetic and wording they share. A front end holds no state and decides nothing:
//
//  1. Build: one native widget per control, by kind (Form::controls() lists containers before
//     their contents; a container's children are drawn in order, later ones above):
//       CheckBox      a check box                OptionButton  a radio button, grouped by parent
//       ComboBox      an editable combo box      TextBox       a one-line edit field
//       DriveList     a drop-down list           Label         static text that reports clicks
//       PictureBox    a plain container          Image         artwork that reports clicks
//       Line          a horizontal rule          Timer         a timer on the UI thread
//       Button        a small push button        WarningSign   a small picture (Control::picture)
//                     with its caption, clicks                 with a tooltip, no clicks
//     Placed by place() below; fonts from Control::font, falling back to fonts whose captions
//     still fit the layout; tooltips from Control::tooltip; the hand pointer where asked.
//  1a. For screen readers and the keyboard, all from the model, nothing decided here:
//       - accessible name from Control::accessible_name where it is set (else the toolkit's own,
//         the caption), description from Control::description; an editable combo's edit field
//         gets both too. Labels in Control::labelled_by are related to the control (Qt: buddy;
//         Windows: the static text just before it in the Tab order names it).
//       - Control::role where it is not Native: PushButton, Link or Grouping, with a "press"
//         action that does what a click does.
//       - Control::activatable images and labels take the focus (by Tab and by the click), draw
//         a focus rectangle while they have it, and Enter or Space clicks them. Every control
//         that takes the focus shows it.
//       - Tab order: focus_order() (shell/form_layout.h), skipping what is not on screen; at
//         start the focus is on its first control on screen. After a keyboard or mouse click of
//         a focused image or label the focus goes to focus_after_activation().
//       - A control is drawn only while Form::on_screen() holds: one that a sub-page covers is
//         hidden as well, so that neither Tab nor a screen reader reaches it.
//       - Context menu (right click, the menu key, Shift+F10) of a control that
//         has_context_menu(): the entries of context_menu(), asked for when it opens, in that
//         order; an edit field's own entries (undo, cut, copy, paste ...) below them, after a
//         separator. Choosing one calls its choose(), through the dispatcher.
//  2. Forward: every user action becomes exactly one call on the control, and nothing else:
//       check box clicked -> set_value(0/1)      radio chosen -> set_option_value(true)
//       text edited       -> set_text(bytes)     drive picked -> pick_drive(text)
//       label/image click -> click()             timer tick   -> click()
//       mouse pressed or moved over a control for which has_mouse_move() -> mouse_move(buttons)
//       window closed (by anyone)               -> the unload callback (MainWindow::Form_Unload)
//     Each runs through a dispatcher that ignores events while syncing or after the program has
//     ended, and reports an exception with handler_failure_text() and ends the program.
//  3. Sync: after each forwarded event, bring every widget in line with the model (on screen,
//     value, option value, caption, text, list, drive, tooltip, timer enabled and interval),
//     with the widget's own notifications blocked and without touching a property that already
//     matches, so a text cursor does not jump.
//  4. Convert text at the edge only: the model holds Windows-1252 bytes; the widgets speak the
//     toolkit's Unicode. Characters Windows-1252 cannot hold are refused in edit fields.
//  5. The window system (platform/window_system.h) adds, for the browse buttons, the system's
//     file and folder choosers (opened at the path given, modal to the window) and the same
//     text conversion for the logic (to_model_text refuses what Windows-1252 cannot hold).

#include <exception>
#include <string>
#include <string_view>

#include "shell/controls.h"

namespace quorvane::front_end {

inline constexpr int kTwipsPerPixel = 15;  // at 96 dpi

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// Where a container's client area (inside its border) lies, in twips from the window's top-left
// corner.
struct Placement {
  int client_left = 0;
  int client_top = 0;
};

// Twips to pixels at `dpi` (96 at 100 %), rounded to the nearest pixel.
int to_pixels(int twips, int dpi = 96);

// A control's rectangle in pixels within its container. Pixels are rounded from window-wide
// twips, so controls that line up in twips line up in pixels too, whatever containers they are
// in.
PixelRect place(const Twips& rect, const Placement& in, int dpi = 96);

// The placement of the client area of `container` (a picture box at `rect` in `in`).
Placement inside(const Control& container, const Placement& in);

// "Clicking ch_global(3)", for the message of a failure.
std::string describe(const Control& control, std::string_view event);

// The reason to show for an exception: its own text, except for running out of memory, whose own
// text ("std::bad_alloc") tells a user nothing.
std::string failure_reason(const std::exception& error);

// The message shown when something escapes a handler; the program ends after it.
std::string handler_failure_text(std::string_view what, std::string_view reason);

// A message's text with every run of more than `longest` characters that holds no space (a long
// path, above all) broken into lines, after a path separator where there is one. A message box
// wraps at spaces only, and one long path would make it wider than the screen.
std::string break_long_runs(std::string_view text, std::size_t longest = 72);

}  // namespace quorvane::front_end
