#include "panels/help.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "panel_pages.h"
#include "panels/registry.h"

namespace quorvane {
namespace {

using testing::make_panel_form;
using testing::overlaps;

TEST(Help, QuotesTheCommentThenThePlaceInTheFileAndTheDefault) {
  const auto form = make_panel_form();
  const Control& level = form->at("com_sound_ilevel");
  EXPECT_EQ(level.tooltip,
            "interpolation level\n1 -> light interpolation\n..\n15 -> full interpolation\n\n"
            "[sound] interpolation_level=\nDefault: 1");
  EXPECT_EQ(level.description, level.tooltip);
  // The label over a control carries the same help.
  EXPECT_EQ(form->at("lblvideo_1", 73).tooltip, level.tooltip);
  EXPECT_EQ(form->at("lblvideo_1", 40).tooltip, form->at("ch_global", 10).tooltip);
  EXPECT_EQ(form->at("lblvideo_1", 41).tooltip, form->at("ch_global", 10).tooltip);
}

TEST(Help, SaysWhatThePanelStoresWhereItShowsOtherWordsThanTheFile) {
  const auto form = make_panel_form();
  const std::string delay = form->at("com_panel_hz").tooltip;
  // The comment says 16667 is 60 Hz; the panel stores 60 Hz as nothing.
  EXPECT_NE(delay.find("16667 -> 60 Hz [default]"), std::string::npos) << delay;
  EXPECT_NE(delay.find("Default: empty (60 Hz)"), std::string::npos) << delay;
  EXPECT_NE(delay.find("The panel stores 61 Hz as 16393, 60 Hz as an empty value, 59 Hz as 16949."),
            std::string::npos)
      << delay;
  const std::string backup = form->at("com_panel_backup").tooltip;
  EXPECT_NE(backup.find("Default: 1 (New format)"), std::string::npos) << backup;
  EXPECT_NE(backup.find("The panel stores New format as 1, Old format as 0."), std::string::npos);
  EXPECT_NE(form->at("ch_glolock", 0).tooltip.find("The panel stores Locked as n, Unlock as y."),
            std::string::npos);
  // Option buttons carry their group's help; the group is named by its label.
  const Control& windowed = form->at("op_video_winmodo", 0);
  EXPECT_NE(windowed.tooltip.find("The panel stores Windowed as y, Fullscreen as n."),
            std::string::npos);
  EXPECT_EQ(form->at("pic_video_winmode").accessible_name, "Windowed mode");
  EXPECT_EQ(form->at("pic_video_winmode").role, Role::Grouping);
  // A text stored as typed has nothing to add.
  EXPECT_EQ(form->at("txt_sound_delay").tooltip.find("The panel stores"), std::string::npos);
}

TEST(Help, EverySettingIsNamedByTheLabelsOverItAndDescribedByItsOwnRow) {
  const auto form = make_panel_form();
  EXPECT_EQ(form->at("ch_global", 14).accessible_name, "Sound");
  EXPECT_EQ(form->at("txt_sound_delay").accessible_name, "Delay (2 - 30)");
  EXPECT_EQ(form->at("ch_global", 10).accessible_name, "Soft reset (Run + Select)");
  EXPECT_EQ(form->at("txt_sound_cd").accessible_name, "CD ROM audio input line (0-First;1-Second)");
  EXPECT_EQ(form->at("txt_video_full", 4).accessible_name, "Windowed S. Resolutions 320:");
  EXPECT_EQ(form->at("Dri_panel_list").accessible_name, "Drive list");
  EXPECT_EQ(form->at("dr_cdrom_letter").accessible_name, "CD - ROM drive letter");
  EXPECT_TRUE(form->at("dr_cdrom_letter").tooltip.empty()) << "kept for the no-drives reason";
  std::set<std::string> names;
  for (const Binding* b : form->declared.bindings()) {
    const Control& c = *b->control;
    const std::string place =
        std::string(SettingsTable::section(b->row)) + " " + std::string(SettingsTable::key(b->row));
    EXPECT_NE(c.description.find(place), std::string::npos) << c.display_name();
    EXPECT_FALSE(c.accessible_name.empty()) << c.display_name();
    // Every label named stands on the control's own page, above or left of it.
    ASSERT_FALSE(b->labels.empty()) << c.display_name();
    for (const Control& label : b->labels) {
      EXPECT_EQ(label.kind(), Kind::Label) << c.display_name();
      EXPECT_EQ(label.parent(), c.parent()) << c.display_name() << " " << label.display_name();
      EXPECT_TRUE(label.rect().top < c.rect().top || label.rect().left < c.rect().left)
          << c.display_name() << " " << label.display_name();
    }
    names.insert(c.accessible_name);
  }
  EXPECT_EQ(names.size(), form->declared.bindings().size()) << "two settings share a name";
  // Headings over several boxes quote the comment those boxes share.
  EXPECT_EQ(form->at("lblvideo_1", 8).tooltip.substr(0, 29), "fullscreen screen resolutions");
}

TEST(Help, RangedSettingsHaveAHiddenSignBesideTheirControlAndNoneElse) {
  const auto form = make_panel_form();
  std::set<std::string> signs;
  for (const auto& c : form->controls()) {
    if (c->kind() == Kind::WarningSign) signs.insert(c->name());
  }
  std::set<std::string> expected;
  for (const Binding* b : form->declared.bindings()) {
    const std::optional<StatedRange>& range = setting_note(b->row).range;
    if (!range) {
      // A path box's sign is for paths that lead nowhere (below).
      if (b->browse_button != nullptr) {
        expected.insert(warning_sign_name(*b));
      } else {
        EXPECT_EQ(b->warning_sign, nullptr);
      }
      continue;
    }
    expected.insert(warning_sign_name(*b));
    const Control& c = *b->control;
    const Control& sign = form->at(warning_sign_name(*b));
    EXPECT_EQ(b->warning_sign, &sign);
    EXPECT_FALSE(sign.visible());
    EXPECT_EQ(sign.parent(), c.parent());
    EXPECT_NE(sign.tooltip.find(range->text()), std::string::npos) << sign.tooltip;
    EXPECT_GT(sign.rect().left, c.rect().left + c.rect().width - 1);
    EXPECT_LE(sign.rect().left + sign.rect().width, c.parent()->rect().width);
    // Beside the control and clear of everything else on the page.
    for (const Control* other : c.parent()->children()) {
      if (other == &sign || other->kind() == Kind::PictureBox) continue;
      EXPECT_FALSE(overlaps(sign.rect(), other->rect()))
          << sign.name() << " covers " << other->display_name();
    }
  }
  EXPECT_EQ(signs, expected);
  EXPECT_EQ(form->at("warn_txt_sound_delay").tooltip,
            "Outside 2 - 30, the range that VOZ.INI's comment gives.\nThe value is saved as it "
            "stands.");
}

TEST(Help, EachPathBoxHasABrowseButtonBesideItNamedForItsSetting) {
  const auto form = make_panel_form();
  int path_boxes = 0;
  for (const Binding* served : form->declared.panel_bindings(0)) {
    if (served->browse_button == nullptr) continue;
    ++path_boxes;
    const Control& box = *served->control;
    const Control& button = *served->browse_button;
    EXPECT_EQ(box.kind(), Kind::TextBox);
    EXPECT_EQ(button.name(), "cmd_" + box.name().substr(4));
    EXPECT_EQ(button.kind(), Kind::Button);
    EXPECT_EQ(button.caption(), "\x85");
    EXPECT_EQ(button.parent(), box.parent());
    EXPECT_EQ(button.rect().top, box.rect().top);
    EXPECT_GT(button.rect().left, box.rect().left + box.rect().width);
    for (const Control* other : box.parent()->children()) {
      if (other == &button) continue;
      EXPECT_FALSE(overlaps(button.rect(), other->rect())) << other->display_name();
    }
    EXPECT_EQ(button.accessible_name, "Browse for " + caption_of(*served));
  }
  EXPECT_EQ(path_boxes, 7);
  EXPECT_EQ(form->at("cmd_panel_b_card2").tooltip, "Choose the file for System card 2");
  EXPECT_EQ(form->at("cmd_panel_b_saved").tooltip, "Choose the folder for Saved game path");
}

TEST(Bindings, ShowAValueAsTheControlWouldAndTellWhatACollectWouldStore) {
  auto form = make_panel_form();
  const Declarations& declared = form->declared;
  const Binding& delay = declared.binding_for(row::frame_delay);
  EXPECT_EQ(shown_as(delay, ""), "60 Hz");
  EXPECT_EQ(shown_as(delay, "16667"), "16667") << "a code the combo cannot show";
  EXPECT_EQ(shown_as(declared.binding_for(row::numpad), "n"), "Locked");
  EXPECT_EQ(shown_as(declared.binding_for(row::windowed), "x"), "Fullscreen");
  EXPECT_EQ(shown_as(declared.binding_for(row::fullscreen_mode), "7"), "7");

  SettingsTable table;
  table.set_value(row::frame_delay, "16667");
  fill_binding_value(delay, "16667");
  EXPECT_EQ(form->at("com_panel_hz").text(), "");
  EXPECT_EQ(value_to_store(delay, table), "16667") << "the row keeps what it cannot show";
  form->at("com_panel_hz").set_text("59 Hz");
  EXPECT_EQ(value_to_store(delay, table), "16949");
  EXPECT_EQ(declared.binding_of(form->at("op_video_fullm", 1)),
            &declared.binding_for(row::fullscreen_mode));
  EXPECT_EQ(declared.binding_of(form->at("lblvideo_1", 1)), nullptr);
  EXPECT_THROW(declared.binding_for(row::emulation_section), std::logic_error) << "a section row";
}

TEST(Help, EachPathBoxHasAHiddenSignRightOfItsBrowseButtonClearOfEverythingElse) {
  const auto form = make_panel_form();
  int boxes = 0;
  for (const Binding* b : form->declared.bindings()) {
    if (b->browse_button == nullptr) continue;
    ++boxes;
    const Control& sign = form->at(warning_sign_name(*b));
    EXPECT_EQ(b->warning_sign, &sign);
    EXPECT_EQ(sign.kind(), Kind::WarningSign);
    EXPECT_FALSE(sign.visible());
    const Twips& button = b->browse_button->rect();
    EXPECT_GT(sign.rect().left, button.left + button.width - 1) << sign.name();
    EXPECT_LE(sign.rect().left + sign.rect().width, sign.parent()->rect().width) << sign.name();
    for (const Control* other : sign.parent()->children()) {
      if (other == &sign || other->kind() == Kind::PictureBox) continue;
      EXPECT_FALSE(overlaps(sign.rect(), other->rect()))
          << sign.name() << " covers " << other->display_name();
    }
  }
  EXPECT_EQ(boxes, 7);
}

}  // namespace
}  // namespace quorvane
