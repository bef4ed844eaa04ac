#include "shell/drive_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/form_layout.h"

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
      {'c', "/prefix/drive_c", "c: -> /prefix/drive_c"},
      {'d', "/media/cd", "d: -> /media/cd"},
      {'z', "/", "z: -> /"},
  };
  fill_drive_lists(form, drives, "/prefix/drive_c/Quorvane", marked);

  const std::vector<Control*> lists = drive_lists(form);
  ASSERT_EQ(lists.size(), 2u);
  for (const Control* list : lists) {
    EXPECT_EQ(list->list(), (std::vector<std::string>{"<c: -> /prefix/drive_c>",
                                                      "<d: -> /media/cd>", "<z: -> />"}));
    // z: holds everything under Wine, but c: is the drive the folder is on.
    EXPECT_EQ(list->drive(), "<c: -> /prefix/drive_c>") << list->display_name();
    EXPECT_TRUE(list->tooltip.empty());
  }

  // A folder that no drive holds starts at the first drive.
  Form elsewhere;
  Declarations elsewhere_declared;
  build_form1(elsewhere, elsewhere_declared);
  fill_drive_lists(elsewhere, {drives[1]}, "/home/user/emulator", marked);
  for (const Control* list : drive_lists(elsewhere)) EXPECT_EQ(list->drive(), "<d: -> /media/cd>");
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
