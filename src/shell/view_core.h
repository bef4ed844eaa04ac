#pragma once

// The view core: everything a view of the window decides that is not about Qt or Windows, written
// once for both front ends. A front end owns its widgets and maps these decisions onto them; it
// calls the event verbs below for what the user does, and asks the questions below for what to
// show. Texts cross here as UTF-16, which is what both toolkits' widgets hold.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/controls.h"
#include "model/window_system.h"

namespace quorvane {

// What a view reports that is not a control's own event.
struct ViewEvents {
  std::function<void()> unload;  // the window has closed, for whatever reason
  // An event reached the model: what the window derives from it (the change marks, the list on
  // Save & Quit) is brought in line before the widgets are.
  std::function<void()> changed = nullptr;
};

// ---- Text at the edge ----------------------------------------------------------------------

// A field's text once the core has cleaned what the user typed or pasted into it.
struct CleanText {
  std::u16string shown;    // what the field shows from now on
  std::size_t caret = 0;   // where its caret goes, moved with what was taken out
  std::string bytes;       // what the model stores: the Windows-1252 bytes of `shown`
  std::u16string refused;  // characters VOZ.INI cannot hold, taken out, each once, in order
};

// Line breaks (a paste brings them) are dropped, joining the lines; characters that Windows-1252
// has no byte for (a pair of surrogates is one character) are taken out and reported, since the
// file would otherwise hold a wrong byte for them. Everything else stays as it is, a tab or a
// control character read from the file among it. `caret` is a position in `typed`.
CleanText clean_typed_text(std::u16string_view typed, std::size_t caret);

// The note a field shows for the characters it refused: “ā”, “😀” cannot be stored in VOZ.INI
// (Windows-1252).
std::u16string refusal_note(std::u16string_view refused);

// How long the refusal note stays up.
inline constexpr int kRefusalNoteMs = 5000;

// The model's bytes and the widgets' text (the one Windows-1252 table, in the core).
std::u16string to_widget_text(std::string_view bytes);
std::string to_model_bytes(std::u16string_view text);

// A message's text with every run of more than `longest` characters that holds no space (a long
// path, above all) broken into lines, after a path separator where there is one. A message box
// wraps at spaces only, and one long path would make it wider than the screen. UTF-8.
std::string break_long_runs(std::string_view text, std::size_t longest = 72);

// ---- What the user did ------------------------------------------------------------------------

// The verbs that name an event in the message of a failure: "Clicking ch_global(3) failed ...".
enum class Verb { Click, Choose, Type, PickDrive, Drag, Tick, OpenMenu, Restore, Drop };
std::string describe(const Control& control, Verb verb);

// The reason to show for an exception: its own text, except for running out of memory, whose own
// text ("std::bad_alloc") tells a user nothing.
std::string failure_reason(const std::exception& error);

// The message shown when something escapes a handler; the program ends after it.
std::string handler_failure_text(std::string_view what, std::string_view reason);

// The keys that move through a combo's list, closed or open.
enum class ListKey { Up, Down, PageUp, PageDown, Home, End };

// How many items an open list shows at once.
inline constexpr int kListItemsShown = 10;

// The item a key moves to from `current` (-1: none) in a list of `count` items: one up or down, a
// page less one item (so that the last one shown stays in sight), or to an end. A list with no
// current item starts before its first: End goes to the last, every other key to the first.
int list_move(int current, int count, ListKey key);

// A context menu as a view shows it.
struct ViewMenu {
  // The model's entries, in order, with "&" doubled (a menu takes it for a shortcut mark, and a
  // value means it as it stands).
  std::vector<std::u16string> entries;
  // An edit field keeps its own entries (undo, cut, copy, paste ...) below them, after a
  // separator.
  bool field_entries = false;
};

class ViewCore {
 public:
  ViewCore(Form& form, WindowSystem& window_system, ViewEvents events);
  ViewCore(const ViewCore&) = delete;
  ViewCore& operator=(const ViewCore&) = delete;

  Form& form() { return form_; }
  const Form& form() const { return form_; }

  // The front end's sync: brings every widget in line with the model, its own notifications
  // blocked. Run after every event that reached the model.
  void on_sync(std::function<void()> sync) { sync_ = std::move(sync); }
  void sync();
  // Whether the widgets are being brought in line with the model: their notifications then are
  // the view's own doing and reach nothing.
  bool syncing() const { return syncing_; }

  // Whether events reach the model now: not while syncing, after a failure, or once the program
  // has ended (an event already queued then is dropped).
  bool accepting() const;
  bool failed() const { return failed_; }

