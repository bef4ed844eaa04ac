#include "model/controls.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace quorvane {
namespace {

TEST(CheckBox, RaisesOneClickPerRealChangeOnly) {
  Form form;
  Control& box = form.add(Kind::CheckBox, "ch_global", form.root(), Twips{}, 3);
  int clicks = 0;
  int value_seen = -1;
  box.on_click([&](Control& c) {
    ++clicks;
    value_seen = c.value();
  });

  box.set_value(0);  // already 0
  EXPECT_EQ(clicks, 0);
  box.set_value(1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(value_seen, 1);  // the handler sees the new value, as the caption rule needs
  box.set_value(1);
  EXPECT_EQ(clicks, 1);
  box.set_value(0);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(value_seen, 0);
}

TEST(OptionButtons, AreExclusiveWithinTheirOwnContainerOnly) {
  Form form;
  Control& group_a = form.add(Kind::PictureBox, "group_a", form.root(), Twips{});
  Control& group_b = form.add(Kind::PictureBox, "group_b", form.root(), Twips{});
  Control& a0 = form.add(Kind::OptionButton, "op", group_a, Twips{}, 0);
  Control& a1 = form.add(Kind::OptionButton, "op", group_a, Twips{}, 1);
  Control& b0 = form.add(Kind::OptionButton, "op", group_b, Twips{}, 2);
  Control& check = form.add(Kind::CheckBox, "ch", group_a, Twips{});
  check.set_value(1);

  a0.set_option_value(true);
  b0.set_option_value(true);
  EXPECT_TRUE(a0.option_value());
  EXPECT_TRUE(b0.option_value());

  a1.set_option_value(true);
  EXPECT_FALSE(a0.option_value());
  EXPECT_TRUE(a1.option_value());
  EXPECT_TRUE(b0.option_value()) << "another container's choice must stay";
  EXPECT_EQ(check.value(), 1) << "only option buttons are cleared";

  a1.set_option_value(false);  // clearing one leaves the group with none chosen
  EXPECT_FALSE(a0.option_value());
  EXPECT_FALSE(a1.option_value());
}

TEST(Containers, HidingHidesContentsButKeepsTheirStateAndOwnVisibility) {
  Form form;
  Control& panel = form.add(Kind::PictureBox, "panel", form.root(), Twips{});
  Control& page = form.add(Kind::PictureBox, "page", panel, Twips{});
  Control& text = form.add(Kind::TextBox, "txt", page, Twips{});
  text.set_text("C:\\games");

  panel.set_visible(false);
  EXPECT_FALSE(text.shown());
  EXPECT_TRUE(text.visible());
  EXPECT_EQ(text.text(), "C:\\games");

  panel.set_visible(true);
  page.set_visible(false);
  EXPECT_TRUE(panel.shown());
  EXPECT_FALSE(text.shown());
  page.set_visible(true);
  EXPECT_TRUE(text.shown());
}

TEST(DriveList, RaisesChangeOnlyWhenADifferentDriveIsPicked) {
  Form form;
  Control& drives = form.add(Kind::DriveList, "dr", form.root(), Twips{});
  int changes = 0;
  drives.on_change([&](Control&) { ++changes; });
  drives.pick_drive("c: -> /root/.wine/drive_c");
  drives.pick_drive("c: -> /root/.wine/drive_c");
  EXPECT_EQ(changes, 1);
  drives.pick_drive("d: -> /media/cdrom");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(drives.drive(), "d: -> /media/cdrom");
}

TEST(Form, FindsControlsByNameAndIndexAndRejectsDuplicates) {
  Form form;
  Control& first = form.add(Kind::Label, "lbl", form.root(), Twips{}, 0);
  Control& second = form.add(Kind::Label, "lbl", form.root(), Twips{}, 1);
  EXPECT_EQ(&form.at("lbl", 0), &first);
  EXPECT_EQ(&form.at("lbl", 1), &second);
  EXPECT_EQ(form.find("lbl"), nullptr) << "an array element is not found without its index";
  EXPECT_THROW(form.at("lbl", 2), std::logic_error);
  EXPECT_THROW(form.add(Kind::Label, "lbl", form.root(), Twips{}, 1), std::logic_error);
  EXPECT_EQ(second.display_name(), "lbl(1)");
}

TEST(Form, BringToFrontMovesAControlAboveItsSiblings) {
  Form form;
  Control& page = form.add(Kind::PictureBox, "page", form.root(), Twips{});
  Control& sub = form.add(Kind::PictureBox, "sub", page, Twips{});
  Control& label = form.add(Kind::Label, "label", page, Twips{});
  ASSERT_EQ(page.children().back(), &label);
  form.bring_to_front(sub);
  ASSERT_EQ(page.children().size(), 2u);
  EXPECT_EQ(page.children().front(), &label);
  EXPECT_EQ(page.children().back(), &sub);
}

}  // namespace
}  // namespace quorvane
