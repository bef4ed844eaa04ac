#include "panels/change_marks.h"

#include <gtest/gtest.h>

#include <string>

#include "panel_pages.h"

namespace quorvane {
namespace {

using testing::make_panel_form;
using testing::overlaps;

TEST(ChangeMarks, EverySettingHasAHiddenMarkBesideItClearOfEverythingOnItsPage) {
  const auto form = make_panel_form();
  for (const Binding* b : form->declared.bindings()) {
    const Control& c = *b->control;
    ASSERT_NE(b->change_mark, nullptr) << c.display_name();
    const Control& mark = *b->change_mark;
    EXPECT_EQ(&mark, &form->at(change_mark_name(*b), c.index()));
    EXPECT_FALSE(mark.visible());
    EXPECT_EQ(mark.parent(), c.parent());
    EXPECT_LE(mark.rect().left + mark.rect().width, c.parent()->rect().width) << mark.name();
    // Right of the control on its line or, where that line is full (a path box's), over the
    // control's right end, touching it.
    const Twips& m = mark.rect();
    const Twips& at = c.rect();
    const bool on_its_line = m.left >= at.left + at.width && m.top >= at.top;
    const bool over_its_end = m.left + m.width == at.left + at.width && m.top + m.height == at.top;
    EXPECT_TRUE(on_its_line || over_its_end) << mark.name();
    // Close by, not across in the next column.
    if (on_its_line) {
      EXPECT_LT(m.left - (at.left + at.width), 600) << mark.name();
    }
    if (b->browse_button != nullptr) {
      EXPECT_TRUE(over_its_end) << mark.name();
    }
    for (const Control* other : c.parent()->children()) {
      if (other == &mark || other->kind() == Kind::PictureBox) continue;
      EXPECT_FALSE(overlaps(mark.rect(), other->rect()))
          << mark.name() << " covers " << other->display_name();
    }
  }
}

TEST(ChangeMarks, TheNoteNamesTheValueReadAsTheControlShowsItAndGoesBeforeTheHelp) {
  const auto form = make_panel_form();
  const Binding& vsync = form->declared.binding_for(row::vsync);
  const Binding& delay = form->declared.binding_for(row::frame_delay);
  EXPECT_EQ(changed_note(vsync, "y"), "Changed: VOZ.INI held y (Enable).");
  EXPECT_EQ(changed_note(delay, ""), "Changed: VOZ.INI held an empty value (60 Hz).");
  EXPECT_EQ(changed_note(delay, "16667"), "Changed: VOZ.INI held 16667.");

  const std::string help = vsync.control->description;
  show_change(vsync, "y", true);
  EXPECT_TRUE(vsync.change_mark->visible());
  EXPECT_EQ(vsync.change_mark->tooltip, "Changed: VOZ.INI held y (Enable).");
  EXPECT_EQ(vsync.control->description, "Changed: VOZ.INI held y (Enable).\n\n" + help);
  show_change(vsync, "y", false);
  EXPECT_FALSE(vsync.change_mark->visible());
  EXPECT_EQ(vsync.control->description, help);
}

}  // namespace
}  // namespace quorvane
