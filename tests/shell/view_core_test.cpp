// The view core: what both front ends decide alike, tested once without a toolkit.

#include "shell/view_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "recording_window_system.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"
#include "test_support.h"

namespace quorvane {
namespace {

using FakeWindowSystem = testing::RecordingWindowSystem<>;
using testing::TempFolder;

TEST(ViewText, CleaningJoinsLinesAndTakesOutWhatVozIniCannotHoldEachOnce) {
  const CleanText clean = clean_typed_text(u"a\r\nb\u0101c\u0101\U0001F600d", 11);
  EXPECT_EQ(clean.shown, u"abcd");
  EXPECT_EQ(clean.caret, 4u);
  EXPECT_EQ(clean.refused, u"\u0101\U0001F600");
  EXPECT_EQ(clean.bytes, "abcd");
  EXPECT_EQ(clean_typed_text(u"\u0101xy", 1).caret, 0u) << "the caret moves with the text";
  EXPECT_EQ(clean_typed_text(u"x\U0001F600y", 2).caret, 1u) << "a caret inside a pair";
  // A lone half of a pair is no character at all.
  EXPECT_EQ(clean_typed_text(u"a\xD800"
                             u"b",
                             3)
                .shown,
            u"ab");
  // What the file may hold stays: a tab, a control character, every byte's character.
  const std::u16string kept = u"\t\x01\u20AC\u00FF\u0081";
  EXPECT_EQ(clean_typed_text(kept, 0).shown, kept);
  EXPECT_EQ(clean_typed_text(kept, 0).bytes, "\t\x01\x80\xFF\x81");
}

TEST(ViewText, EveryByteReachesTheWidgetsAndComesBackAndRefusalsAreNamed) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string text = to_widget_text(all);
  ASSERT_EQ(text.size(), 256u) << "one character per byte";
  EXPECT_EQ(to_model_bytes(text), all);
  EXPECT_EQ(to_widget_text("\x80\xE9\x9F"), u"\u20AC\u00E9\u0178");
  EXPECT_EQ(to_model_bytes(u"\u0101"), "?");
  EXPECT_EQ(refusal_note(u"\u0101\U0001F600"),
            u"\u201C\u0101\u201D, \u201C\U0001F600\u201D cannot be stored in VOZ.INI "
            u"(Windows-1252)");
}

// A small window of its own: a box, a combo, a timer, with handlers that a test arms.
class ViewCoreTest : public ::testing::Test {
 protected:
  Form form;
  FakeWindowSystem ws;
  int syncs = 0;
  int unloads = 0;
  std::unique_ptr<ViewCore> core;
  Control& box = form.add(Kind::CheckBox, "ch_global", form.root(), Twips{}, 0);
  Control& combo = form.add(Kind::ComboBox, "com_sound_fre", form.root(), Twips{});
  Control& timer = form.add(Kind::Timer, "Tm1", form.root(), Twips{});

