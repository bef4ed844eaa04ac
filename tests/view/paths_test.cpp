// Path boxes, whichever front end draws them: a path that leads nowhere is signed, and a file or
// folder dragged from a file manager goes into the box it is dropped on.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/files.h"
#include "view_suite.h"

namespace quorvane::testing {
namespace {

// The program as it is usually installed: on Linux in the emulator's folder inside a Wine prefix
// (whose drive c: a dropped file's path is written on), on Windows in any folder.
class PathBoxViewTest : public ::testing::Test {
 protected:
  TempFolder folder;
  fs::path root = fs::canonical(folder.path());
  fs::path drive_c = root / "drive_c";
  fs::path program = install();
  DrivenWindowSystem ws;
  MainWindow main{program.string(), ws};
  std::unique_ptr<ViewDriver> view;

  fs::path install() {
    fs::create_directories(drive_c / "Quorvane");
    fs::create_directories(drive_c / "Cards");
    write_bytes(drive_c / "Cards" / "card.pce", "");
#ifndef _WIN32
    fs::create_directories(root / "dosdevices");
    fs::create_symlink("../drive_c", root / "dosdevices" / "c:");
#endif
    return drive_c / "Quorvane";
  }
  // A path under drive_c as the box holds it once chosen: a drive path of the prefix under Wine,
  // the path itself on Windows.
  std::u16string in_box(const std::string& below_c) {
#ifdef _WIN32
    return utf16(files::join(drive_c.string(), below_c));
#else
    return utf16("C:\\" + below_c);
#endif
  }

  void SetUp() override {
    main.Form_Load();
    view = drive(main.form(), ws, main.view_events());
    view->click(at("imgpanel"));
    view->click(at("lblvideo_1", 51));
  }
  Control& at(std::string_view name, int index = -1) { return main.form().at(name, index); }
};

TEST_F(PathBoxViewTest, AFileOrFolderDroppedOnAPathBoxOrItsButtonGoesInAsChosen) {
  const std::string card = (drive_c / "Cards" / "card.pce").string();
  const Control& box = at("txt_panel_b_card1");
  const DragOver over = view->drag_over(box, {card});
  EXPECT_TRUE(over.taken);
  EXPECT_TRUE(over.cue_shown) << "the box shows it takes the drop";
  EXPECT_TRUE(over.cue_gone);
  EXPECT_TRUE(view->drag_over(at("cmd_panel_b_card1"), {card}).taken);
  EXPECT_FALSE(view->drag_over(at("txt_panel_list"), {card}).taken) << "not a path box";

  view->drop(box, {card});
  EXPECT_EQ(view->text(box), in_box("Cards\\card.pce"));
  view->drop(at("cmd_panel_b_card2"), {card});
  EXPECT_EQ(view->text(at("txt_panel_b_card2")), in_box("Cards\\card.pce"));
  view->drop(at("txt_panel_b_screen"), {(drive_c / "Cards").string()});
  EXPECT_EQ(view->text(at("txt_panel_b_screen")), in_box("Cards"));
  EXPECT_TRUE(ws.messages.empty());
  EXPECT_TRUE(ws.choices.empty());

  // A folder where a file is wanted is refused with the reason, and the box stays as it was.
  view->drop(at("txt_panel_b_card3"), {(drive_c / "Cards").string()});
  EXPECT_EQ(view->text(at("txt_panel_b_card3")), u"");
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("It is a folder, not a file."), std::string::npos)
      << ws.messages[0];
}

TEST_F(PathBoxViewTest, APathThatLeadsNowhereShowsASignThatNamesItAndIsRead) {
  const Control& box = at("txt_panel_b_card1");
  const Control& sign = at("warn_txt_panel_b_card1");
  EXPECT_FALSE(view->visible(sign)) << "an empty box";
  view->retype(box, in_box("Cards\\gone.pce"));
  ASSERT_TRUE(view->visible(sign));
  EXPECT_EQ(view->text(box), in_box("Cards\\gone.pce")) << "marked, never changed";
  const std::u16string tip = view->tooltip(sign);
  EXPECT_EQ(tip.substr(0, tip.find(u'\n')),
            u"Not found: " + utf16((drive_c / "Cards" / "gone.pce").string()));
  const ScreenReading read = view->read(sign);
  EXPECT_EQ(read.role, Role::Graphic);
  EXPECT_EQ(read.name, tip);
  // Right of the box's button, on the page.
  EXPECT_GE(view->geometry(sign).x, view->geometry(at("cmd_panel_b_card1")).right());

  view->retype(box, in_box("Cards\\card.pce"));
  EXPECT_FALSE(view->visible(sign));
  view->retype(at("txt_panel_b_saved"), in_box("Cards\\card.pce"));
  EXPECT_TRUE(view->visible(at("warn_txt_panel_b_saved"))) << "a file where a folder is wanted";
}

}  // namespace
}  // namespace quorvane::testing
