// How the window behaves under the mouse and the keyboard, whichever front end draws it: the same
// tests run against the Qt view and the native Windows view, each through its driver.

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "view_suite.h"

namespace quorvane::testing {
namespace {

// Where a control stands inside the area of its parent that holds it.
Rect in_parent(ViewDriver& view, const Control& c) {
  const Rect r = view.geometry(c);
  const Rect area = view.client_area(*c.parent());
  return {r.x - area.x, r.y - area.y, r.width, r.height};
}

TEST_F(ViewTest, WindowAndControlsStandWhereTheirTwipsSay) {
  const Rect window = view->window_rect();
  EXPECT_EQ(window.width, 413);
  EXPECT_EQ(window.height, 332);
  EXPECT_TRUE(view->frameless());
  EXPECT_EQ(view->client_rect().width, 413) << "no system border or title bar";
  EXPECT_EQ(view->title(), u"Quorvane Configuration");
  // Centred on the work area of its screen.
  const Rect work = view->work_area();
  EXPECT_NEAR((window.x + window.right()) / 2.0, (work.x + work.right()) / 2.0, 1.0);
  EXPECT_NEAR((window.y + window.bottom()) / 2.0, (work.y + work.bottom()) / 2.0, 1.0);

  // The body starts at 300 twips (20 px) and its client area one border pixel further in, so no
  // page can draw over its border.
  EXPECT_EQ(view->geometry(at("picpantalla")), (Rect{49, 24, 32, 32}));
  const Rect body = view->client_area(at("pictabla1"));
  EXPECT_EQ(body.width, 411);
  EXPECT_EQ(body.height, 310);
  const Rect about = in_parent(*view, at("imgabout"));
  EXPECT_EQ(about.x, 376);
  EXPECT_EQ(about.width, 32);
  EXPECT_EQ(in_parent(*view, at("imgcerrar")).x, 394)
      << "5910 twips into the title bar's client area";
  const Rect intro = in_parent(*view, at("pic_intro"));
  EXPECT_EQ(intro.y, 43);
  EXPECT_EQ(intro.height, 260);
  click("picpantalla");
  EXPECT_EQ(view->geometry(at("ch_global", 0)), (Rect{177, 208, 65, 17}));
}

TEST_F(ViewTest, TheHandPointerShowsOverClickableImagesAndPageFlips) {
  for (const char* name : {"picpantalla", "imgabout", "img_intro_a"}) {
    EXPECT_TRUE(view->hand_pointer(at(name))) << name;
  }
  click("picpantalla");
  EXPECT_TRUE(view->hand_pointer(at("lblvideo_1", 20)));
  EXPECT_FALSE(view->hand_pointer(at("lblvideo_1", 7))) << "a caption is no link";
}

TEST_F(ViewTest, ControlsCarryTheirTooltips) {
  // Save & Quit's goes on to say what a save would change (tests/view/changes_test.cpp).
  EXPECT_TRUE(view->tooltip(at("imgsave")).starts_with(u"Save & Quit\n\n"));
  EXPECT_EQ(view->tooltip(at("picpantalla")), u"Video Settings");
  EXPECT_EQ(view->tooltip(at("imgcerrar")), shown(at("imgcerrar").tooltip));
  EXPECT_EQ(view->tooltip(at("Label1")), shown(at("Label1").tooltip));
  EXPECT_EQ(view->tooltip(at("lblvideo_1", 80)), u"") << "no tip where the layout gives none";
  // The title bar, and the title on it, say which VOZ.INI the window edits.
  const std::u16string path = utf16(folder.file("VOZ.INI"));
  EXPECT_EQ(view->tooltip(at("picbarraalta")), path);
  EXPECT_EQ(view->tooltip(at("Label1")), path);
}

TEST_F(ViewTest, LinkImagesOpenTheirAddressesOrSayThemWhenNoBrowserStarts) {
  click("img_intro_a");
  click("img_intro_b");
  click("img_intro_c");
  EXPECT_EQ(ws.urls, (std::vector<std::string>{links::kEmulatorSite, links::kDeveloperSite,
                                               links::kCommunitySite}));
  // No browser: the user is told the address instead, and the program goes on.
  ASSERT_EQ(ws.messages.size(), 3u);
  EXPECT_NE(ws.messages[0].find(links::kEmulatorSite), std::string::npos);
  EXPECT_FALSE(ws.ended());
  EXPECT_TRUE(view->visible(at("pic_intro")));
}

TEST_F(ViewTest, ClickingACheckBoxFlipsItsCaptionInTheModelAndOnScreen) {
  click("picpantalla");
  ASSERT_TRUE(view->visible(at("pic_video")));
  const Control& vsync = at("ch_global", 0);
  ASSERT_EQ(vsync.value(), 0);
  ASSERT_FALSE(view->checked(vsync));
  EXPECT_EQ(view->text(vsync), u"Disable");

  view->click(vsync);
  EXPECT_EQ(vsync.value(), 1);
  EXPECT_EQ(vsync.caption(), "Enable");
  EXPECT_TRUE(view->checked(vsync));
  EXPECT_EQ(view->text(vsync), u"Enable");

  view->click(vsync);
  EXPECT_EQ(vsync.value(), 0);
  EXPECT_EQ(view->text(vsync), u"Disable");

  click("imgteclado");
  const Control& lock = at("ch_glolock", 0);
  ASSERT_EQ(view->text(lock), u"Locked");
  view->click(lock);
  EXPECT_EQ(view->text(lock), u"Unlock");
  EXPECT_EQ(lock.value(), 0);
}

TEST_F(ViewTest, OptionButtonsAreExclusiveWithinTheirGroupOnly) {
  click("picpantalla");
  click("op_video_winmodo", 4);
  click("op_video_winmodo", 0);
  EXPECT_TRUE(at("op_video_winmodo", 0).option_value());
  EXPECT_FALSE(at("op_video_winmodo", 1).option_value());
  EXPECT_FALSE(view->checked(at("op_video_winmodo", 1)));
  EXPECT_TRUE(view->checked(at("op_video_winmodo", 4))) << "another group keeps its choice";
  const bool zoom = at("op_video_winmodo", 2).option_value();
  EXPECT_EQ(view->checked(at("op_video_winmodo", 2)), zoom);

  click("op_video_winmodo", 1);
  EXPECT_FALSE(at("op_video_winmodo", 0).option_value());
  EXPECT_FALSE(view->checked(at("op_video_winmodo", 0)));
  EXPECT_EQ(at("op_video_winmodo", 2).option_value(), zoom);

  // The logic may leave a group with no choice; the widgets must follow it.
  for (int i = 0; i < 3; ++i) at("op_video_fullm", i).set_option_value(false);
  view->sync();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(view->checked(at("op_video_fullm", i))) << i;
}

TEST_F(ViewTest, PanelsAndSubPagesShowAsTheModelSays) {
  EXPECT_TRUE(view->visible(at("pic_intro")));
  EXPECT_FALSE(view->visible(at("imgsave")));
  click("picpantalla");
  EXPECT_TRUE(view->visible(at("pic_video")));
  EXPECT_FALSE(view->visible(at("pic_intro")));
  EXPECT_TRUE(view->visible(at("imgsave")));
  EXPECT_FALSE(view->visible(at("pic_video_tv")));
  click("lblvideo_1", 20);  // "More >>>"
  EXPECT_TRUE(view->visible(at("pic_video_tv")));
  // The sub-page covers its panel's first page: it is above every control there.
  EXPECT_TRUE(view->on_top(at("pic_video_tv")));

  click("imgpanel");
  click("lblvideo_1", 51);  // "Next >>>"
  EXPECT_TRUE(view->visible(at("pic_panel_b")));
  click("lblvideo_1", 52);
  EXPECT_FALSE(view->visible(at("pic_panel_b")));
  EXPECT_TRUE(view->visible(at("pic_panel")));
}

TEST_F(ViewTest, AHiddenPanelKeepsItsValuesAndShowsThemAgain) {
  click("picpantalla");
  view->retype(at("txt_video_full", 0), u"800,600");
  click("ch_global", 1);

  click("imgsonido");
  EXPECT_FALSE(view->visible(at("pic_video")));
  EXPECT_TRUE(view->visible(at("pic_sound")));
  EXPECT_EQ(at("txt_video_full", 0).text(), "800,600");
  EXPECT_EQ(main.table().value(row::res_256), "800,600") << "leaving the panel collects it";
  view->retype(at("com_sound_fre"), u"32000");

  click("imgcontrol");
  EXPECT_FALSE(view->visible(at("com_sound_fre")));
  click("imgsonido");
  EXPECT_EQ(view->text(at("com_sound_fre")), u"32000");
  EXPECT_EQ(at("com_sound_fre").text(), "32000");

  click("picpantalla");
  EXPECT_TRUE(view->visible(at("pic_video")));
  EXPECT_EQ(view->text(at("txt_video_full", 0)), u"800,600");
  EXPECT_TRUE(view->checked(at("ch_global", 1)));
}

TEST_F(ViewTest, TypedTextReachesTheModelAsWindows1252Bytes) {
  click("imgpanel");
  click("lblvideo_1", 51);
  const Control& card = at("txt_panel_b_card1");
  view->retype(card, u"C:\\Cartes\\Pâté €5.pce");
  EXPECT_EQ(card.text(),
            "C:\\Cartes\\P\xe2t\xe9 \x80"
            "5.pce");
  view->retype(card, u"C:\\Jeux\\Caf\u00E9 \u20AC.pce");
  EXPECT_EQ(card.text(), "C:\\Jeux\\Caf\xE9 \x80.pce");

  click("picpantalla");
  click("lblvideo_1", 20);
  view->retype(at("com_video_tvgamm"), u"ü");
  EXPECT_EQ(at("com_video_tvgamm").text(), "\xfc");
  click("imgsonido");
  view->retype(at("com_sound_fre"), u"22050");
  EXPECT_EQ(at("com_sound_fre").text(), "22050");

  // And back: the logic's bytes show as the characters they stand for.
  at("txt_panel_b_card2").set_text("\x93quoted\x94");
  view->sync();
  EXPECT_EQ(view->text(at("txt_panel_b_card2")), u"\u201cquoted\u201d");
}

TEST_F(ViewTest, ACharacterWindows1252CannotHoldIsRefusedAndExplained) {
  click("imgpanel");
  const Control& list = at("txt_panel_list");
  view->retype(list, u"CĀD→E");
  EXPECT_EQ(view->text(list), u"CDE");
  EXPECT_EQ(list.text(), "CDE");
  EXPECT_EQ(view->selection(list), (std::pair{3, 3})) << "the caret stays after what was typed";
  EXPECT_TRUE(contains(view->refusal(), u"“→”"));
  EXPECT_TRUE(contains(view->refusal(), u"Windows-1252"));

  // A character outside the Basic Multilingual Plane is one character, not two halves.
  view->paste(list, u"a\U0001F600b");
  EXPECT_EQ(list.text(), "ab");
  EXPECT_TRUE(contains(view->refusal(), u"“\U0001F600”"));

  // Typed, its halves come one at a time; the rest is kept.
  click("lblvideo_1", 51);
  const Control& card = at("txt_panel_b_card1");
  view->retype(card, u"ab\u0101c\U0001F600d");
  EXPECT_EQ(card.text(), "abcd");
  EXPECT_EQ(view->text(card), u"abcd");
  EXPECT_EQ(view->selection(card).second, 4) << "the caret stays after what was typed";
}

TEST_F(ViewTest, PastedLineBreaksAreDropped) {
  click("imgpanel");
  const Control& list = at("txt_panel_list");
  view->paste(list, u"CD\r\nEF\n");
  EXPECT_EQ(view->text(list), u"CDEF");
  EXPECT_EQ(list.text(), "CDEF");

  view->paste(at("com_papel_statefile"), u"1\n6");
  EXPECT_EQ(at("com_papel_statefile").text(), "16");

  click("lblvideo_1", 51);
  view->paste(at("txt_panel_b_card1"), u"C:\\a\r\nb");
  EXPECT_EQ(at("txt_panel_b_card1").text(), "C:\\ab");

  // Every line comes, joined (a one-line field of its own would keep the first), and a tab
  // comes as a space, which both fields show.
  view->paste(at("txt_panel_b_card2"), u"one\r\ntwo\tthree\nfour");
  EXPECT_EQ(view->text(at("txt_panel_b_card2")), u"onetwo threefour");
  EXPECT_EQ(at("txt_panel_b_card2").text(), "onetwo threefour");
}

TEST_F(ViewTest, EditableCombosKeepExactlyWhatWasTypedAndTakeAChosenItem) {
  click("imgpanel");
  const Control& hz = at("com_panel_hz");
  const int items = view->item_count(hz);
  view->retype(hz, u"6");
  EXPECT_EQ(hz.text(), "6") << "no completion from the list";
  view->type(hz, u"1 hz");
  view->key(Key::Enter);
  EXPECT_EQ(view->text(hz), u"61 hz") << "no case correction to the item \"61 Hz\"";
  EXPECT_EQ(hz.text(), "61 hz");
  EXPECT_EQ(view->item_count(hz), items) << "nothing typed is added to the list";
  // Choosing from the list is a text like any other.
  view->choose(hz, u"59 Hz");
  EXPECT_EQ(hz.text(), "59 Hz");

  click("imgteclado");
  const Control& type = at("com_key_type");
  EXPECT_EQ(view->item_count(type), 3);
  view->choose(type, u"AZERTY");
  EXPECT_EQ(type.text(), "AZERTY");
  EXPECT_EQ(view->text(type), u"AZERTY");
  view->retype(type, u"azerty");
  EXPECT_EQ(type.text(), "azerty") << "no completion, no change of case";
  EXPECT_EQ(view->item_count(type), 3) << "typing adds no item";
}

TEST_F(ViewTest, SyncLeavesAFieldAloneWhenItAlreadyMatches) {
  click("imgpanel");
  const Control& list = at("txt_panel_list");
  view->retype(list, u"CDEF");
  view->set_caret(list, 2);
  view->sync();
  EXPECT_EQ(view->selection(list), (std::pair{2, 2}));
  at("txt_panel_list").set_text("XYZ");
  view->sync();
  EXPECT_EQ(view->text(list), u"XYZ");

  click("lblvideo_1", 51);
  const Control& card = at("txt_panel_b_card1");
  view->retype(card, u"abcdef");
  view->set_caret(card, 2);
  view->sync();
  EXPECT_EQ(view->selection(card), (std::pair{2, 2}));
}

TEST_F(ViewTest, DriveListsOfferTheModelsDrivesAndReportAPick) {
  for (const char* name : {"Dri_panel_list", "dr_cdrom_letter"}) {
    at(name).set_list({"c: [Local Disk]", "d: [CD-ROM]"});
    at(name).set_drive("c: [Local Disk]");
    at(name).item_tooltips = {"/prefix/drive_c", "/media/cd"};
  }
  view->sync();
  click("imgpanel");
  const Control& drives = at("Dri_panel_list");
  ASSERT_EQ(view->item_count(drives), 2);
  EXPECT_EQ(view->current_item(drives), 0);
  EXPECT_TRUE(view->enabled(drives));
  EXPECT_EQ(view->tooltip(drives), u"/prefix/drive_c") << "where the drive on show leads";

  const std::string before = at("txt_panel_list").text();
  view->focus(drives);
  view->key(Key::Down);
  EXPECT_EQ(drives.drive(), "d: [CD-ROM]");
  EXPECT_EQ(view->tooltip(drives), u"/media/cd");
  EXPECT_EQ(at("txt_panel_list").text(), before + "D");
  EXPECT_EQ(view->text(at("txt_panel_list")), utf16(before + "D"));

  at("dr_cdrom_letter").set_list({});
  at("dr_cdrom_letter").tooltip = "No drive letters found";
  view->sync();
  click("imgcd");
  const Control& empty = at("dr_cdrom_letter");
  EXPECT_EQ(view->item_count(empty), 0);
  EXPECT_FALSE(view->enabled(empty)) << "an empty drive list cannot be opened";
  EXPECT_EQ(view->tooltip(empty), u"No drive letters found");

  // A list of its own: a pick raises change once, and only when the drive changes.
  Form form;
  Control& list = form.add(Kind::DriveList, "Dri_test", form.root(), Twips{120, 120, 1575, 315});
  list.set_list({"c: [Local Disk]", "d: [CD-ROM]", "z: [Local Disk]"});
  list.set_drive("c: [Local Disk]");
  std::vector<std::string> picks;
  list.on_change([&picks](Control& c) { picks.push_back(c.drive()); });
  DrivenWindowSystem other;
  const std::unique_ptr<ViewDriver> alone = drive(form, other, ViewEvents{});
  EXPECT_EQ(alone->item_count(list), 3);
  EXPECT_EQ(alone->current_item(list), 0);
  alone->choose(list, u"d: [CD-ROM]");
  alone->choose(list, u"d: [CD-ROM]");
  alone->choose(list, u"z: [Local Disk]");
  EXPECT_EQ(picks, (std::vector<std::string>{"d: [CD-ROM]", "z: [Local Disk]"}));
  list.set_list({});
  alone->sync();
  EXPECT_FALSE(alone->enabled(list));
}

TEST_F(ViewTest, OnlyTheBareTitleBarWithTheLeftButtonMovesTheWindow) {
  view->click_at({300, 10}, Button::Right);
  view->click_at({300, 10}, Button::Middle);
  EXPECT_EQ(ws.moves, 0);
  view->click_at({60, 10}, Button::Left);  // on the title text
  EXPECT_EQ(ws.moves, 0);
  view->click_at({300, 10}, Button::Left);
  EXPECT_EQ(ws.moves, 1);
  view->move_over({310, 12}, {Button::Right});
  view->move_over({310, 12}, {Button::Middle});
  view->move_over({310, 12}, {Button::Left, Button::Right});
  EXPECT_EQ(ws.moves, 1) << "right, middle, or left with another button: no move";

  // The title text and the close image take the mouse over their own area, so a press or a drag
  // there never reaches the title bar beneath them.
  for (const char* name : {"Label1", "imgcerrar"}) {
    EXPECT_TRUE(view->takes_the_mouse(at(name))) << name;
    const Rect r = view->geometry(at(name));
    view->move_over({r.x + 5, r.y + 5}, {Button::Left});
  }
  EXPECT_EQ(ws.moves, 1);

  // A press on the close image that is released off it neither moves nor closes.
  view->press_and_release_off(at("imgcerrar"));
  EXPECT_EQ(ws.moves, 1);
  EXPECT_FALSE(ws.ended());
  click("imgcerrar");
  EXPECT_EQ(ws.moves, 1);
}

TEST_F(ViewTest, TheFadeRunsOnTheTimerAndEndsTheProgram) {
  ws.opacity_supported = true;
  const std::string file = folder.read("VOZ.INI");
  click("imgcerrar");
  EXPECT_FALSE(ws.ended());
  EXPECT_TRUE(view->wait_until([this] { return ws.ended(); }, 5000));
  EXPECT_EQ(ws.opacities, (std::vector<int>{255, 230, 204, 178, 153, 128, 102, 76, 51, 26, 3}));
  EXPECT_FALSE(view->window_visible());
  EXPECT_EQ(folder.read("VOZ.INI"), file);
}

// The fade's timer was running when the save failed: ticks that arrive while the message is open
// must not finish the fade and close the window behind it.
TEST_F(ViewTest, AFailedSaveDuringAFadeKeepsTheWindowBehindItsMessage) {
  ws.opacity_supported = true;
  click("picpantalla");
  click("imgcerrar");  // the fade begins
  view->wait(150);
  click("ch_global", 0);
  // VOZ.INI cannot be replaced, even by root: a folder stands in its place.
  fs::remove(folder / "VOZ.INI");
  fs::create_directory(folder / "VOZ.INI");
  keep_messages_open(1500);  // longer than the whole fade
  ws.answer = true;          // VOZ.INI changed on disk: replace it all the same
  click("imgsave");
  ASSERT_EQ(ws.questions.size(), 1u);
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("could not be saved"), std::string::npos) << ws.messages[0];
  view->wait(300);
  EXPECT_FALSE(ws.ended()) << "the fade went on behind the message and closed the window";
  EXPECT_TRUE(view->window_visible());
  EXPECT_EQ(at("ch_global", 0).value(), 1) << "the edit is still in the window";
  EXPECT_TRUE(view->checked(at("ch_global", 0)));
  EXPECT_EQ(ws.opacities.back(), 255);
}

TEST_F(ViewTest, TheSystemCloseEndsTheProgramWithoutSaving) {
  const std::string file = folder.read("VOZ.INI");
  click("picpantalla");
  click("ch_global", 0);
  view->close_window();
  EXPECT_TRUE(ws.ended());
  EXPECT_EQ(ws.exit_code, 0);
  EXPECT_EQ(folder.read("VOZ.INI"), file);
}

TEST_F(ViewTest, EveryCaptionFitsItsBox) {
  for (int dpi : view->scales()) {
    view->set_scale(dpi);
    for (const auto& control : main.form().controls()) {
      const std::optional<CaptionFit> fit = view->caption_fit(*control);
      if (!fit) continue;
      EXPECT_LE(fit->text_width, fit->box_width)
          << control->display_name() << " \"" << control->caption() << "\" at " << dpi << " dpi";
      if (fit->text_height) {
        EXPECT_LE(*fit->text_height, fit->box_height)
            << control->display_name() << " at " << dpi << " dpi";
      }
    }
  }
}

// Down, Up and an opened list start from the item that matches the text shown, so that the
// same keys pick the same item in both builds.
TEST_F(ViewTest, DownInACodedComboPicksTheItemAfterTheOneShown) {
  click("imgteclado");
  const Control& type = at("com_key_type");
  ASSERT_EQ(view->text(type), u"QWERTY");
  press_in(type, {Key::Down});
  EXPECT_EQ(view->text(type), u"QWERTZ");
  EXPECT_EQ(type.text(), "QWERTZ");
  click("imgcontrol");
  EXPECT_EQ(main.table().value(row::keyboard_type), "2");
}

TEST_F(ViewTest, AnOpenedListStartsAtTheItemShown) {
  click("imgsonido");
  const Control& frequency = at("com_sound_fre");
  ASSERT_EQ(view->text(frequency), u"44100");
  press_in(frequency, {Key::F4, Key::Down, Key::Enter});
  EXPECT_EQ(view->text(frequency), u"48000");
  EXPECT_EQ(frequency.text(), "48000");
  click("imgcontrol");
  EXPECT_EQ(main.table().value(row::frequency), "48000");
}

// The help of a combo would come up over the panel beside its open list: it waits until the
// list is closed.
TEST_F(ViewTest, NoHelpComesUpWhileAComboListIsOpen) {
  click("imgsonido");
  const Control& frequency = at("com_sound_fre");
  ASSERT_TRUE(view->help_comes_up(frequency, 3000)) << "the help never came up at all";
  view->drop_list(frequency, true);
  EXPECT_FALSE(view->help_comes_up(frequency, 800));
  view->drop_list(frequency, false);
  EXPECT_TRUE(view->help_comes_up(frequency, 3000)) << "the help stays away once the list closed";
}

// As Windows programs do: the control with the keyboard shows no focus cue while only the mouse
// has been used, and shows it for good once a key has been pressed.
TEST_F(ViewTest, TheFocusCueShowsOnlyOnceTheKeyboardIsUsed) {
  const Control* first = view->focused();
  ASSERT_NE(first, nullptr);
  const Pixels at_start = view->pixels(*first);
  ASSERT_FALSE(at_start.rgb.empty());
  view->key(Key::Tab);
  ASSERT_NE(view->focused(), first);
  const Pixels unfocused = view->pixels(*first);
  EXPECT_EQ(at_start, unfocused) << "a focus cue shows before any key was pressed";
  view->key(Key::ShiftTab);
  ASSERT_EQ(view->focused(), first);
  EXPECT_NE(view->pixels(*first), unfocused) << "no focus cue after Tab";
  // A click moves the keyboard on; the cue goes with it and stays.
  click("picpantalla");
  view->focus(*first);
  EXPECT_NE(view->pixels(*first), unfocused) << "the cue went away again";
}

// A VOZ.INI whose Esc key mode has no item: its coded combo shows an empty text.
class UnknownCodeViewTest : public ViewTest {
 protected:
  void SetUp() override {
    folder.write("VOZ.INI", with_line(default_file(), "esc_key_mode=0", "esc_key_mode=GUI"));
    ViewTest::SetUp();
  }
};

// A list with no item shown starts before its first: the first key that moves in it lands there.
TEST_F(UnknownCodeViewTest, PageDownInTheOpenListOfAComboShowingNoItemPicksTheFirst) {
  click("imgteclado");
  const Control& mode = at("com_key_mode");
  ASSERT_EQ(view->text(mode), u"");
  press_in(mode, {Key::F4, Key::PageDown, Key::Enter});
  EXPECT_EQ(view->text(mode), u"Automatic");
  click("imgcontrol");
  EXPECT_EQ(main.table().value(row::esc_key_mode), "0");

  // Closed, Page Down goes a page on from the first, to the last of these three.
  click("imgteclado");
  press_in(mode, {Key::PageDown});
  EXPECT_EQ(view->text(mode), u"Exit mode");
}

TEST(ViewParts, AnErrorEscapingAHandlerIsReportedAndEndsTheProgram) {
  Form form;
  Control& image = form.add(Kind::Image, "imgboom", form.root(), Twips{0, 0, 480, 480});
  int clicks = 0;
  image.on_click([&clicks](Control&) {
    ++clicks;
    throw std::runtime_error("disk on fire");
  });
  DrivenWindowSystem ws;
  const std::unique_ptr<ViewDriver> view = drive(form, ws, ViewEvents{});
  view->click(image);
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("disk on fire"), std::string::npos);
  EXPECT_NE(ws.messages[0].find("imgboom"), std::string::npos);
  EXPECT_TRUE(ws.ended());
  EXPECT_EQ(ws.exit_code, 1);
  view->click(image);
  EXPECT_EQ(clicks, 1) << "nothing reaches the logic after the end";
}

}  // namespace
}  // namespace quorvane::testing