  void SetUp() override {
    core = std::make_unique<ViewCore>(form, ws, ViewEvents{[this] { ++unloads; }});
    core->on_sync([this] {
      ++syncs;
      // A widget's notification raised while the view syncs it reaches nothing.
      core->check_box_clicked(box, box.value() == 0);
    });
    combo.set_list({"11025", "22050", "44100", "48000"});
  }
};

TEST_F(ViewCoreTest, EachEventReachesTheModelOnceAndTheWidgetsAreSyncedAfterIt) {
  int clicks = 0;
  box.on_click([&clicks](Control&) { ++clicks; });
  core->check_box_clicked(box, true);
  EXPECT_EQ(box.value(), 1);
  EXPECT_EQ(clicks, 1) << "the sync's own notification was dropped";
  EXPECT_EQ(syncs, 1);

  combo.set_text("44100");
  EXPECT_EQ(combo.current_item(), 2) << "Down and an opened list start from the value shown";
  core->item_chosen(combo, 3);
  EXPECT_EQ(combo.text(), "48000");
  EXPECT_EQ(combo.current_item(), 3);
  core->item_chosen(combo, 7);  // no such item: nothing
  EXPECT_EQ(combo.text(), "48000");
  combo.set_text("96000");
  EXPECT_EQ(combo.current_item(), -1);

  CleanText typed = core->text_edited(combo, u"44\n1\u0101", 5);
  EXPECT_EQ(combo.text(), "441");
  EXPECT_EQ(typed.shown, u"441");
  EXPECT_EQ(typed.refused, u"\u0101");

  // A tab that arrives with a paste becomes a space; one the field held already stays.
  combo.set_text("a\tb");
  typed = core->text_edited(combo, u"a\tb x\ty", 6);
  EXPECT_EQ(combo.text(), "a\tb x y");
  EXPECT_EQ(typed.shown, u"a\tb x y");

  int ticks = 0;
  timer.on_click([&ticks](Control&) { ++ticks; });
  core->timer_ticked(timer);
  EXPECT_EQ(ticks, 0) << "a stopped timer's queued tick is dropped";
  timer.set_enabled(true);
  core->timer_ticked(timer);
  EXPECT_EQ(ticks, 1);

  core->window_closed();
  EXPECT_EQ(unloads, 1);
}

TEST_F(ViewCoreTest, DroppedPathsReachOnlyAControlThatTakesThemAndAFailureNamesTheDrop) {
  std::vector<std::vector<std::string>> drops;
  Control& path_box = form.add(Kind::TextBox, "txt_panel_b_card1", form.root(), Twips{});
  EXPECT_FALSE(path_box.takes_drops());
  core->files_dropped(path_box, {"/a.pce"});
  EXPECT_EQ(syncs, 0) << "nothing took it, so nothing changed";

  path_box.on_drop(
      [&drops](Control&, const std::vector<std::string>& paths) { drops.push_back(paths); });
  EXPECT_TRUE(path_box.takes_drops());
  core->files_dropped(path_box, {"/a.pce", "/b \xC3\xA9.pce"});
  core->files_dropped(path_box, {});
  ASSERT_EQ(drops.size(), 1u) << "an empty drop brings nothing";
  EXPECT_EQ(drops[0], (std::vector<std::string>{"/a.pce", "/b \xC3\xA9.pce"}));
  EXPECT_EQ(syncs, 1);

  path_box.on_drop([](Control&, const std::vector<std::string>&) -> void {
    throw std::runtime_error("no room");
  });
  core->files_dropped(path_box, {"/a.pce"});
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_EQ(ws.messages[0],
            "Dropping onto txt_panel_b_card1 failed, and the program has to end.\n\nno room");
}

TEST_F(ViewCoreTest, ASignNamingAPathIsReadInTheModelsTextAndShownWhole) {
  Control& sign = form.add(Kind::WarningSign, "warn_txt_panel_b_card1", form.root(), Twips{});
  sign.tooltip = "Not found: /home/\xC3\xA9\xE2\x82\xAC\xC4\x81/card.pce";  // é€ā
  sign.tooltip_utf8 = true;
  EXPECT_EQ(ViewCore::tooltip_text(sign), u"Not found: /home/\u00E9\u20AC\u0101/card.pce");
  // Windows-1252 has é and € but no ā: the name loses that one character only.
  const std::string name = ViewCore::spoken_name(sign);
  EXPECT_EQ(name.substr(0, 19), "Not found: /home/\xE9\x80");
  EXPECT_EQ(name.substr(name.size() - 9), "/card.pce");
  EXPECT_EQ(name.size(), 29u);
}

TEST_F(ViewCoreTest, ListKeysMoveFromTheValueShownAndAnUnknownValueStartsAtTheTop) {
  combo.set_text("44100");
  core->closed_list_key(combo, ListKey::Down);
  EXPECT_EQ(combo.text(), "48000");
  core->closed_list_key(combo, ListKey::Down);
  EXPECT_EQ(combo.text(), "48000") << "the last item stays";
  core->closed_list_key(combo, ListKey::PageUp);
  EXPECT_EQ(combo.text(), "11025");
  combo.set_text("GUI");
  core->closed_list_key(combo, ListKey::PageDown);
  EXPECT_EQ(combo.text(), "11025") << "a value the list lacks: from the top";

  EXPECT_EQ(list_move(-1, 3, ListKey::PageDown), 0);
  EXPECT_EQ(list_move(-1, 3, ListKey::Up), 0);
  EXPECT_EQ(list_move(-1, 3, ListKey::End), 2);
  EXPECT_EQ(list_move(0, 30, ListKey::PageDown), kListItemsShown - 1)
      << "a page less one item, so that the last one shown stays in sight";
  EXPECT_EQ(list_move(25, 30, ListKey::PageDown), 29);
  EXPECT_EQ(list_move(12, 30, ListKey::PageUp), 3);
  EXPECT_EQ(list_move(12, 30, ListKey::Home), 0);
  EXPECT_EQ(list_move(12, 30, ListKey::Up), 11);
  EXPECT_EQ(list_move(-1, 0, ListKey::Down), -1);
}

TEST_F(ViewCoreTest, AFailureIsReportedByWhatFailedEndsTheProgramAndNothingReachesTheModelAfter) {
  box.on_click([](Control&) -> void { throw std::runtime_error("the disk is on fire"); });
  core->check_box_clicked(box, true);
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_EQ(ws.messages[0],
            "Clicking ch_global(0) failed, and the program has to end.\n\nthe disk is on fire");
  EXPECT_EQ(ws.exit_code, 1);
  EXPECT_TRUE(core->failed());
  EXPECT_FALSE(core->accepting());
  core->item_chosen(combo, 0);
  core->window_closed();
  EXPECT_EQ(combo.text(), "");
  EXPECT_EQ(unloads, 0);
  EXPECT_EQ(ws.messages.size(), 1u);
}

TEST_F(ViewCoreTest, RunningOutOfMemorySaysSoInWordsAndAnEndedProgramTakesNoEvents) {
  timer.set_enabled(true);
  timer.on_click([](Control&) -> void { throw std::bad_alloc(); });
  core->timer_ticked(timer);
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_EQ(ws.messages[0],
            "The timer Tm1 failed, and the program has to end.\n\nthere is not enough memory");

  FakeWindowSystem ended;
  ended.end_program();
  ViewCore after_end(form, ended, {});
  after_end.item_chosen(combo, 1);
  EXPECT_EQ(combo.text(), "") << "an event already queued when the program ended is dropped";
}

TEST_F(ViewCoreTest, AMenuShowsTheModelsEntriesAsTheyStandAndRunsTheOneChosen) {
  std::vector<std::string> chosen;
  combo.on_context_menu([&chosen] {
    return std::vector<MenuEntry>{{"Restore default (R&B \x85)", [&] { chosen.push_back("a"); }},
                                  {"Restore the value read", [&] { chosen.push_back("b"); }}};
  });
  const std::optional<ViewMenu> menu = core->open_menu(combo, true);
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->entries, (std::vector<std::u16string>{u"Restore default (R&&B \u2026)",
                                                        u"Restore the value read"}));
  EXPECT_TRUE(menu->field_entries) << "an edit field keeps its own entries below";
  core->menu_chosen(combo, 1);
  EXPECT_EQ(chosen, std::vector<std::string>{"b"});
  core->menu_chosen(combo, 0);
  EXPECT_EQ(chosen, std::vector<std::string>{"b"}) << "a menu is chosen from once";
  EXPECT_FALSE(core->open_menu(box, false)) << "a control without a menu has none";
}

