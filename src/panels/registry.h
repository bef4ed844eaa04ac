#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/controls.h"
#include "panels/bindings.h"

namespace quorvane {

// A page-flip label of lblvideo_1: clicking it shows or hides its panel's sub-page. It collects
// nothing.
struct PageFlip {
  int label;
  bool shows_sub_page;
};

// A drive list whose pick appends the drive's letter to a text box.
struct DriveLink {
  std::string_view drive_list;
  std::string_view text_box;
};

// A path box with a small "..." button beside it that lets the user browse for the path.
enum class PathKind { File, Folder };
struct BrowseLink {
  std::string_view text_box;  // "txt_panel_b_card1"
  PathKind kind;
};

// The button's name: the box's, with "cmd_" for its "txt_" ("cmd_panel_b_card1").
std::string browse_button_name(const BrowseLink& link);

// An image in the row along the top of the window.
struct NavImage {
  std::string_view name;
  int left;  // twips
  std::string_view tooltip;
  std::string_view picture;
};

// Everything the window knows of one page: the shell builds, shows, hides, collects and wires a
// panel only through its entry here.
struct PanelEntry {
  int number;                         // 0 emulation ... 5 CD-ROM, 6 the intro
  std::string_view page;              // "pic_video"
  std::string_view sub_page;          // "pic_video_tv", or empty
  Twips sub_page_rect;                // where the sub-page lies on the page
  NavImage nav;                       // the image that shows the panel
  std::span<const Binding> bindings;  // ascending rows: the order its collect procedure writes
  void (*build)(Form& form);          // adds the page's controls to the pages the shell made
  std::span<const PageFlip> flips;
  std::span<const DriveLink> drive_links;
  std::span<const BrowseLink> browse_links;
};

// The seven pages in the order their boxes stack in the window (the intro first).
std::span<const PanelEntry> panel_registry();

// The entry of panel `number`; nullptr for 99 (none chosen yet) or any other number.
const PanelEntry* find_panel(int number);

// Every panel's bindings merged in ascending row order: the order in which fill_controls runs.
std::span<const Binding> all_bindings();

// Copies the 62 setting rows into their controls, in ascending row order.
void fill_controls(Form& form, const SettingsTable& table);

// The panel's controls (both pages where it has two) back into the table.
void collect_panel_rows(const Form& form, const PanelEntry& panel, SettingsTable& table);

// A drive list's change handler: appends the chosen drive's letter, upper-cased, to the text box.
// Drive texts start with the letter, as in "c:" or "d: [DATA]"; an empty drive text (nothing
// chosen, or no drives at all) adds nothing.
void drive_link_Change(Form& form, const DriveLink& link);

}  // namespace quorvane
