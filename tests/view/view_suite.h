#pragma once

// The window, started from an empty folder, shown by the front end under test through its
// driver, with the real window system beneath a recording one.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "recording_window_system.h"
#include "shell/main_window.h"
#include "test_support.h"
#include "view_driver.h"

namespace quorvane::testing {

// The real window system, except for what would leave the test or wait for a person: message
// boxes and questions are recorded instead of shown, links are not followed (as when no browser
// is set up), choosers answer at once, and a drag is counted instead of handed to the system.
struct DrivenWindowSystem : RecordingWindowSystem<NativeWindowSystem> {
  DrivenWindowSystem() {
    opacity_supported = false;
    url_opens = false;
  }
};

// Windows-1252 bytes, as the model holds them, as the characters they stand for.
std::u16string shown(std::string_view bytes);
// UTF-8 (a path, a literal) as UTF-16.
std::u16string utf16(std::string_view utf8);

// A menu entry as the menus draw it, from its text with "&" marks.
std::u16string drawn_entry(std::u16string_view text, bool* mnemonic = nullptr);

inline bool contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

class ViewTest : public ::testing::Test {
 protected:
  TempFolder folder;
  DrivenWindowSystem ws;
  MainWindow main{folder.str(), ws};
  std::unique_ptr<ViewDriver> view;

  void SetUp() override {
    main.Form_Load();
    view = drive(main.form(), ws, main.view_events());
  }

  Control& at(std::string_view name, int index = -1) { return main.form().at(name, index); }
  void click(std::string_view name, int index = -1) { view->click(at(name, index)); }
  // Puts the keyboard in `c` and presses `keys` there, one after the other.
  void press_in(const Control& c, std::initializer_list<Key> keys) {
    view->focus(c);
    for (Key key : keys) view->key(key);
  }
  // A message or question "stays open" for `ms`: the window's events run meanwhile, as they do
  // in a real message box's own event loop.
  void keep_messages_open(int ms) {
    ws.while_open = [this, ms] { view->wait(ms); };
  }
};

}  // namespace quorvane::testing
