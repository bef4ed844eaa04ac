#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The kinds of control the window is made of. The logic reads and writes their properties; the
// Qt view draws them and forwards the user's actions back through the same properties.
enum class Kind {
  CheckBox,
  OptionButton,
  ComboBox,
  TextBox,
  DriveList,
  Label,
  PictureBox,
  Image,
  Line,
  Timer,
  Button,       // a small push button with a caption (the "..." beside a path box)
  WarningSign,  // a small sign beside a control, shown while its value needs a second look
  ChangeMark,   // a small mark beside a setting, shown while a save would change its value
};

// What a screen reader is told a control is, where the kind alone would tell it wrong: an image
// that works as a button, a caption that flips a page, a box that groups option buttons.
enum class Role {
  Native,  // what the kind's own widget is
  PushButton,
  Link,
  Grouping,
  Graphic,  // a picture that is only looked at
};

// Position and size in twips (15 twips make one pixel at 96 dpi), relative to the container.
struct Twips {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct FontSpec {
  std::string family = "MS Sans Serif";
  double points = 8.25;
  bool bold = true;
};

enum class Align { Left, Center };

// 0xRRGGBB
using Rgb = unsigned int;
inline constexpr Rgb kPanelBackground = 0xEFECDC;

class Control;
using Handler = std::function<void(Control&)>;

// One entry of a control's context menu: its caption (Windows-1252, as every model text) and
// what choosing it does.
struct MenuEntry {
  std::string caption;
  std::function<void()> choose;
};
using MenuProvider = std::function<std::vector<MenuEntry>()>;
// buttons: 1 left, 2 right, 4 middle, added together.
using MouseHandler = std::function<void(Control&, int buttons)>;
// Files or folders dropped on a control, as the system's UTF-8 paths.
using DropHandler = std::function<void(Control&, const std::vector<std::string>& paths)>;

// One control of the window. A single type carries every kind's properties so that the view and
// the logic can treat the tree uniformly; each kind uses its own subset:
//   check box      value() 0/1 (assigning a different value raises click), caption
//   option button  option_value() (choosing one clears its siblings in the same container), caption
//   combo box      text() (a different text raises change), list() (suggested items)
//   text box       text() (a different text raises change)
//   drive list     drive() (the chosen drive's text, beginning with its letter); change on a pick
//   label          caption (fixed), click
//   picture box    a container; hiding it hides everything inside it
//   image          picture (resource name), click
//   timer          enabled(), interval_ms
//   button         caption, click
//   warning sign   tooltip (what is wrong); visible() while there is something to warn of
//   change mark    tooltip (the value read); visible() while a save would store another
class Control {
 public:
  Control(Kind kind, std::string name, int index, Control* parent, Twips rect);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Kind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  // Index within a control array; -1 for a control that is not part of one.
  int index() const { return index_; }
  // "ch_global(3)" or "pic_video": for messages and tests.
  std::string display_name() const;
  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }

  const Twips& rect() const { return rect_; }

  // Own visibility, as set by the logic; a control is on screen only when it and every
  // container above it are visible (see shown()).
  bool visible() const { return visible_; }
  void set_visible(bool visible) { visible_ = visible; }
  bool shown() const;

  // Check box: 0 or 1. Assigning the other value raises exactly one click; assigning the value
  // it already has raises nothing.
  int value() const { return value_; }
  void set_value(int value);

  // Option button.
  bool option_value() const { return option_value_; }
  void set_option_value(bool value);