// The real window, for where the keyboard goes.
TEST_F(ViewCoreTest, FocusCuesComeOnWithTheFirstKeyForGoodAndNoHelpShowsOverAnOpenList) {
  EXPECT_FALSE(core->focus_cues_shown()) << "only the mouse has been used";
  EXPECT_TRUE(core->key_pressed()) << "the view redraws the cue once";
  EXPECT_TRUE(core->focus_cues_shown());
  EXPECT_FALSE(core->key_pressed());
  EXPECT_TRUE(core->focus_cues_shown());

  Control& drives = form.add(Kind::DriveList, "dr_cdrom_letter", form.root(), Twips{});
  EXPECT_TRUE(core->help_tips_shown());
  core->list_opened(combo);
  EXPECT_FALSE(core->help_tips_shown());
  // One list closing while another is taken for open (a drop-down opened from a closing one)
  // leaves the tips off.
  core->list_opened(drives);
  core->list_closed(combo);
  EXPECT_FALSE(core->help_tips_shown());
  core->list_closed(drives);
  EXPECT_TRUE(core->help_tips_shown());
}

TEST(ViewColours, HighContrastTakesTheSystemsColoursAndKeepsTheArtworkOnItsOwnPlate) {
  Form form;
  Control& label = form.add(Kind::Label, "lbl", form.root(), Twips{});
  label.background = 0x123456;
  const Appearance normal{false, SystemColours{0x000000, 0xFFFFFF}};
  const ControlColours own = colours_for(label, normal);
  EXPECT_EQ(own.background, 0x123456u) << "the system's colours do not count without the theme";
  EXPECT_EQ(own.text, 0x000000u);
  EXPECT_TRUE(own.surface_art);
  EXPECT_FALSE(own.art_plate) << "artwork shows what lies beneath";

  for (const SystemColours& theme :
       {SystemColours{0x000000, 0xFFFFFF}, SystemColours{0xFFFFFF, 0x000000},
        SystemColours{0x000000, 0xFFFF00}}) {
    const ControlColours high = colours_for(label, Appearance{true, theme});
    EXPECT_EQ(high.background, theme.window);
    EXPECT_EQ(high.text, theme.window_text);
    EXPECT_FALSE(high.surface_art) << "no artwork behind captions";
    EXPECT_EQ(high.art_plate, 0x123456u) << "artwork keeps the background it was drawn for";
  }

  // Where the desktop says only what its colours are.
  EXPECT_TRUE(high_contrast_colours(SystemColours{0xFFFFFF, 0x000000}));
  EXPECT_TRUE(high_contrast_colours(SystemColours{0x000000, 0xFFFFFF}));
  EXPECT_TRUE(high_contrast_colours(SystemColours{0x000000, 0xFFFF00})) << "yellow on black";
  EXPECT_FALSE(high_contrast_colours(SystemColours{0xEFEFEF, 0x000000})) << "a light grey theme";
  EXPECT_FALSE(high_contrast_colours(SystemColours{0xF6F5F4, 0x000000}));
  EXPECT_FALSE(high_contrast_colours(SystemColours{0x353535, 0xFFFFFF})) << "a dark theme";
}

