// How the window serves the keyboard and a screen reader, whichever front end draws it: the Tab
// order, Enter and Space, names, help and roles, browse buttons and range signs.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/settings_table.h"
#include "shell/form_layout.h"
#include "view_suite.h"

namespace quorvane::testing {
namespace {

class KeyboardTest : public ViewTest {
 protected:
  // Where Tab should stop, in order: the model's focus order, only what is on screen and takes
  // input (a drive list without drives is disabled, and Tab passes it by).
  std::vector<const Control*> stops() {
    std::vector<const Control*> out;
    for (const Control* c : focus_order(main.form())) {
      if (main.form().on_screen(*c) && view->enabled(*c)) out.push_back(c);
    }
    return out;
  }
  // Presses `key` `times` times, noting where the focus lands each time.
  std::vector<const Control*> walk(Key key, std::size_t times) {
    std::vector<const Control*> landed;
    for (std::size_t i = 0; i < times; ++i) {
      view->key(key);
      landed.push_back(view->focused());
    }
    return landed;
  }
};

TEST_F(KeyboardTest, TheKeyboardStartsOnTheFirstImageAndTabFollowsTheModel) {
  ASSERT_NE(view->focused(), nullptr);
  EXPECT_EQ(view->focused(), &at("imgpanel"));
  EXPECT_EQ(view->focused()->kind(), Kind::Image);
  view->key(Key::Space);
  EXPECT_EQ(main.cur_panel(), 0) << "Space clicks the image";
  EXPECT_EQ(view->focused(), &at("imgpanel")) << "and the focus stays on it";

  const std::vector<const Control*> expected = stops();
  ASSERT_GT(expected.size(), 12u);
  std::vector<const Control*> walked{view->focused()};
  for (const Control* c : walk(Key::Tab, expected.size() - 1)) walked.push_back(c);
  EXPECT_EQ(walked, expected);
  EXPECT_EQ(walked.back(), &at("lblvideo_1", 51)) << "the page flip comes last";
  view->key(Key::Tab);
  EXPECT_EQ(view->focused(), &at("imgpanel")) << "and Tab goes round";
  view->key(Key::ShiftTab);
  EXPECT_EQ(view->focused(), &at("lblvideo_1", 51));
  // Shift+Tab goes back the same way.
  EXPECT_EQ(walk(Key::ShiftTab, expected.size() - 1),
            std::vector<const Control*>(expected.rbegin() + 1, expected.rend()));

  // Enter flips the page; the focus goes to the flip label on show, which flips back.
  view->focus(at("lblvideo_1", 51));
  view->key(Key::Enter);
  EXPECT_TRUE(view->visible(at("pic_panel_b")));
  EXPECT_EQ(view->focused(), &at("lblvideo_1", 52));
  EXPECT_FALSE(view->visible(at("ch_global", 10))) << "the page beneath is out of reach";
  view->key(Key::KeypadEnter);
  EXPECT_FALSE(view->visible(at("pic_panel_b")));
  EXPECT_EQ(view->focused(), &at("lblvideo_1", 51));
  EXPECT_TRUE(view->visible(at("ch_global", 10)));

  // The video panel's sub-page covers its first page: none of that page's controls is reached.
  view->focus(at("picpantalla"));
  view->key(Key::Enter);
  click("lblvideo_1", 20);
  ASSERT_TRUE(view->visible(at("pic_video_tv")));
  const std::vector<const Control*> covered = stops();
  view->focus(*covered[0]);
  std::vector<const Control*> round(covered.begin() + 1, covered.end());
  round.push_back(covered[0]);  // and round again
  EXPECT_EQ(walk(Key::Tab, covered.size()), round);
  EXPECT_FALSE(view->visible(at("ch_global", 0))) << "covered by the sub-page";
  for (const Control* stop : covered) EXPECT_NE(stop, &at("ch_global", 0));
  EXPECT_EQ(walk(Key::ShiftTab, covered.size()),
            std::vector<const Control*>(covered.rbegin(), covered.rend()));
}

TEST_F(KeyboardTest, EnterOrSpacePressesTheFocusedImageOrPageFlipAndTheFocusStays) {
  view->focus(at("picpantalla"));
  view->key(Key::Enter);
  EXPECT_TRUE(view->visible(at("pic_video")));
  EXPECT_EQ(view->focused(), &at("picpantalla")) << "so that Tab goes on from there";
  view->focus(at("imgsonido"));
  view->key(Key::Space);
  EXPECT_TRUE(view->visible(at("pic_sound")));
  EXPECT_FALSE(view->visible(at("pic_video")));
  EXPECT_EQ(view->focused(), &at("imgsonido"));

  // A page flip that its sub-page then covers hands the focus to the flip label on show, so
  // that Enter flips back.
  view->focus(at("picpantalla"));
  view->key(Key::Enter);
  view->focus(at("lblvideo_1", 20));
  view->key(Key::Enter);
  ASSERT_TRUE(view->visible(at("pic_video_tv")));
  const Control* now = view->focused();
  ASSERT_NE(now, nullptr);
  EXPECT_EQ(now, focus_after_activation(main.form(), at("lblvideo_1", 20)));
  EXPECT_EQ(now->kind(), Kind::Label);
  view->key(Key::Enter);
  EXPECT_FALSE(view->visible(at("pic_video_tv")));
  EXPECT_EQ(view->focused(), &at("lblvideo_1", 20));

  // A label that is not worked from the keyboard takes no Enter.
  click("imgsonido");
  view->focus(at("lblvideo_1", 68));
  view->key(Key::Enter);
  EXPECT_TRUE(view->visible(at("pic_sound")));
  EXPECT_FALSE(ws.ended());
}

TEST_F(ViewTest, ImagesThatWorkAsButtonsArePushButtonsNamedByTheirTooltips) {
  for (const char* name : {"imgsonido", "imgcerrar", "picpantalla"}) {
    const ScreenReading read = view->read(at(name));
    EXPECT_EQ(read.name, shown(at(name).tooltip)) << name;
    EXPECT_EQ(read.role, Role::PushButton) << name;
    EXPECT_EQ(read.action, u"Press") << name;
  }
  EXPECT_EQ(view->read(at("imgsonido")).name, u"Sound Settings");
  EXPECT_EQ(view->read(at("imgcerrar")).name, u"Close without saving");
  EXPECT_EQ(view->read(at("picpantalla")).name, u"Video Settings");
  EXPECT_EQ(view->read(at("img_intro_a")).role, Role::Link);
  // Pressing one through the screen reader does what a click does.
  view->press_as_screen_reader(at("imgsonido"));
  EXPECT_TRUE(view->visible(at("pic_sound")));
  view->press_as_screen_reader(at("picpantalla"));
  EXPECT_EQ(main.cur_panel(), 1);
}

TEST_F(ViewTest, AScreenReaderReadsTheLabelsNamesTheHelpAndTheStates) {
  click("imgsonido");
  // Named by the label over it, not by its own caption; its help is the description.
  const Control& sound = at("ch_global", 14);
  const ScreenReading box = view->read(sound);
  EXPECT_EQ(box.name, u"Sound") << "not its caption, Enable";
  EXPECT_EQ(box.description, shown(sound.description));
  EXPECT_TRUE(contains(box.description, u"[sound]")) << "the place in the file";
  EXPECT_EQ(box.role, Role::CheckBox);
  const bool was = sound.value() != 0;
  EXPECT_TRUE(box.checked);
  EXPECT_EQ(box.checked, was);
  click("ch_global", 14);
  EXPECT_EQ(view->read(sound).checked, !was);

  EXPECT_EQ(view->read(at("txt_sound_delay")).name, u"Delay (2 - 30)");
  // An editable combo's field is what has the focus, so it is named too.
  const ScreenReading field = view->read_field(at("com_sound_fre"));
  EXPECT_EQ(field.name, u"Frequency");
  EXPECT_EQ(field.role, Role::Text);

  // A hidden page is not offered: its widgets are hidden, and read as invisible.
  click("picpantalla");
  EXPECT_FALSE(view->visible(sound));
  EXPECT_TRUE(view->read(sound).invisible);
}

TEST_F(ViewTest, EverySettingsControlCarriesItsHelpAndFollowsAChangedTooltip) {
  click("imgsonido");
  for (const char* name : {"txt_sound_delay", "com_sound_fre"}) {
    const std::u16string help = shown(at(name).tooltip);
    EXPECT_TRUE(contains(help, u"[sound]")) << name;
    EXPECT_EQ(view->tooltip(at(name)), help) << name;
  }
  const Control& delay = at("txt_sound_delay");
  EXPECT_TRUE(view->tooltip(delay).starts_with(u"delay\nadjust sound buffer delay (2 - 30)"));
  EXPECT_EQ(view->read(delay).description, view->tooltip(delay));
  EXPECT_EQ(view->tooltip(at("ch_global", 14)), shown(at("ch_global", 14).tooltip));
  EXPECT_EQ(view->tooltip(at("lblvideo_1", 74)), shown(at("lblvideo_1", 74).tooltip));
  EXPECT_EQ(view->tooltip(at("lblvideo_1", 74)), view->tooltip(delay)) << "the caption over it";

  at("txt_sound_delay").tooltip = "Changed \x93tip\x94";
  view->sync();
  EXPECT_EQ(view->tooltip(delay), u"Changed \u201Ctip\u201D");
}

TEST_F(ViewTest, EachPathBoxHasItsBrowseButtonNextInTabOrder) {
  click("imgpanel");
  click("lblvideo_1", 51);
  ASSERT_TRUE(view->visible(at("pic_panel_b")));
  const Control& box = at("txt_panel_b_card1");
  const Control& button = at("cmd_panel_b_card1");
  EXPECT_TRUE(view->visible(button));
  EXPECT_EQ(view->text(button), u"\u2026");
  EXPECT_EQ(view->tooltip(button), shown(button.tooltip));
  const ScreenReading read = view->read(button);
  EXPECT_EQ(read.name, u"Browse for System card 1");
  EXPECT_EQ(read.name, u"Browse for " + shown(box.accessible_name));
  EXPECT_EQ(read.role, Role::PushButton);
  view->focus(box);
  view->key(Key::Tab);
  EXPECT_EQ(view->focused(), &button) << "reached by Tab right after its box";
  view->key(Key::Tab);
  EXPECT_EQ(view->focused(), &at("txt_panel_b_card2"));

  // Cancelled, a chooser leaves the box alone; each opens with its own title.
  ws.chosen.reset();
  view->click(button);
  click("cmd_panel_b_saved");
  ASSERT_EQ(ws.choices.size(), 2u);
  EXPECT_FALSE(ws.choices[0].folder);
  EXPECT_EQ(ws.choices[0].title, "System card 1");
  EXPECT_TRUE(ws.choices[1].folder);
  EXPECT_EQ(ws.choices[1].title, "Saved game path");
  EXPECT_EQ(view->text(box), u"") << "cancelled";

  // Its own key opens it too.
  view->focus(button);
  view->key(Key::Space);
  EXPECT_EQ(ws.choices.size(), 3u);
  EXPECT_EQ(view->focused(), &button);
  EXPECT_TRUE(ws.messages.empty());
}

TEST_F(ViewTest, ASignShowsBesideAFieldWhileItsValueIsOutsideTheRange) {
  click("imgsonido");
  const Control& delay = at("txt_sound_delay");
  const Control& sign = at("warn_txt_sound_delay");
  EXPECT_FALSE(view->visible(sign));
  view->retype(delay, u"50");
  EXPECT_TRUE(view->visible(sign));
  EXPECT_EQ(delay.text(), "50") << "marked, never changed";
  view->retype(delay, u"31");
  EXPECT_TRUE(view->visible(sign));
  EXPECT_EQ(delay.text(), "31");
  EXPECT_EQ(view->tooltip(sign), shown(sign.tooltip));
  EXPECT_TRUE(contains(view->tooltip(sign), u"2 - 30"));
  const ScreenReading read = view->read(sign);
  EXPECT_EQ(read.role, Role::Graphic);
  EXPECT_EQ(read.name, view->tooltip(sign));
  // Beside its box, on the right.
  EXPECT_GE(view->geometry(sign).x, view->geometry(delay).right());
  view->click(sign);  // only looked at: nothing happens
  EXPECT_TRUE(ws.messages.empty());
  view->retype(delay, u"30");
  EXPECT_FALSE(view->visible(sign));
}

TEST_F(ViewTest, TheMenuOfASettingRestoresAndAnEditFieldKeepsItsOwnEntries) {
  click("imgsonido");
  const Control& delay = at("txt_sound_delay");
  const std::string read = delay.text();
  const std::string fallback(SettingsTable::default_value(row::delay));
  view->retype(delay, u"12");
  ASSERT_NE(read, "12");
  const Menu menu = view->menu(delay, MenuOpener::RightClick, 1);  // "Restore default (...)"
  ASSERT_TRUE(menu.shown) << "no menu came up";
  ASSERT_GT(menu.entries.size(), 4u);
  EXPECT_EQ(menu.entries[0], u"Restore default (empty)");
  EXPECT_EQ(menu.entries[0],
            u"Restore default (" + (fallback.empty() ? u"empty" : shown(fallback)) + u")");
  EXPECT_EQ(menu.entries[1], u"Restore the value read from VOZ.INI (empty)");
  EXPECT_TRUE(menu.entries[1].starts_with(u"Restore the value read from VOZ.INI ("));
  EXPECT_EQ(menu.entries[2], u"Restore this page's defaults");
  EXPECT_EQ(menu.entries[3], u"Restore this page's values read from VOZ.INI");
  EXPECT_EQ(menu.entries[4], u"--");
  EXPECT_NE(std::find_if(menu.entries.begin(), menu.entries.end(),
                         [](const std::u16string& e) { return contains(e, u"Paste"); }),
            menu.entries.end())
      << "the field's own entries follow";
  EXPECT_EQ(delay.text(), "");
  EXPECT_EQ(delay.text(), fallback);
  EXPECT_EQ(view->text(delay), u"");
  EXPECT_EQ(view->text(delay), shown(fallback)) << "the field shows it at once";
  view->retype(delay, u"25");
  view->menu(delay, MenuOpener::RightClick, 2);  // "Restore the value read from VOZ.INI (...)"
  EXPECT_EQ(delay.text(), read);

  // From the keyboard: Shift+F10 and the menu key open the same menu on a check box, which has
  // no edit entries.
  const Control& sound = at("ch_global", 14);
  click("ch_global", 14);
  ASSERT_EQ(sound.value(), 0);
  for (MenuOpener opener : {MenuOpener::ShiftF10, MenuOpener::MenuKey}) {
    EXPECT_EQ(
        view->menu(sound, opener, 2).entries,
        (std::vector<std::u16string>{
            u"Restore default (Enable)", u"Restore the value read from VOZ.INI (Enable)",
            u"Restore this page's defaults", u"Restore this page's values read from VOZ.INI"}));
    EXPECT_EQ(sound.value(), 1);
    EXPECT_TRUE(view->checked(sound));
    click("ch_global", 14);
  }
  // Shift+F10 on a combo's field, and the model's entry chosen from it.
  const Control& frequency = at("com_sound_fre");
  view->retype(frequency, u"12345");
  const Menu combo = view->menu(frequency, MenuOpener::ShiftF10, 1);
  EXPECT_TRUE(combo.shown);
  EXPECT_EQ(frequency.text(), std::string(SettingsTable::default_value(row::frequency)));
  EXPECT_GT(combo.entries.size(), 2u) << "a combo's field keeps its edit entries";
  // Controls that are no setting have no menu.
  EXPECT_FALSE(view->menu(at("imgsonido"), MenuOpener::MenuKey, 0).shown);
}

// A VOZ.INI whose drive list holds an ampersand, which a menu would take for a shortcut mark.
class AmpersandViewTest : public ViewTest {
 protected:
  void SetUp() override {
    folder.write("VOZ.INI", with_line(default_file(), "drive_list=CDEF", "drive_list=C&D"));
    ViewTest::SetUp();
  }
};

TEST_F(AmpersandViewTest, TheMenuShowsAnAmpersandInAValueAsItStands) {
  click("imgpanel");
  const Control& list = at("txt_panel_list");
  ASSERT_EQ(view->text(list), u"C&D");
  const Menu menu = view->menu(list, MenuOpener::RightClick, 0);
  ASSERT_GT(menu.entries.size(), 1u);
  EXPECT_EQ(menu.entries[1], u"Restore the value read from VOZ.INI (C&D)");
  EXPECT_FALSE(menu.mnemonic[1]) << "no Alt+D";
}

}  // namespace
}  // namespace quorvane::testing
