#pragma once

#include <span>
#include <string_view>

#include "model/controls.h"
#include "panels/bindings.h"

namespace quorvane {

// The addresses the three intro images open.
namespace links {
inline constexpr const char* kEmulatorSite = "https://quorvane.example/";
inline constexpr const char* kDeveloperSite = "https://quorvane-team.example/";
inline constexpr const char* kCommunitySite = "https://pc-engine-fans.example/";
}  // namespace links

// An image in the row along the top of the window.
struct NavImage {
  std::string_view name;
  int left;  // twips
  std::string_view tooltip;
  std::string_view picture;
};

// An image of the intro page that opens an address in the browser.
struct IntroLink {
  std::string_view image;
  std::string_view picture;
  Twips rect;
  std::string_view url;
};

// Where a panel's build function puts what it declares.
struct PanelSite {
  Form& form;
  Declarations& declared;
  int panel;
};

// Everything the window knows of one page: the shell builds, shows, hides, collects and wires a
// panel only through its entry here and what its build function declared.
struct PanelEntry {
  int number;                 // 0 emulation ... 5 CD-ROM, 6 the intro
  std::string_view page;      // "pic_video"
  std::string_view sub_page;  // "pic_video_tv", or empty
  Twips sub_page_rect;        // where the sub-page lies on the page
  NavImage nav;               // the image that shows the panel
  void (*build)(PanelSite);   // adds the page's controls to the pages the shell made
  std::span<const IntroLink> links;
};

// The seven pages in the order their boxes stack in the window (the intro first).
std::span<const PanelEntry> panel_registry();

// The entry of panel `number`; nullptr for 99 (none chosen yet) or any other number.
const PanelEntry* find_panel(int number);

}  // namespace quorvane
