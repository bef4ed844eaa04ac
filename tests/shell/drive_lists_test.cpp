#include "shell/drive_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/form_layout.h"
#include "shell/view_core.h"

namespace quorvane {
namespace {

std::vector<Control*> drive_lists(Form& form) {
  std::vector<Control*> lists;
  for (const auto& c : form.controls()) {
    if (c->kind() == Kind::DriveList) lists.push_back(c.get());
  }
  return lists;
}

// Stands in for a front end's converter, and shows that every text passes through it.
std::string marked(std::string_view utf8) { return "<" + std::string(utf8) + ">"; }

TEST(DriveLists, EveryListOffersTheDrivesAtTheOneHoldingTheProgram) {
  Form form;
  Declarations declared;
  build_form1(form, declared);
  const std::vector<DriveEntry> drives = {
      {'c', "/prefix/drive_c", "c: [Local Disk]"},
      {'d', "/media/cd", "d: [CD-ROM]"},
      {'z', "/", "z: [Local Disk]"},
  };
  fill_drive_lists(form, drives, "/prefix/drive_c/Quorvane", marked);

  const std::vector<Control*> lists = drive_lists(form);
  ASSERT_EQ(lists.size(), 2u);
  for (const Control* list : lists) {
    EXPECT_EQ(list->list(), (std::vector<std::string>{"<c: [Local Disk]>", "<d: [CD-ROM]>",
                                                      "<z: [Local Disk]>"}));
    // z: holds everything under Wine, but c: is the drive the folder is on.
    EXPECT_EQ(list->drive(), "<c: [Local Disk]>") << list->display_name();
    EXPECT_TRUE(list->tooltip.empty());
  }

  // The list shows the drive's kind; its tooltip is the whole folder the drive on show leads to,
  // and follows a pick.
  Control& list = *lists[0];
  EXPECT_EQ(ViewCore::tooltip_text(list), u"/prefix/drive_c");
  list.pick_drive(list.list()[1]);
  EXPECT_EQ(ViewCore::tooltip_text(list), u"/media/cd");

  // A folder that no drive holds starts at the first drive.
  Form elsewhere;
  Declarations elsewhere_declared;
  build_form1(elsewhere, elsewhere_declared);
  fill_drive_lists(elsewhere, {drives[1]}, "/home/user/emulator", marked);
  for (const Control* list : drive_lists(elsewhere)) EXPECT_EQ(list->drive(), "<d: [CD-ROM]>");
}

TEST(DriveLists, NoDrivesLeaveTheListsEmptyWithTheReason) {
  Form form;
  Declarations declared;
  build_form1(form, declared);
  fill_drive_lists(form, {}, "/anywhere", marked);
  for (const Control* list : drive_lists(form)) {
    EXPECT_TRUE(list->list().empty());
    EXPECT_EQ(list->drive(), "");
    EXPECT_EQ(list->tooltip, marked(no_drives_reason()));
    EXPECT_FALSE(list->tooltip.empty());
  }
}

}  // namespace
}  // namespace quorvane
