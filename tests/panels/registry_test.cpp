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
  for (const PanelEntry& panel : panel_registry()) {
    const Control& page = form->at(panel.page);
    for (const PageFlip& flip : panel.flips) {
      ASSERT_FALSE(panel.sub_page.empty()) << panel.page;
      const Control& label = form->at("lblvideo_1", flip.label);
      EXPECT_TRUE(label.hand_pointer) << label.display_name();
      // "More >>>" stands on the first page, "<<< Back" on the sub-page it hides.
      const Control& sub_page = form->at(panel.sub_page);
      EXPECT_EQ(lies_in(label, sub_page), !flip.shows_sub_page) << label.display_name();
      EXPECT_TRUE(lies_in(label, page)) << label.display_name();
    }
    for (const DriveLink& link : panel.drive_links) {
      EXPECT_EQ(form->at(link.drive_list).kind(), Kind::DriveList);
      EXPECT_EQ(form->at(link.text_box).kind(), Kind::TextBox);
      EXPECT_TRUE(lies_in(form->at(link.drive_list), page)) << link.drive_list;
      EXPECT_TRUE(lies_in(form->at(link.text_box), page)) << link.text_box;
    }
  }
}

TEST(PanelRegistry, CodedCombosListTheTextsOfTheirCodeTables) {
  const auto form = make_panel_form();
  int coded = 0;
  for (const Binding& b : all_bindings()) {
    const auto* codes = std::get_if<codec::Coded>(&b.codec);
    if (codes == nullptr) continue;
    ++coded;
    const Control& combo = form->at(b.control.name, b.control.index);
    EXPECT_EQ(combo.list(), codes->texts()) << combo.display_name();
    // What the combo shows at start is one of its codes' texts.
    EXPECT_TRUE(codes->collect(combo.text()).has_value()) << combo.display_name();
  }
  EXPECT_EQ(coded, 5);
}

}  // namespace
}  // namespace quorvane
