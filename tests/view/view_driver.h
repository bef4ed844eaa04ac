#pragma once

// What a view test does to the real widgets of a front end, and what it reads back, in the
// model's terms: a control of the form, a key, a point of the window. Each front end's test
// executable implements it over its own widgets (tests/qt/qt_driver.cpp, tests/win32/
// win32_driver.cpp), so that one suite of view behaviours (tests/view/) runs against both.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/controls.h"
#include "native_window_system.h"
#include "shell/view_core.h"

namespace quorvane::testing {

struct Point {
  int x = 0;
  int y = 0;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int right() const { return x + width; }
  int bottom() const { return y + height; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Button { Left, Right, Middle };

enum class Key {
  Tab,
  ShiftTab,
  Enter,
  KeypadEnter,
  Space,
  Up,
  Down,
  PageDown,
  F4,
  Escape,
  Menu,
  ShiftF10
};

// What a screen reader takes a control for.
enum class Role {
  Other,
  PushButton,
  CheckBox,
  OptionButton,
  ComboBox,
  Text,
  StaticText,
  Grouping,
  Graphic,
  Link
};

// What a screen reader reads of a control: its name, its help, what it is, its state, and the
// name of what it does when pressed.
struct ScreenReading {
  std::u16string name;
  std::u16string description;
  Role role = Role::Other;
  bool checked = false;
  bool invisible = false;
  std::u16string action;
};

enum class MenuOpener { RightClick, MenuKey, ShiftF10 };

// A context menu as it came up: its entries as drawn ("&&" shows as "&", a single "&" marks the
// letter of a shortcut and is not drawn; "--" for a separator, no shortcut keys), whether each
// can be chosen, and whether each has a shortcut letter.
struct Menu {
  bool shown = false;
  std::vector<std::u16string> entries;
  std::vector<bool> enabled;
  std::vector<bool> mnemonic;
};

// How a caption fits the box it is drawn in, in pixels; nullopt for a control with no caption of
// its own to fit.
struct CaptionFit {
  int text_width = 0;
  int box_width = 0;
  std::optional<int> text_height;  // for a label, whose box must take a line
  int box_height = 0;
};

// What a control did with files dragged over it: whether it takes them, whether it showed so
// while they were over it, and whether that cue went when they left.
struct DragOver {
  bool taken = false;
  bool cue_shown = false;
  bool cue_gone = false;
};

// A picture of a control, row by row, 0xRRGGBB each.
struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;
  std::uint32_t at(int x, int y) const {
    return rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(x)];
  }
  friend bool operator==(const Pixels&, const Pixels&) = default;
};

class ViewDriver {
 public:
  virtual ~ViewDriver() = default;

  // Brings the widgets in line with the model, as the view does after each event.
  virtual void sync() = 0;
  // Lets the window's events (timers among them) run for `ms`.
  virtual void wait(int ms) = 0;
  // Lets events run until `done` holds, for `ms` at most; whether it held.
  virtual bool wait_until(const std::function<bool()>& done, int ms) = 0;

  // The window: its frame on the screen, the work area of its screen, its title, whether the
  // system draws a frame or title bar around it, whether it is on screen; the system's close
  // (its menu, Alt+F4, the taskbar).
  virtual Rect window_rect() = 0;
  virtual Rect client_rect() = 0;  // in the window's own pixels
  virtual Rect work_area() = 0;
  virtual std::u16string title() = 0;
  virtual bool frameless() = 0;
  virtual bool window_visible() = 0;
  virtual void close_window() = 0;

  // The mouse. A click is a left press and release over the control's middle. Points are in the
  // window's pixels; a press goes to what the system hands it to there, and its release to the
  // same control, wherever the release is.
  virtual void click(const Control& c) = 0;
  virtual void click_at(Point at, Button button) = 0;
  virtual void press_and_release_off(const Control& c) = 0;
  virtual void move_over(Point at, std::vector<Button> held) = 0;
  // Whether a press over the control reaches the control itself, rather than what lies beneath.
  virtual bool takes_the_mouse(const Control& c) = 0;
  virtual bool hand_pointer(const Control& c) = 0;