  // Caption of a label, check box or option button.
  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption) { caption_ = std::move(caption); }

  // Text of a combo box or text box, as Windows-1252 bytes. A text that differs from the current
  // one raises change, whoever sets it.
  const std::string& text() const { return text_; }
  void set_text(std::string text);

  // Suggested items of a combo box, drives of a drive list.
  const std::vector<std::string>& list() const { return list_; }
  void set_list(std::vector<std::string> items) { list_ = std::move(items); }
  // The item of the list that the combo's text (a drive list's drive) is, -1 for none: where
  // Down, Up and an opened list start from. Derived, never kept apart from the text.
  int current_item() const;

  // Drive list: the chosen drive's text. pick_drive is the user's choice and raises change
  // when it differs from the current drive.
  const std::string& drive() const { return drive_; }
  void pick_drive(std::string drive);
  // The drive shown before the user picks one; raises nothing.
  void set_drive(std::string drive) { drive_ = std::move(drive); }

  // Timer.
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled) { enabled_ = enabled; }
  int interval_ms() const { return interval_ms_; }
  void set_interval_ms(int ms) { interval_ms_ = ms; }

  // The user clicked the control (image, label) or the timer ticked: raises click.
  void click();

  // The mouse was pressed or moved over the control itself (not over a control inside it), with
  // these buttons held: raises mouse move.
  void mouse_move(int buttons);

  void on_click(Handler handler) { on_click_ = std::move(handler); }
  void on_change(Handler handler) { on_change_ = std::move(handler); }
  void on_mouse_move(MouseHandler handler) { on_mouse_move_ = std::move(handler); }
  // Whether anything listens to mouse moves: a front end forwards them only then.
  bool has_mouse_move() const { return static_cast<bool>(on_mouse_move_); }

  // Files or folders were dropped on the control: raises drop. Only a control with a drop
  // handler takes drops; a front end offers them to it alone.
  void drop(const std::vector<std::string>& paths);
  void on_drop(DropHandler handler) { on_drop_ = std::move(handler); }
  bool takes_drops() const { return static_cast<bool>(on_drop_); }

  // The entries a context menu of the control begins with, asked for each time the menu opens.
  void on_context_menu(MenuProvider provider) { on_context_menu_ = std::move(provider); }
  bool has_context_menu() const { return static_cast<bool>(on_context_menu_); }
  std::vector<MenuEntry> context_menu() const;

  // Presentation, fixed when the window is built.
  std::string tooltip;
  // The tooltip is the system's UTF-8 (a path, every character of which must show), not
  // Windows-1252 like the rest.
  bool tooltip_utf8 = false;
  // A tooltip per item of the list, the system's UTF-8 as well: a drive list's tooltip is where
  // the drive on show leads. Where the item on show has one, it is the tooltip.
  std::vector<std::string> item_tooltips;
  std::string picture;  // resource name of an image's or picture box's artwork
  bool hand_pointer = false;
  bool border = false;  // single-line border (picture boxes)
  FontSpec font;
  Align align = Align::Left;
  Rgb background = kPanelBackground;
  // For screen readers: the name (empty: the toolkit's own, the caption) and the longer
  // description, both Windows-1252 like every text here; and what the control is to them.
  std::string accessible_name;
  std::string description;
  bool description_utf8 = false;  // as tooltip_utf8: a text with characters Windows-1252 lacks
  Role role = Role::Native;
  // The labels that name the control, which a screen reader may also be pointed to.
  std::vector<const Control*> labelled_by;
  // An image or label the user works from the keyboard as well: it takes the focus, shows it,
  // and Enter or Space clicks it.
  bool activatable = false;

 private:
  friend class Form;

  Kind kind_;
  std::string name_;
  int index_;
  Control* parent_;
  std::vector<Control*> children_;
  Twips rect_;
  bool visible_ = true;
  int value_ = 0;
  bool option_value_ = false;
  bool enabled_ = false;
  int interval_ms_ = 0;
  std::string caption_;
  std::string text_;
  std::string drive_;
  std::vector<std::string> list_;
  Handler on_click_;
  Handler on_change_;
  MouseHandler on_mouse_move_;
  DropHandler on_drop_;
  MenuProvider on_context_menu_;
};

// The window's whole control tree. Owns every control; the root is the window itself, a
// picture box named "Form1".
class Form {
 public:
  Form();

  Control& root() { return *controls_.front(); }
  const Control& root() const { return *controls_.front(); }

  // Adds a control to `parent`. Names (with index for arrays) are unique; adding a duplicate is a
  // programming error and throws std::logic_error.
  Control& add(Kind kind, std::string name, Control& parent, Twips rect, int index = -1);

  // The control of that name (and index, for an array); nullptr when there is none.
  Control* find(std::string_view name, int index = -1);
  const Control* find(std::string_view name, int index = -1) const;
  // As find(), but a missing control is a programming error: throws std::logic_error.
  Control& at(std::string_view name, int index = -1);
  const Control& at(std::string_view name, int index = -1) const;

  // A container's children are drawn in order, later ones over earlier ones; this moves a control
  // to the top of its container.
  void bring_to_front(Control& control);

  // Whether a picture box drawn above `control` (a later sibling of it or of a container it is
  // in, such as a sub-page over its page) hides it whole. Picture boxes are opaque, so such a
  // control cannot be seen, clicked or reached while it is so.
  bool covered(const Control& control) const;
  // On screen: shown, and not covered. Only such a control is offered to the user, by mouse,
  // keyboard or screen reader.
  bool on_screen(const Control& control) const { return control.shown() && !covered(control); }

  // Every control in creation order (containers before their contents), the root first.
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

 private:
  std::vector<std::unique_ptr<Control>> controls_;
};

}  // namespace quorvane
