#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "model/controls.h"
#include "panels/codecs.h"
#include "panels/registry.h"

namespace quorvane::layout {

// The names of the two check-box arrays whose captions follow their state.
inline constexpr std::string_view kGlobalSwitches = "ch_global";
inline constexpr std::string_view kLockSwitches = "ch_glolock";

// Labels of lblvideo_1 come in four looks; everything else on a page uses the window's font.
enum class LabelStyle {
  Caption,     // bold 8.25 pt
  Heading,     // a page's title, bold 9.75 pt
  Resolution,  // the "256:" prefixes beside the resolution boxes, bold 12 pt
  PageFlip,    // "More >>>" and the like: a caption the user clicks, with the hand pointer
};

// The window's own font, for check boxes, option buttons, combo boxes and text boxes.
FontSpec control_font();

// "1", "2", ... "last" (or descending when first > last), for the numeric combo lists.
std::vector<std::string> numbers(int first, int last);

// Adds one page's controls to the page the shell created, keeping the conventions that every
// page shares in one place.
class Page {
 public:
  Page(Form& form, std::string_view page_name);

  Control& page() { return page_; }

  Control& label(int index, std::string caption, Twips rect,
                 LabelStyle style = LabelStyle::Caption);
  // The rule under the page's title.
  Control& rule(int index);

  // ch_global: "Enable" while checked, "Disable" while not.
  Control& global_switch(int index, int left, int top, bool checked);
  // ch_glolock: every box starts locked.
  Control& lock_switch(int index, int left, int top);

  Control& combo(std::string name, Twips rect, std::string text, std::vector<std::string> items);
  // A combo that shows a coded setting lists the texts of its code table.
  Control& coded_combo(std::string name, Twips rect, std::string text, const codec::Coded& codes);
  Control& text_box(std::string name, Twips rect, std::string text = {}, int index = -1);
  Control& drive_list(std::string name, Twips rect);
  // A text box for a path with its browse button right of it, made right after the box so that
  // Tab reaches it next.
  Control& path_box(const BrowseLink& link, Twips rect);

  // A borderless box that makes its option buttons a group of their own.
  Control& option_group(std::string name, Twips rect);
  // Buttons stand in a column in their group, `slot` 0 at the top.
  Control& option(Control& group, std::string name, int index, std::string caption, int slot,
                  bool selected);

 private:
  Control& add(Kind kind, std::string name, Control& parent, Twips rect, int index = -1);
  Control& check_box(std::string name, int index, int left, int top, bool checked,
                     std::string caption);

  Form& form_;
  Control& page_;
};

}  // namespace quorvane::layout