  // Runs `action`, then syncs. A failure that escapes it is reported in a message naming `what`
  // and the reason, and the program ends with exit code 1; nothing reaches the model after it.
  void dispatch(std::string_view what, const std::function<void()>& action);
  void dispatch(const Control& control, Verb verb, const std::function<void()>& action);

  // The event verbs: each is exactly one call on the model, dispatched.
  void check_box_clicked(Control& box, bool checked);
  void option_chosen(Control& button);
  void button_clicked(Control& button);
  // An image or a page-flip label clicked, by the mouse or from the keyboard. `had_focus`: it had
  // the keyboard before. Returns where the keyboard goes now: the control itself while it is on
  // screen, the page-flip label on show when a sub-page now covers it; nullptr to leave the focus
  // where it is.
  const Control* activated(Control& control, bool had_focus);
  // What the user typed or pasted into a text box or an editable combo's field; returns the text
  // the field must show (and the note to show when something was refused). A tab that arrives
  // (with a paste: Tab itself moves the keyboard on) becomes a space.
  CleanText text_edited(Control& field, std::u16string_view text, std::size_t caret);
  // An item of an editable combo's list chosen (by the mouse, the arrow keys or the open list).
  void item_chosen(Control& combo, int index);
  // Up, Down, Page Up or Page Down in a closed combo: the item next to the one shown is chosen.
  // (Home and End move the caret in its field.)
  void closed_list_key(Control& combo, ListKey key);
  void drive_picked(Control& list, int index);
  // The mouse pressed or moved over a control that listens to it (the title bar).
  void mouse_moved(Control& control, int buttons);
  // Files or folders dropped on the control, as the system's UTF-8 paths: what they do is the
  // model's affair; a control that takes no drops (Control::takes_drops) ignores them. A view
  // shows which controls take them while something is dragged over, and offers drops to those
  // alone.
  void files_dropped(Control& target, const std::vector<std::string>& paths);
  // A tick of a timer: only a running one ticks (a tick may come from the toolkit's queue after
  // the model stopped it).
  void timer_ticked(Control& timer);
  // The window closed, by whoever.
  void window_closed();

  // The context menu of `control` (nullopt for one that has none); `edit_field`: the control is
  // or holds an edit field. The view then shows it and reports the entry chosen.
  std::optional<ViewMenu> open_menu(Control& control, bool edit_field);
  void menu_chosen(Control& control, std::size_t entry);

  // ---- What the view shows ----------------------------------------------------------------

  // What a screen reader is told the control is: its own role where the model gives one; an
  // image worked like a button is a push button, one only looked at (a rule, a sign) a picture;
  // Native: what the toolkit's widget of the kind is.
  static Role spoken_role(const Control& control);
  // What it is called: its accessible name; artwork, which has no text of its own, by its
  // tooltip; empty for the toolkit's own (the caption).
  static std::string spoken_name(const Control& control);

  // A control's tooltip and accessible description as the widgets show them.
  static std::u16string tooltip_text(const Control& control);
  static std::u16string description_text(const Control& control);
  // The window's title: the root's caption, or the program's name.
  std::u16string title() const;
  // A widget is drawn while its control is visible and no sub-page covers it: one under a
  // sub-page is hidden too, so that neither Tab nor a screen reader reaches it there.
  bool drawn(const Control& control) const;
  // A container's contents are made the first time it is on screen: most of the window is
  // hidden panels, and making their widgets up front would double the time to the first window.
  bool contents_due(const Control& container) const;
  // Whether the user can work the control: a drive list with no drives to offer is greyed.
  bool enabled(const Control& control) const;
  // What Tab walks, in order, skipping what is not on screen or not enabled.
  std::vector<const Control*> tab_order() const;
  // The same order with everything that may come on screen later, for a toolkit that chains its
  // widgets once and skips hidden ones itself.
  std::vector<const Control*> focus_chain() const;
  // Where Tab (or Shift+Tab) goes from `from` (nullptr: from nowhere in the order).
  const Control* next_focus(const Control* from, bool backwards) const;
  // Where the keyboard starts when the window shows.
  const Control* first_focus() const;
  // Where the keyboard goes when the window gets the activation back from a chooser, a message
  // or another program: where it was (`left`), while that is still on screen; else the start.
  const Control* focus_back(const Control* left) const;

  // ---- Cues ------------------------------------------------------------------------------

  // A key went down in the window. From then on the control with the keyboard shows it: as
  // Windows programs do, the focus cue stays hidden while only the mouse is used, and shows for
  // good once the keyboard is. Returns whether the cues have just come on, for the view to
  // redraw what shows them.
  bool key_pressed();
  bool focus_cues_shown() const { return keyboard_used_; }

