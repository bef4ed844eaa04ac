// What the window shows of a save before it is written, whichever front end draws it: the marks
// beside changed settings, Save & Quit's list, and restoring a page from a setting's menu.

#include <gtest/gtest.h>

#include <string>

#include "settings/settings_table.h"
#include "view_suite.h"

namespace quorvane::testing {
namespace {

bool overlap(const Rect& a, const Rect& b) {
  return a.x < b.right() && b.x < a.right() && a.y < b.bottom() && b.y < a.bottom();
}

TEST_F(ViewTest, AChangedSettingShowsItsMarkAndAScreenReaderHearsItFirst) {
  click("picpantalla");
  const Control& vsync = at("ch_global", 0);
  const Control& mark = *main.declared().binding_for(row::vsync).change_mark;
  const std::u16string help = view->read(vsync).description;
  EXPECT_FALSE(view->visible(mark));
  EXPECT_FALSE(contains(help, u"Changed"));

  click("ch_global", 0);
  EXPECT_TRUE(view->visible(mark));
  EXPECT_EQ(view->tooltip(mark), u"Changed: VOZ.INI held n (Disable).");
  const ScreenReading sign = view->read(mark);
  EXPECT_EQ(sign.role, Role::Graphic);
  EXPECT_EQ(sign.name, view->tooltip(mark));
  EXPECT_EQ(view->read(vsync).description, u"Changed: VOZ.INI held n (Disable).\n\n" + help);
  // Beside its box, on the right, and clear of every other control on the page, at every scale.
  for (int dpi : view->scales()) {
    view->set_scale(dpi);
    const Rect at_mark = view->geometry(mark);
    EXPECT_GE(at_mark.x, view->geometry(vsync).x) << dpi;
    for (const Control* other : mark.parent()->children()) {
      if (other == &mark || !view->visible(*other) || other->kind() == Kind::PictureBox) continue;
      EXPECT_FALSE(overlap(at_mark, view->geometry(*other)))
          << "covers " << other->display_name() << " at " << dpi << " dpi";
    }
  }

  click("ch_global", 0);
  EXPECT_FALSE(view->visible(mark));
  EXPECT_EQ(view->read(vsync).description, help);

  // A visit normalised the empty windowed= of the new file: marked as well, on its buttons too.
  const Binding& windowed = main.declared().binding_for(row::windowed);
  EXPECT_TRUE(view->visible(*windowed.change_mark));
  EXPECT_TRUE(view->read(*windowed.buttons[1])
                  .description.starts_with(u"Changed: VOZ.INI held an empty value (Fullscreen)."));
}

TEST_F(ViewTest, SaveAndQuitTellsWhatASaveWouldWriteAndLookingChangesNothing) {
  click("imgsonido");
  const Control& save = at("imgsave");
  EXPECT_EQ(view->tooltip(save), u"Save & Quit\n\nSaving leaves VOZ.INI as it is.");
  view->retype(at("com_sound_fre"), u"22050");
  click("ch_global", 14);
  const std::u16string list =
      u"Saving changes VOZ.INI:\n[sound] sound: y \u2192 n\n[sound] frequency: 44100 \u2192 22050";
  EXPECT_EQ(view->tooltip(save), u"Save & Quit\n\n" + list);
  const ScreenReading read = view->read(save);
  EXPECT_EQ(read.name, u"Save & Quit");
  EXPECT_EQ(read.description, list);
  EXPECT_EQ(main.table().value(row::frequency), "44100") << "nothing collected by looking";

  // Leaving the page collects it; the list stays what a save would write.
  click("imgteclado");
  EXPECT_EQ(view->read(save).description, list);
  click("imgsonido");
  view->retype(at("com_sound_fre"), u"44100");
  click("ch_global", 14);
  EXPECT_EQ(view->read(save).description, u"Saving leaves VOZ.INI as it is.");
}

TEST_F(ViewTest, ASettingsMenuRestoresThePageItStandsOn) {
  click("imgsonido");
  const Control& frequency = at("com_sound_fre");
  const Control& delay = at("txt_sound_delay");
  view->retype(frequency, u"22050");
  view->retype(delay, u"12");
  click("ch_global", 14);
  const Menu menu = view->menu(delay, MenuOpener::RightClick, 3);  // "Restore this page's defaults"
  ASSERT_TRUE(menu.shown);
  EXPECT_EQ(menu.entries[2], u"Restore this page's defaults");
  EXPECT_EQ(view->text(frequency), u"44100");
  EXPECT_EQ(view->text(delay), u"");
  EXPECT_TRUE(view->checked(at("ch_global", 14)));
  EXPECT_FALSE(view->visible(*main.declared().binding_for(row::frequency).change_mark));
  EXPECT_EQ(view->read(at("imgsave")).description, u"Saving leaves VOZ.INI as it is.");
}

}  // namespace
}  // namespace quorvane::testing
