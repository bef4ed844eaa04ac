#include "panels/registry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <variant>

#include "panel_pages.h"

namespace quorvane {
namespace {

using testing::lies_in;
using testing::make_panel_form;

TEST(PanelRegistry, ListsEachOfTheSevenPagesOnceByNumber) {
  std::set<int> numbers;
  std::set<std::string_view> names;
  for (const PanelEntry& panel : panel_registry()) {
    numbers.insert(panel.number);
    names.insert(panel.page);
    names.insert(panel.nav.name);
    EXPECT_EQ(find_panel(panel.number), &panel);
  }
  EXPECT_EQ(numbers, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(names.size(), 14u) << "a page or image named twice";
  EXPECT_EQ(find_panel(99), nullptr);
  EXPECT_EQ(find_panel(-1), nullptr);
}

TEST(PanelRegistry, HandlersNameControlsOfTheirOwnPanel) {
  const auto form = make_panel_form();
  for (const PageFlip& flip : form->declared.flips()) {
    const PanelEntry& panel = *find_panel(flip.panel);
    const Control& page = form->at(panel.page);
    ASSERT_FALSE(panel.sub_page.empty()) << panel.page;
    const Control& label = *flip.label;
    EXPECT_EQ(label.kind(), Kind::Label);
    EXPECT_TRUE(label.hand_pointer) << label.display_name();
    // "More >>>" stands on the first page, "<<< Back" on the sub-page it hides.
    const Control& sub_page = form->at(panel.sub_page);
    EXPECT_EQ(flip.sub_page, &sub_page);
    EXPECT_EQ(lies_in(label, sub_page), flip.direction == Flip::HidesSubPage)
        << label.display_name();
    EXPECT_TRUE(lies_in(label, page)) << label.display_name();
  }
  EXPECT_EQ(form->declared.flips().size(), 4u);
  int drive_lists = 0;
  for (const Binding* b : form->declared.bindings()) {
    if (b->drive_list == nullptr) continue;
    ++drive_lists;
    const Control& page = form->at(find_panel(b->panel)->page);
    EXPECT_EQ(b->drive_list->kind(), Kind::DriveList);
    EXPECT_EQ(b->control->kind(), Kind::TextBox);
    EXPECT_TRUE(lies_in(*b->drive_list, page)) << b->drive_list->display_name();
    EXPECT_TRUE(lies_in(*b->control, page)) << b->control->display_name();
  }
  EXPECT_EQ(drive_lists, 2);
}

TEST(PanelRegistry, IntroImagesOpenTheirLinks) {
  const auto form = make_panel_form();
  const PanelEntry& intro = *find_panel(6);
  ASSERT_EQ(intro.links.size(), 3u);
  for (const IntroLink& link : intro.links) {
    const Control& image = form->at(link.image);
    EXPECT_EQ(image.parent(), &form->at(intro.page));
    EXPECT_EQ(image.picture, link.picture);
    EXPECT_EQ(image.role, Role::Link);
    EXPECT_EQ(image.tooltip, link.url);
  }
  EXPECT_EQ(form->at("img_intro_a").tooltip, links::kEmulatorSite);
}

TEST(PanelRegistry, CodedCombosListTheTextsOfTheirCodeTables) {
  const auto form = make_panel_form();
  int coded = 0;
  for (const Binding* b : form->declared.bindings()) {
    const auto* codes = std::get_if<codec::Coded>(&b->codec);
    if (codes == nullptr) continue;
    ++coded;
    const Control& combo = *b->control;
    EXPECT_EQ(combo.list(), codes->texts()) << combo.display_name();
    // What the combo shows at start is one of its codes' texts.
    EXPECT_TRUE(codes->collect(combo.text()).has_value()) << combo.display_name();
  }
  EXPECT_EQ(coded, 5);
}

}  // namespace
}  // namespace quorvane
