#pragma once

// What every front end (front_ends/qt/, front_ends/win32/) does for the control model, and the
// placement arithmetic they share. A front end holds no state and decides nothing: what a view
// decides is the view core's (shell/view_core.h), and a front end maps those decisions onto its
// widgets.
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
//       ChangeMark    as WarningSign
//     Placed by place() below; fonts from Control::font at the core's stand-in families and
//     fitting steps; a container's contents made when ViewCore::contents_due() says so. (Windows
//     draws images and labels in their container, and makes a hidden panel's window when it
//     first shows: each window costs the start; they answer the mouse, the keyboard and a screen
//     reader through the container.)
//  1a. For screen readers and the keyboard, all from the model and the core: the spoken role
//     and name (ViewCore::spoken_role/spoken_name), Control::description, the labels in
//     Control::labelled_by (Qt: buddy; Windows: the static text just before it in the Tab
//     order); activatable images and labels take the focus, draw it, and Enter or Space clicks
//     them; Tab, the start and the return from a dialog go where the core says; the context menu
//     (right click, the menu key, Shift+F10) shows ViewCore::open_menu()'s entries, an edit
//     field's own below them.
//  2. Forward: every user action becomes exactly one of the core's event verbs (check box
//     clicked, option chosen, text edited, item chosen, list key, drive picked, activated,
//     mouse moved, timer ticked, window closed), and nothing else; the core dispatches it.
//  3. Sync: after each event the core runs the front end's sync, which brings every widget in
//     line with the model (drawn, value, option value, caption, text, current list item, list,
//     drive, enabled, tooltip, timer), with the widget's own notifications blocked and without
//     touching a property that already matches, so a text cursor does not jump.
//  4. Convert text at the edge only, through the core's Windows-1252 table; typed and pasted
//     text is cleaned by the core, which names what it refused.
//  5. The window system (model/window_system.h) adds, for the browse buttons, the system's
//     file and folder choosers (opened at the path given, modal to the window) and the same
//     text conversion for the logic (to_model_text refuses what Windows-1252 cannot hold).

#include <exception>
#include <string>
#include <string_view>

#include "model/controls.h"

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

}  // namespace quorvane::front_end
