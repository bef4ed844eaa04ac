#include "panels/layout.h"

namespace quorvane::layout {

namespace {

constexpr int kCheckWidth = 975;
constexpr int kCheckHeight = 255;
constexpr int kOptionWidth = 1095;
constexpr int kOptionHeight = 255;
constexpr int kOptionPitch = 240;

FontSpec label_font(LabelStyle style) {
  FontSpec font;  // bold MS Sans Serif 8.25
  if (style == LabelStyle::Heading) font.points = 9.75;
  if (style == LabelStyle::Resolution) font.points = 12;
  return font;
}

}  // namespace

FontSpec control_font() {
  FontSpec font;
  font.bold = false;
  return font;
}

std::vector<std::string> numbers(int first, int last) {
  std::vector<std::string> items;
  const int step = first <= last ? 1 : -1;
  for (int n = first;; n += step) {
    items.push_back(std::to_string(n));
    if (n == last) break;
  }
  return items;
}

Page::Page(Form& form, std::string_view page_name) : form_(form), page_(form.at(page_name)) {}

Control& Page::add(Kind kind, std::string name, Control& parent, Twips rect, int index) {
  return form_.add(kind, std::move(name), parent, rect, index);
}

Control& Page::label(int index, std::string caption, Twips rect, LabelStyle style) {
  Control& c = add(Kind::Label, "lblvideo_1", page_, rect, index);
  c.set_caption(std::move(caption));
  c.font = label_font(style);
  if (style == LabelStyle::PageFlip) {
    c.hand_pointer = true;
    c.activatable = true;
    c.role = Role::PushButton;
  }
  return c;
}

Control& Page::rule(int index) {
  // From (120, 240) to (6000, 240).
  return add(Kind::Line, "linea", page_, Twips{120, 240, 5880, 0}, index);
}

Control& Page::check_box(std::string name, int index, int left, int top, bool checked,
                         std::string caption) {
  Control& c = add(Kind::CheckBox, std::move(name), page_,
                   Twips{left, top, kCheckWidth, kCheckHeight}, index);
  // No click handler is wired yet, so this only sets the starting state.
  c.set_value(checked ? 1 : 0);
  c.set_caption(std::move(caption));
  c.font = control_font();
  return c;
}

Control& Page::global_switch(int index, int left, int top, bool checked) {
  return check_box(std::string(kGlobalSwitches), index, left, top, checked,
                   std::string(codec::kSwitch.caption(checked ? 1 : 0)));
}

Control& Page::lock_switch(int index, int left, int top) {
  return check_box(std::string(kLockSwitches), index, left, top, true,
                   std::string(codec::kLockSwitch.caption(1)));
}

Control& Page::combo(std::string name, Twips rect, std::string text,
                     std::vector<std::string> items) {
  Control& c = add(Kind::ComboBox, std::move(name), page_, rect);
  c.set_list(std::move(items));
  c.set_text(std::move(text));
  c.font = control_font();
  return c;
}

Control& Page::coded_combo(std::string name, Twips rect, std::string text,
                           const codec::Coded& codes) {
  return combo(std::move(name), rect, std::move(text), codes.texts());
}

Control& Page::text_box(std::string name, Twips rect, std::string text, int index) {
  Control& c = add(Kind::TextBox, std::move(name), page_, rect, index);
  c.set_text(std::move(text));
  c.font = control_font();
  return c;
}

Control& Page::drive_list(std::string name, Twips rect) {
  Control& c = add(Kind::DriveList, std::move(name), page_, rect);
  c.font = control_font();
  return c;
}

Control& Page::path_box(const BrowseLink& link, Twips rect) {
  Control& box = text_box(std::string(link.text_box), rect);
  // Just clear of the box, as tall as it is; the pages leave room for it on the right.
  constexpr int kGap = 30;
  constexpr int kButtonWidth = 300;
  Control& button = add(Kind::Button, browse_button_name(link), page_,
                        Twips{rect.left + rect.width + kGap, rect.top, kButtonWidth, rect.height});
  button.set_caption("\x85");  // the ellipsis "..." as one Windows-1252 character
  button.font = control_font();
  return box;
}

Control& Page::option_group(std::string name, Twips rect) {
  Control& c = add(Kind::PictureBox, std::move(name), page_, rect);
  c.border = false;
  return c;
}

Control& Page::option(Control& group, std::string name, int index, std::string caption, int slot,
                      bool selected) {
  Control& c = add(Kind::OptionButton, std::move(name), group,
                   Twips{0, slot * kOptionPitch, kOptionWidth, kOptionHeight}, index);
  c.set_caption(std::move(caption));
  c.font = control_font();
  if (selected) c.set_option_value(true);
  return c;
}

}  // namespace quorvane::layout