  // The keyboard: keys go to the control that has the focus.
  virtual void focus(const Control& c) = 0;
  virtual const Control* focused() = 0;
  virtual void key(Key key) = 0;
  // Types text as a keyboard would, one key per character, at the caret of the control's field.
  virtual void type(const Control& c, std::u16string_view text) = 0;
  // Selects the field's whole text, deletes it, and types `text`.
  virtual void retype(const Control& c, std::u16string_view text) = 0;
  // Replaces the field's whole text with `text` pasted in one piece.
  virtual void paste(const Control& c, std::u16string_view text) = 0;
  virtual void set_caret(const Control& c, int at) = 0;
  // The selection of the field, {caret, caret} when nothing is selected.
  virtual std::pair<int, int> selection(const Control& c) = 0;
  // The tip that tells why a character was refused; empty when none is up.
  virtual std::u16string refusal() = 0;

  // Lists: drops the list down and picks the item as the mouse does.
  virtual void choose(const Control& c, std::u16string_view item) = 0;
  virtual int item_count(const Control& c) = 0;
  virtual int current_item(const Control& c) = 0;

  // What the widgets show: a field's text or a caption, the check of a box or button, whether it
  // is on screen (its window and every parent shown), whether it takes input, whether nothing
  // visible stands over it among its siblings.
  virtual std::u16string text(const Control& c) = 0;
  virtual bool checked(const Control& c) = 0;
  virtual bool visible(const Control& c) = 0;
  virtual bool enabled(const Control& c) = 0;
  virtual bool on_top(const Control& c) = 0;
  virtual std::u16string tooltip(const Control& c) = 0;
  // In the window's client pixels: where the control stands, and the area its children stand in.
  virtual Rect geometry(const Control& c) = 0;
  virtual Rect client_area(const Control& c) = 0;
  virtual std::optional<CaptionFit> caption_fit(const Control& c) = 0;
  // The control's pixels as the screen shows them now.
  virtual Pixels pixels(const Control& c) = 0;
  // Drops a combo's list down (or closes it) as the mouse on its arrow does.
  virtual void drop_list(const Control& c, bool open) = 0;
  // Rests the pointer on the control (on its field, for an editable combo box) and waits up to
  // `ms` for its help tooltip to come up; whether it did.
  virtual bool help_comes_up(const Control& c, int ms) = 0;
  // Opens the context menu of the control (of its field, for an editable combo box) with
  // `opener`, the keys after putting the keyboard there, and chooses entry `pick` (counted from
  // 1; 0 chooses none) while it is up.
  virtual Menu menu(const Control& c, MenuOpener opener, std::size_t pick) = 0;

  // As a screen reader finds the control, or the field in it that takes the keyboard (an
  // editable combo box's); and its default action, done as a screen reader does it.
  virtual ScreenReading read(const Control& c) = 0;
  virtual ScreenReading read_field(const Control& c) = 0;
  virtual void press_as_screen_reader(const Control& c) = 0;
  // Files or folders (UTF-8 paths) from a file manager, through the toolkit's own drag-and-drop
  // events: dragged over the control and away again, or dropped on it.
  virtual DragOver drag_over(const Control& c, const std::vector<std::string>& paths) = 0;
  virtual void drop(const Control& c, const std::vector<std::string>& paths) = 0;

  // The display scales (in DPI) the front end lays the window out at, and a change to one.
  virtual std::vector<int> scales() = 0;
  virtual void set_scale(int dpi) = 0;
};

// Each front end's tests make the real view of `form` over `ws` and show it.
std::unique_ptr<ViewDriver> drive(Form& form, NativeWindowSystem& ws, ViewEvents events);

}  // namespace quorvane::testing