class ViewFocusTest : public ::testing::Test {
 protected:
  TempFolder folder;
  FakeWindowSystem ws;
  MainWindow main{folder.str(), ws};
  ViewCore core{main.form(), ws, main.view_events()};

  void SetUp() override { main.Form_Load(); }
  Control& at(const char* name, int index = -1) { return main.form().at(name, index); }
};

TEST_F(ViewFocusTest, TheKeyboardStartsOnTheFirstImageAndTabWrapsPastWhatIsNotOnScreen) {
  const std::vector<const Control*> order = core.tab_order();
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(core.first_focus(), order.front());
  EXPECT_EQ(order.front()->kind(), Kind::Image);
  EXPECT_EQ(core.next_focus(order.back(), false), order.front());
  EXPECT_EQ(core.next_focus(order.front(), true), order.back());
  EXPECT_EQ(core.next_focus(nullptr, false), order.front());
  for (const Control* c : order) EXPECT_TRUE(main.form().on_screen(*c)) << c->display_name();

  // A drive list with no drives to offer is greyed and skipped.
  main.show_panel(5);
  Control& drives = at("dr_cdrom_letter");
  drives.set_list({});
  EXPECT_FALSE(core.enabled(drives));
  const std::vector<const Control*> page = core.tab_order();
  EXPECT_EQ(std::count(page.begin(), page.end(), &drives), 0);
  drives.set_list({"c:"});
  EXPECT_TRUE(core.enabled(drives));
}

TEST_F(ViewFocusTest, AfterAFlipOrADialogTheKeyboardGoesWhereItCanStillBeUsed) {
  main.show_panel(1);
  const std::vector<const Control*> order = core.tab_order();
  const auto flip = std::find_if(order.begin(), order.end(),
                                 [](const Control* c) { return c->kind() == Kind::Label; });
  ASSERT_NE(flip, order.end());
  Control& more = at("lblvideo_1", (*flip)->index());
  // The sub-page now covers the label that showed it: the keyboard goes to the flip label on
  // show, so that Enter flips back.
  const Control* next = core.activated(more, true);
  ASSERT_NE(next, nullptr);
  EXPECT_NE(next, &more);
  EXPECT_EQ(next->kind(), Kind::Label);
  EXPECT_TRUE(main.form().on_screen(*next));
  EXPECT_EQ(core.activated(more, false), nullptr) << "a mouse click leaves the focus alone";

  EXPECT_EQ(core.focus_back(next), next) << "back from a dialog to where it was";
  EXPECT_EQ(core.focus_back(&more), core.first_focus()) << "unless that went off screen";
  EXPECT_EQ(core.focus_back(nullptr), core.first_focus());
}