  // A combo's (or drive list's) list dropped down or closed up.
  void list_opened(const Control& list);
  void list_closed(const Control& list);
  // Whether help tooltips come up: not while a list is open, where the tip of the box would
  // cover the panel beside the list the user is choosing from.
  bool help_tips_shown() const { return open_list_ == nullptr; }

 private:
  Form& form_;
  WindowSystem& ws_;
  ViewEvents events_;
  std::function<void()> sync_;
  bool syncing_ = false;
  bool failed_ = false;
  // The entries of the menu on show, until one is chosen.
  std::vector<MenuEntry> menu_;
  bool keyboard_used_ = false;
  const Control* open_list_ = nullptr;
};

// ---- Colours ------------------------------------------------------------------------------

// The colours the system asks programs to use, as the front end reads them: under a
// high-contrast theme these are the theme's.
struct SystemColours {
  Rgb window = 0xFFFFFF;       // the background of windows
  Rgb window_text = 0x000000;  // text on it
};

// How the desktop wants the window drawn.
struct Appearance {
  bool high_contrast = false;  // a high-contrast theme is on
  SystemColours system;
};

// The colours a control is drawn in.
struct ControlColours {
  Rgb background = kPanelBackground;  // its surface (a container's, or behind a caption)
  Rgb text = 0x000000;                // its caption and its focus cue
  // Whether a container draws its artwork behind what it holds. Under high contrast it does not:
  // the title's caption stands on the theme's plain background, where the theme's text colour
  // is sure to show.
  bool surface_art = true;
  // Under high contrast, the plate an image's artwork is drawn on (else it shows what lies
  // beneath). Artwork keeps its own colours in every theme, so it stays on the layout's
  // background, which it was drawn for, and stays legible on a black or white theme alike.
  std::optional<Rgb> art_plate;
};

// Whether a desktop's colours are a high-contrast theme's, where the desktop gives no flag for it
// (Qt reports only a palette): text and background as far apart as black and white, at a contrast
// ratio of at least 19.5:1 (black on white is 21:1, yellow on black 19.6:1; the usual light
// themes' windows, grey or off-white, stay below 19.3:1).
bool high_contrast_colours(const SystemColours& colours);

// The layout's own colours, or under high contrast the system's for text and surfaces.
ControlColours colours_for(const Control& control, const Appearance& appearance);

// ---- How captions and lists fit the layout ----------------------------------------------------

// The families that stand in for a font of the window, closest first: the window was drawn for
// "MS Sans Serif" and "Times New Roman", the first a bitmap font that does not scale, so its
// outline twin comes first, then families of close metrics, then what any system has. Empty for
// another family, which is used as it is.
const std::vector<std::string>& font_stand_ins(std::string_view family);

// One size a caption may take on its way to fitting its box.
struct FontStep {
  int pixels;   // the font's height in pixels
  int stretch;  // its width in percent of normal
};

// The font's height in pixels at `dpi` (96 is 100 %).
int font_pixels(const FontSpec& font, int dpi);

// The steps a caption goes through until it fits: condensed first (it keeps the caption's height,
// so it still lines up with its neighbours), then a pixel smaller and condensed again, down to a
// fifth below its size.
std::vector<FontStep> font_steps(const FontSpec& font, int dpi);

// The first step at which `needed(step)`, the width the caption takes in that font, is at most
// `width`; the last step when none is.
FontStep fit_font(const FontSpec& font, int dpi, const std::function<int(FontStep)>& needed,
                  int width);

struct PixelSize {
  int width = 0;
  int height = 0;
};

// A label's box for its caption: at least one line of its font high, so that a taller stand-in
// font keeps its descenders; and a left-aligned caption that still does not fit spills to the
// right (labels are transparent) as far as its container allows (`room`: from the box's left edge
// to the container's right edge), rather than lose its end.
PixelSize label_box(const Control& label, PixelSize box, int caption_width, int line_height,
                    int room);

// The text an editable combo must show whole in its field: its own or its longest suggestion.
// Values are not captions, but the classic drop-down is narrow, and a suggestion's end must not
// hide under the arrow.
std::string widest_entry(const Control& combo, const std::function<int(const std::string&)>& width);

// The margins of an edit field's text, at 96 dpi.
inline constexpr int kFieldTextMargins = 6;

// The open list of a drive list: as wide as its widest item needs (with the scroll bar and
// margins), so that no drive is cut at the closed box's edge, and never narrower than the box.
int drop_down_width(int widest_item, int box_width, int scroll_bar, int dpi);

}  // namespace quorvane
