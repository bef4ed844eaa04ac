#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/controls.h"
#include "panels/bindings.h"
#include "panels/codecs.h"
#include "panels/registry.h"

namespace quorvane::layout {

// Labels of lblvideo_1 come in three looks; everything else on a page uses the window's font.
enum class LabelStyle {
  Caption,     // bold 8.25 pt
  Heading,     // a page's title, bold 9.75 pt
  Resolution,  // the "256:" prefixes beside the resolution boxes, bold 12 pt
};

// The window's own font, for check boxes, option buttons, combo boxes and text boxes.
FontSpec control_font();

// "1", "2", ... "last" (or descending when first > last), for the numeric combo lists.
std::vector<std::string> numbers(int first, int last);

// What a setting control shows: its row, and the labels over it, top to bottom, whose captions
// name it.
struct Setting {
  Row row;
  std::vector<std::reference_wrapper<Control>> labels;
};

// An option group being declared: its container, and the binding its buttons join.
struct OptionGroupDecl {
  Control& box;
  Binding& binding;
};

// Adds one page's controls to the page the shell created, keeping the conventions that every
// page shares in one place. A setting control is declared here once, with its row, its labels
// and its codec (which its kind implies, or which it is given); its binding comes from that.
class Page {
 public:
  // The panel's first page, or its sub-page, as its registry entry names them.
  enum class Which { First, SubPage };
  explicit Page(PanelSite site, Which which = Which::First);

  Control& page() { return page_; }

  Control& label(int index, std::string caption, Twips rect,
                 LabelStyle style = LabelStyle::Caption);
  // "More >>>" and the like: a caption the user clicks, with the hand pointer, that shows the
  // panel's sub-page or hides it again.
  Control& page_flip(int index, std::string caption, Twips rect, Flip direction);
  // The rule under the page's title.
  Control& rule(int index);

  // ch_global, "Enable" while checked and "Disable" while not, stored as "y" and "n".
  Control& global_switch(Setting setting, int index, int left, int top, bool checked);
  // ch_glolock: every box starts "Locked", which stores "n".
  Control& lock_switch(Setting setting, int index, int left, int top);

  // A combo whose text is stored as it stands.
  Control& combo(Setting setting, std::string name, Twips rect, std::string text,
                 std::vector<std::string> items);
  // A combo that shows a coded setting lists the texts of its code table.
  Control& coded_combo(Setting setting, std::string name, Twips rect, std::string text,
                       const codec::Coded& codes);
  Control& text_box(Setting setting, std::string name, Twips rect, std::string text = {},
                    int index = -1);
  // A text box that each pick in `drives` appends the drive's letter to.
  Control& drive_box(Setting setting, Control& drives, std::string name, Twips rect,
                     std::string text);
  // A text box for a path with its browse button right of it, made right after the box so that
  // Tab reaches it next. The button is named after the box: "cmd_" for its "txt_".
  Control& path_box(Setting setting, std::string name, PathKind kind, Twips rect);
  Control& drive_list(std::string name, Twips rect);

  // A borderless box that makes the option buttons declared into it a group of their own.
  OptionGroupDecl option_group(Setting setting, std::string name, Twips rect,
                               codec::OptionGroup codec);
  // Buttons stand in a column in their group, in the order declared; each stores `value`.
  Control& option(OptionGroupDecl& group, std::string name, int index, std::string caption,
                  std::string_view value, bool selected = false);

 private:
  Control& add(Kind kind, std::string name, Control& parent, Twips rect, int index = -1);
  Control& check_box(Setting setting, std::string name, const codec::Switch& codec, int index,
                     int left, int top, bool checked);
  Control& input(Kind kind, std::string name, Twips rect, std::string text, int index = -1);
  Binding& bind(Setting setting, Control& control, Codec codec);

  PanelSite site_;
  const PanelEntry& panel_;
  Control& page_;
};

}  // namespace quorvane::layout
