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

Page::Page(PanelSite site, Which which)
    : site_(site),
      panel_(*find_panel(site.panel)),
      page_(site.form.at(which == Which::First ? panel_.page : panel_.sub_page)) {}

Control& Page::add(Kind kind, std::string name, Control& parent, Twips rect, int index) {
  return site_.form.add(kind, std::move(name), parent, rect, index);
}

Binding& Page::bind(Setting setting, Control& control, Codec codec) {
  Binding binding{};
  binding.row = setting.row;
  binding.panel = site_.panel;
  binding.control = &control;
  binding.codec = std::move(codec);
  binding.labels = std::move(setting.labels);
  return site_.declared.bind(std::move(binding));
}

Control& Page::label(int index, std::string caption, Twips rect, LabelStyle style) {
  Control& c = add(Kind::Label, "lblvideo_1", page_, rect, index);
  c.set_caption(std::move(caption));
  c.font = label_font(style);
  return c;
}

Control& Page::page_flip(int index, std::string caption, Twips rect, Flip direction) {
  Control& c = label(index, std::move(caption), rect);
  c.hand_pointer = true;
  c.activatable = true;
  c.role = Role::PushButton;
  Control& sub_page = site_.form.at(panel_.sub_page);
  site_.declared.flip(PageFlip{site_.panel, &c, &sub_page, direction});
  return c;
}

Control& Page::rule(int index) {
  // From (120, 240) to (6000, 240).
  return add(Kind::Line, "linea", page_, Twips{120, 240, 5880, 0}, index);
}

Control& Page::check_box(Setting setting, std::string name, const codec::Switch& codec, int index,
                         int left, int top, bool checked) {
  Control& c = add(Kind::CheckBox, std::move(name), page_,
                   Twips{left, top, kCheckWidth, kCheckHeight}, index);
  // No click handler is wired yet, so this only sets the starting state.
  c.set_value(checked ? 1 : 0);
  c.set_caption(std::string(codec.caption(c.value())));
  c.font = control_font();
  bind(std::move(setting), c, codec);
  return c;
}

Control& Page::global_switch(Setting setting, int index, int left, int top, bool checked) {
  return check_box(std::move(setting), "ch_global", codec::kSwitch, index, left, top, checked);
}

Control& Page::lock_switch(Setting setting, int index, int left, int top) {
  return check_box(std::move(setting), "ch_glolock", codec::kLockSwitch, index, left, top, true);
}

Control& Page::input(Kind kind, std::string name, Twips rect, std::string text, int index) {
  Control& c = add(kind, std::move(name), page_, rect, index);
  c.set_text(std::move(text));
  c.font = control_font();
  return c;
}

Control& Page::combo(Setting setting, std::string name, Twips rect, std::string text,
                     std::vector<std::string> items) {
  Control& c = input(Kind::ComboBox, std::move(name), rect, std::move(text));
  c.set_list(std::move(items));
  bind(std::move(setting), c, codec::Text{});
  return c;
}

Control& Page::coded_combo(Setting setting, std::string name, Twips rect, std::string text,
                           const codec::Coded& codes) {
  Control& c = input(Kind::ComboBox, std::move(name), rect, std::move(text));
  c.set_list(codes.texts());
  bind(std::move(setting), c, codes);
  return c;
}

Control& Page::text_box(Setting setting, std::string name, Twips rect, std::string text,
                        int index) {
  Control& c = input(Kind::TextBox, std::move(name), rect, std::move(text), index);
  bind(std::move(setting), c, codec::Text{});
  return c;
}

Control& Page::drive_box(Setting setting, Control& drives, std::string name, Twips rect,
                         std::string text) {
  Control& c = input(Kind::TextBox, std::move(name), rect, std::move(text));
  bind(std::move(setting), c, codec::Text{}).drive_list = &drives;
  return c;
}

Control& Page::drive_list(std::string name, Twips rect) {
  Control& c = add(Kind::DriveList, std::move(name), page_, rect);
  c.font = control_font();
  return c;
}

Control& Page::path_box(Setting setting, std::string name, PathKind kind, Twips rect) {
  std::string button_name = "cmd_" + (name.starts_with("txt_") ? name.substr(4) : name);
  Control& box = input(Kind::TextBox, std::move(name), rect, {});
  // Just clear of the box, as tall as it is; the pages leave room for it on the right.
  constexpr int kGap = 30;
  constexpr int kButtonWidth = 300;
  Control& button = add(Kind::Button, std::move(button_name), page_,
                        Twips{rect.left + rect.width + kGap, rect.top, kButtonWidth, rect.height});
  button.set_caption("\x85");  // the ellipsis "..." as one Windows-1252 character
  button.font = control_font();
  Binding& binding = bind(std::move(setting), box, codec::Text{});
  binding.browse_button = &button;
  binding.path_kind = kind;
  return box;
}

OptionGroupDecl Page::option_group(Setting setting, std::string name, Twips rect,
                                   codec::OptionGroup codec) {
  Control& c = add(Kind::PictureBox, std::move(name), page_, rect);
  c.border = false;
  return OptionGroupDecl{c, bind(std::move(setting), c, std::move(codec))};
}

Control& Page::option(OptionGroupDecl& group, std::string name, int index, std::string caption,
                      std::string_view value, bool selected) {
  const int slot = static_cast<int>(group.box.children().size());
  Control& c = add(Kind::OptionButton, std::move(name), group.box,
                   Twips{0, slot * kOptionPitch, kOptionWidth, kOptionHeight}, index);
  c.set_caption(std::move(caption));
  c.font = control_font();
  if (selected) c.set_option_value(true);
  group.binding.buttons.push_back(&c);
  std::get<codec::OptionGroup>(group.binding.codec).values.push_back(value);
  return c;
}

}  // namespace quorvane::layout
