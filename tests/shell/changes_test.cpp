// What the window shows of the changes a save would write before it writes them: the marks beside
// changed settings, the list on Save & Quit, and restoring a whole page.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_window_system.h"
#include "settings/config_changes.h"
#include "shell/main_window.h"
#include "shell/view_core.h"
#include "test_support.h"

namespace quorvane {
namespace {

using testing::default_file;
using testing::RecordingWindowSystem;
using testing::TempFolder;
using testing::with_line;

class ChangesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  RecordingWindowSystem<> ws;
  std::unique_ptr<MainWindow> main;
  std::unique_ptr<ViewCore> core;
  std::string read;

  // Starts on `file`, with every event going through the view core, as in both front ends.
  void start(const std::string& file) {
    read = file;
    folder.write("VOZ.INI", file);
    main = std::make_unique<MainWindow>(folder.str(), ws);
    main->Form_Load();
    core = std::make_unique<ViewCore>(main->form(), ws, main->view_events());
  }
  Control& at(const char* name, int index = -1) { return main->form().at(name, index); }
  const Binding& bound(Row row) { return main->declared().binding_for(row); }
  bool marked(Row row) { return bound(row).change_mark->visible(); }
  const std::string& save_list() { return at("imgsave").description; }
  void choose(Control& c, std::size_t entry) {
    ASSERT_TRUE(core->open_menu(c, false).has_value());
    core->menu_chosen(c, entry);
  }
};

TEST_F(ChangesTest, AMarkShowsWhileASaveWouldStoreAnotherValueThanTheOneRead) {
  start(with_line(default_file(), "scanlines=3", "scanlines=20"));
  // Nothing on show: a save writes the rows as read.
  for (const Binding* b : main->declared().bindings()) {
    EXPECT_FALSE(b->change_mark->visible()) << b->control->display_name();
  }
  EXPECT_EQ(save_list(), "Saving leaves VOZ.INI as it is.");
  EXPECT_EQ(at("imgsave").accessible_name, "Save & Quit");

  // A visit normalises what the page cannot show; saving now would store that, so it is marked,
  // while the table itself stays as read until the page is left.
  core->activated(at("picpantalla"), false);
  EXPECT_TRUE(marked(row::windowed)) << "empty becomes n";
  EXPECT_TRUE(marked(row::scanlines)) << "20 becomes empty, on the sub-page too";
  EXPECT_FALSE(marked(row::vsync));
  EXPECT_EQ(main->table().value(row::windowed), "");
  const Control& group = *bound(row::windowed).control;
  EXPECT_TRUE(group.description.starts_with("Changed: VOZ.INI held an empty value (Fullscreen)."))
      << group.description;
  EXPECT_EQ(bound(row::windowed).change_mark->tooltip,
            "Changed: VOZ.INI held an empty value (Fullscreen).");
  EXPECT_EQ(bound(row::windowed).buttons[0]->description, group.description);
  EXPECT_NE(group.description.find("[video] windowed="), std::string::npos) << "then the help";

  // The player's own change, and back: the mark goes, and the help stands alone again.
  Control& vsync = at("ch_global", 0);
  core->check_box_clicked(vsync, true);
  EXPECT_TRUE(marked(row::vsync));
  EXPECT_TRUE(vsync.description.starts_with("Changed: VOZ.INI held n (Disable).\n\n"));
  core->check_box_clicked(vsync, false);
  EXPECT_FALSE(marked(row::vsync));
  EXPECT_FALSE(vsync.description.starts_with("Changed"));
  core->check_box_clicked(vsync, true);
  choose(vsync, 1);  // the value read from VOZ.INI
  EXPECT_FALSE(marked(row::vsync));

  // Leaving the page keeps what it collected: still marked, from the table now.
  core->activated(at("imgsonido"), false);
  EXPECT_EQ(main->table().value(row::windowed), "n");
  EXPECT_TRUE(marked(row::windowed));
  EXPECT_FALSE(marked(row::frequency));
  core->text_edited(at("com_sound_fre"), u"22050", 5);
  EXPECT_TRUE(marked(row::frequency));
  EXPECT_EQ(bound(row::frequency).change_mark->accessible_name, "Changed: VOZ.INI held 44100.");
}

TEST_F(ChangesTest, SaveAndQuitListsExactlyWhatTheSaveThenWrites) {
  // A player's comment and an unknown key, which the regeneration drops.
  start(with_line(with_line(default_file(), "vsync=n", "vsync=n\r\nturbo=y"), "frequency=44100",
                  "; mine\r\nfrequency=44100"));
  EXPECT_EQ(save_list(),
            "Saving changes VOZ.INI:\n"
            "Drops 1 comment or blank line of the file's own\n"
            "Drops 1 line of an unknown key or section");
  core->activated(at("imgsonido"), false);
  core->text_edited(at("com_sound_fre"), u"22050", 5);
  core->check_box_clicked(at("ch_global", 14), false);  // sound off
  const std::string listed = save_list();
  EXPECT_EQ(listed,
            "Saving changes VOZ.INI:\n"
            "[sound] sound: y \u2192 n\n"
            "[sound] frequency: 44100 \u2192 22050\n"
            "Drops 1 comment or blank line of the file's own\n"
            "Drops 1 line of an unknown key or section");
  EXPECT_EQ(at("imgsave").tooltip, "Save & Quit\n\n" + listed);
  EXPECT_TRUE(at("imgsave").tooltip_utf8 && at("imgsave").description_utf8);
  EXPECT_EQ(main->table().value(row::frequency), "44100") << "looking collected nothing";

  core->activated(at("imgsave"), false);
  const std::string written = folder.read("VOZ.INI");
  EXPECT_NE(written, read);
  EXPECT_EQ(describe_changes(compare_config(read, false, written)), listed)
      << "the list told what the file now holds";
}

TEST_F(ChangesTest, APageIsRestoredWholeFromAnyOfItsSettingsAndTheOtherPageIsLeft) {
  start(with_line(with_line(default_file(), "vsync=n", "vsync=y"), "wide=n", "wide=y"));
  core->activated(at("picpantalla"), false);
  Control& vsync = at("ch_global", 0);
  Control& filtering = at("ch_global", 2);
  Control& wide = at("ch_global", 6);  // on the TV sub-page
  core->check_box_clicked(vsync, false);
  core->check_box_clicked(filtering, true);
  core->check_box_clicked(wide, false);

  const std::optional<ViewMenu> menu = core->open_menu(filtering, false);
  ASSERT_TRUE(menu.has_value());
  ASSERT_EQ(menu->entries.size(), 4u);
  EXPECT_EQ(menu->entries[2], u"Restore this page's defaults");
  EXPECT_EQ(menu->entries[3], u"Restore this page's values read from VOZ.INI");
  core->menu_chosen(filtering, 3);
  EXPECT_EQ(vsync.value(), 1) << "y, as read";
  EXPECT_EQ(vsync.caption(), "Enable") << "filled as start-up fills it";
  EXPECT_EQ(filtering.value(), 0);
  EXPECT_EQ(wide.value(), 0) << "the sub-page is another page";
  EXPECT_FALSE(marked(row::vsync));
  EXPECT_TRUE(marked(row::wide));

  choose(wide, 2);  // the sub-page's defaults
  EXPECT_EQ(wide.value(), 0);
  EXPECT_EQ(at("com_video_tvscal").text(), "25%");
  EXPECT_EQ(vsync.value(), 1) << "the first page is left as it was";
  choose(wide, 3);
  EXPECT_EQ(wide.value(), 1);
  EXPECT_FALSE(marked(row::wide));
}

TEST(ViewCoreChanges, WhatTheWindowDerivesIsBroughtInLineAfterTheEventAndBeforeTheWidgets) {
  Form form;
  Control& box = form.add(Kind::CheckBox, "box", form.root(), {});
  RecordingWindowSystem<> ws;
  std::vector<std::string> steps;
  box.on_click([&steps](Control&) { steps.push_back("click"); });
  ViewCore core(form, ws, ViewEvents{{}, [&steps] { steps.push_back("changed"); }});
  core.on_sync([&steps] { steps.push_back("sync"); });
  core.check_box_clicked(box, true);
  EXPECT_EQ(steps, (std::vector<std::string>{"click", "changed", "sync"}));
}

}  // namespace
}  // namespace quorvane