TEST_F(ViewFocusTest, WhatIsDrawnAndMadeFollowsTheModelAndTheTitleFallsBackToTheName) {
  main.show_panel(1);
  Control& sub_page = at("pic_video_tv");
  sub_page.set_visible(true);
  const Control* covered = nullptr;
  for (const Control* c : at("pic_video").children()) {
    if (c != &sub_page && c->visible() && main.form().covered(*c)) covered = c;
  }
  ASSERT_NE(covered, nullptr);
  EXPECT_TRUE(covered->visible());
  EXPECT_FALSE(core.drawn(*covered)) << "hidden under the sub-page, so Tab cannot reach it";
  EXPECT_TRUE(core.contents_due(sub_page));
  EXPECT_FALSE(core.contents_due(at("pic_sound"))) << "made when first shown";

  EXPECT_EQ(core.title(), u"Quorvane Configuration");
  Form bare;
  EXPECT_EQ(ViewCore(bare, ws, {}).title(), u"Quorvane Configuration");
}

TEST(ViewFit, CaptionsCondenseThenShrinkToAFifthBelowTheirSize) {
  const FontSpec caption{"MS Sans Serif", 8.25, true};
  const std::vector<FontStep> steps = font_steps(caption, 96);
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front().pixels, 11);
  EXPECT_EQ(steps.front().stretch, 100);
  EXPECT_EQ(steps[1].pixels, 11) << "narrower before smaller";
  EXPECT_LT(steps[1].stretch, 100);
  EXPECT_EQ(steps.back().pixels, 8);
  EXPECT_GE(steps.back().stretch, 88);
  EXPECT_EQ(font_pixels(caption, 192), 22);

  // The width a caption takes in a font: here its pixels times its stretch.
  const auto needed = [](FontStep s) { return s.pixels * s.stretch; };
  const FontStep fitted = fit_font(caption, 96, needed, 1000);
  EXPECT_LE(needed(fitted), 1000);
  for (const FontStep& s : steps) {
    if (needed(s) <= 1000) {
      EXPECT_EQ(s.pixels, fitted.pixels);
      EXPECT_EQ(s.stretch, fitted.stretch);
      break;
    }
  }
  const FontStep smallest = fit_font(caption, 96, needed, 1);
  EXPECT_EQ(smallest.pixels, steps.back().pixels) << "the smallest when nothing fits";

  EXPECT_EQ(font_stand_ins("MS Sans Serif").front(), "Microsoft Sans Serif");
  EXPECT_EQ(font_stand_ins("Times New Roman").front(), "Times New Roman");
  EXPECT_TRUE(font_stand_ins("Courier").empty());
}

TEST(ViewFit, LabelsSpillRightWithinTheirContainerAndListsShowTheirWidestEntry) {
  Form form;
  Control& left = form.add(Kind::Label, "l", form.root(), Twips{});
  Control& centred = form.add(Kind::Label, "c", form.root(), Twips{});
  centred.align = Align::Center;
  const PixelSize box{100, 13};
  EXPECT_EQ(label_box(left, box, 80, 15, 300).height, 15) << "a line of the font high";
  EXPECT_EQ(label_box(left, box, 80, 15, 300).width, 100);
  EXPECT_EQ(label_box(left, box, 150, 12, 300).width, 150);
  EXPECT_EQ(label_box(left, box, 150, 12, 120).width, 120) << "as far as the container allows";
  EXPECT_EQ(label_box(left, box, 150, 12, 60).width, 100) << "never narrower than its box";
  EXPECT_EQ(label_box(centred, box, 150, 12, 300).width, 100);

  Control& combo = form.add(Kind::ComboBox, "k", form.root(), Twips{});
  combo.set_list({"60 Hz", "Fullscreen"});
  combo.set_text("x");
  const auto length = [](const std::string& s) { return static_cast<int>(s.size()); };
  EXPECT_EQ(widest_entry(combo, length), "Fullscreen");
  combo.set_text("A much longer value typed");
  EXPECT_EQ(widest_entry(combo, length), "A much longer value typed");

  EXPECT_EQ(drop_down_width(200, 100, 17, 96), 229);
  EXPECT_EQ(drop_down_width(200, 100, 17, 192), 241);
  EXPECT_EQ(drop_down_width(20, 100, 17, 96), 100) << "never narrower than the box";
}

}  // namespace
}  // namespace quorvane
