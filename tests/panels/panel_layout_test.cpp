#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "panel_pages.h"
#include "panels/bindings.h"
#include "panels/layout.h"
#include "panels/registry.h"

namespace quorvane {
namespace {

using testing::lies_in;
using testing::make_panel_form;

std::map<std::string, std::set<int>> array_by_page(const Form& form, std::string_view array) {
  std::map<std::string, std::set<int>> by_page;
  for (const auto& c : form.controls()) {
    if (c->name() == array) by_page[c->parent()->name()].insert(c->index());
  }
  return by_page;
}

TEST(PanelLayout, LabelsStandOnTheirPages) {
  const auto form = make_panel_form();
  auto range = [](int first, int last) {
    std::set<int> s;
    for (int i = first; i <= last; ++i) s.insert(i);
    return s;
  };
  std::set<int> video = range(0, 20);
  video.insert(22);
  std::set<int> video_tv = range(23, 29);
  video_tv.insert({21, 88});
  std::set<int> panel = range(40, 51);
  panel.insert(53);
  std::set<int> panel_b = range(54, 61);
  panel_b.insert({52, 85});
  std::set<int> sound = range(68, 79);
  sound.insert(83);
  std::set<int> pad = range(37, 39);
  pad.insert(86);
  std::set<int> key = range(30, 36);
  key.insert(87);
  std::set<int> cdrom = range(62, 67);
  cdrom.insert(84);
  const std::map<std::string, std::set<int>> expected = {
      {"pic_video", video},     {"pic_video_tv", video_tv}, {"pic_panel", panel},
      {"pic_panel_b", panel_b}, {"pic_sound", sound},       {"Pic_pad", pad},
      {"Pic_key", key},         {"pic_cdrom", cdrom},       {"pic_intro", {80, 81, 82}}};
  EXPECT_EQ(array_by_page(*form, "lblvideo_1"), expected);
}

TEST(PanelLayout, LabelLooks) {
  const auto form = make_panel_form();
  const std::set<int> headings = {22, 53, 83, 84, 85, 86, 87, 88};
  const std::set<int> prefixes = {9, 10, 11, 15, 16, 17};
  const std::set<int> flips = {20, 21, 51, 52};
  int labels = 0;
  for (const auto& c : form->controls()) {
    // The intro page's captions have looks of their own.
    if (c->name() != "lblvideo_1" || c->parent()->name() == "pic_intro") continue;
    ++labels;
    const int i = c->index();
    const double points = headings.count(i) ? 9.75 : prefixes.count(i) ? 12 : 8.25;
    EXPECT_EQ(c->font.points, points) << i;
    EXPECT_TRUE(c->font.bold) << i;
    EXPECT_EQ(c->font.family, "MS Sans Serif") << i;
    EXPECT_EQ(c->hand_pointer, flips.count(i) == 1) << i;
    EXPECT_FALSE(c->caption().empty()) << i;
    if (flips.count(i)) {
      EXPECT_EQ(c->rect().left, 5280) << i;
    }
    if (headings.count(i)) {
      EXPECT_EQ(c->rect().top, 0) << i;
    }
  }
  EXPECT_EQ(labels, 86);
  EXPECT_EQ(form->at("lblvideo_1", 76).caption(), "input line (0-First;1-Second)");
  EXPECT_EQ(form->at("lblvideo_1", 24).caption(), "Wire screen");
}

TEST(PanelLayout, RulesUnderEveryHeading) {
  const auto form = make_panel_form();
  const std::map<std::string, std::set<int>> expected = {
      {"pic_sound", {0}}, {"pic_cdrom", {1}}, {"pic_panel_b", {2}},  {"pic_panel", {3}},
      {"Pic_pad", {4}},   {"Pic_key", {5}},   {"pic_video_tv", {6}}, {"pic_video", {7}}};
  EXPECT_EQ(array_by_page(*form, "linea"), expected);
  for (int i = 0; i <= 7; ++i) {
    const Control& line = form->at("linea", i);
    EXPECT_EQ(line.kind(), Kind::Line);
    EXPECT_EQ(line.rect().left, 120);
    EXPECT_EQ(line.rect().top, 240);
    EXPECT_EQ(line.rect().width, 5880);
    EXPECT_EQ(line.rect().height, 0);
  }
}

TEST(PanelLayout, CheckBoxesStartAsDesigned) {
  const auto form = make_panel_form();
  const std::map<std::string, std::set<int>> expected = {{"pic_video", {0, 1, 2, 3, 4}},
                                                         {"pic_video_tv", {5, 6, 7}},
                                                         {"pic_cdrom", {8}},
                                                         {"Pic_pad", {9}},
                                                         {"pic_panel", {10, 11, 12, 13}},
                                                         {"pic_sound", {14, 15, 16, 17}}};
  EXPECT_EQ(array_by_page(*form, "ch_global"), expected);
  const std::set<int> checked = {4, 7, 9, 10, 12, 13, 14, 15, 16};
  for (int i = 0; i <= 17; ++i) {
    const Control& box = form->at("ch_global", i);
    EXPECT_EQ(box.value(), checked.count(i) ? 1 : 0) << i;
    EXPECT_EQ(box.caption(), checked.count(i) ? "Enable" : "Disable") << i;
    EXPECT_FALSE(box.font.bold) << i;
    EXPECT_EQ(box.rect().width, 975);
  }
  for (int i = 0; i <= 2; ++i) {
    const Control& box = form->at("ch_glolock", i);
    EXPECT_EQ(box.parent()->name(), "Pic_key");
    EXPECT_EQ(box.value(), 1);
    EXPECT_EQ(box.caption(), "Locked");
  }
}

TEST(PanelLayout, OptionGroupsAreSeparateColumns) {
  const auto form = make_panel_form();
  struct Group {
    const char* container;
    std::vector<std::pair<const char*, int>> members;  // top to bottom
    int selected;                                      // position in members
  };
  const Group groups[] = {
      {"pic_video_winmode", {{"op_video_winmodo", 0}, {"op_video_winmodo", 1}}, 1},
      {"pic_video_fullmode",
       {{"op_video_fullm", 0}, {"op_video_fullm", 1}, {"op_video_fullm", 2}},
       2},
      {"pic_video_display", {{"op_video_winmodo", 3}, {"op_video_winmodo", 2}}, 1},
      {"pic_video_zoom", {{"op_video_winmodo", 4}, {"op_video_winmodo", 5}}, 0},
  };
  for (const Group& g : groups) {
    const Control& box = form->at(g.container);
    EXPECT_EQ(box.kind(), Kind::PictureBox);
    EXPECT_FALSE(box.border);
    EXPECT_EQ(box.parent()->name(), "pic_video");
    ASSERT_EQ(box.children().size(), g.members.size()) << g.container;
    for (std::size_t i = 0; i < g.members.size(); ++i) {
      const Control& op = form->at(g.members[i].first, g.members[i].second);
      EXPECT_EQ(op.parent(), &box) << op.display_name();
      EXPECT_EQ(op.rect().top, static_cast<int>(i) * 240) << op.display_name();
      EXPECT_EQ(op.option_value(), static_cast<int>(i) == g.selected) << op.display_name();
    }
  }
  // The four groups are independent: choosing in one leaves the others alone.
  form->at("op_video_winmodo", 0).set_option_value(true);
  EXPECT_TRUE(form->at("op_video_winmodo", 2).option_value());
  EXPECT_TRUE(form->at("op_video_winmodo", 4).option_value());
}

TEST(PanelLayout, NumericListsRunBothWays) {
  EXPECT_EQ(layout::numbers(1, 3), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(layout::numbers(2, 0), (std::vector<std::string>{"2", "1", "0"}));
  const auto form = make_panel_form();
  EXPECT_EQ(form->at("com_video_tvbri").list().front(), "8");
  EXPECT_EQ(form->at("com_video_tvbri").list().size(), 9u);
  EXPECT_EQ(form->at("com_key_rate").list().back(), "16");
  EXPECT_EQ(form->at("com_cdrom_first").list().front(), "0");
}

TEST(PanelBindings, EverySettingRowIsBoundOnceOnItsOwnPanel) {
  const auto form = make_panel_form();
  std::map<Row, int> bound;
  std::size_t all = 0;
  for (const PanelEntry& panel : panel_registry()) {
    int previous = -1;
    for (const Binding* b : form->declared.panel_bindings(panel.number)) {
      ++all;
      ++bound[b->row];
      EXPECT_GT(number(b->row), previous) << "collect order";
      previous = number(b->row);
      const Control& c = *b->control;
      EXPECT_TRUE(lies_in(c, form->at(panel.page))) << c.display_name();
      if (std::holds_alternative<codec::Switch>(b->codec)) {
        EXPECT_EQ(c.kind(), Kind::CheckBox) << SettingsTable::name(b->row);
      } else if (const auto* g = std::get_if<codec::OptionGroup>(&b->codec)) {
        EXPECT_EQ(c.kind(), Kind::PictureBox) << SettingsTable::name(b->row);
        EXPECT_EQ(c.children().size(), g->values.size()) << SettingsTable::name(b->row);
        ASSERT_EQ(b->buttons.size(), g->values.size()) << SettingsTable::name(b->row);
        for (const Control* button : b->buttons) {
          EXPECT_EQ(button->kind(), Kind::OptionButton) << SettingsTable::name(b->row);
          EXPECT_EQ(button->parent(), &c) << SettingsTable::name(b->row);
        }
      } else {
        EXPECT_TRUE(c.kind() == Kind::ComboBox || c.kind() == Kind::TextBox)
            << SettingsTable::name(b->row);
      }
    }
  }
  for (Row row : kAllRows) {
    EXPECT_EQ(bound[row], SettingsTable::is_section_row(row) ? 0 : 1) << SettingsTable::name(row);
  }
  EXPECT_EQ(all, form->declared.bindings().size()) << "a binding of no panel";
  EXPECT_EQ(form->declared.bindings().size(), 62u);
}

}  // namespace
}  // namespace quorvane
