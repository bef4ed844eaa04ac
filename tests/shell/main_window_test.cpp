#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "files/files.h"
#include "recording_window_system.h"
#include "shell/view_core.h"
#include "test_support.h"
#ifdef _WIN32
#include "windows_support.h"
#endif

namespace quorvane {
namespace {

using testing::default_file;
using testing::RecordingWindowSystem;
using testing::TempFolder;

#ifdef _WIN32
constexpr const char* kNeedsARefusingFolder =
    "needs a folder that refuses new files: folder modes and an unprivileged user are POSIX's, "
    "and Wine does not enforce Windows access rules";
#endif

using testing::with_line;

class MainWindowTest : public ::testing::Test {
 protected:
  TempFolder folder;
  RecordingWindowSystem<> ws;
  MainWindow window{folder.str(), ws};

  Control& at(const char* name, int index = -1) { return window.form().at(name, index); }
  void click(const char* name) { at(name).click(); }
  std::string saved() const { return folder.read("VOZ.INI"); }
};

TEST_F(MainWindowTest, InitialLayoutShowsOnlyTheIntroWithSaveHiddenAndTheTimerOff) {
  EXPECT_TRUE(at("pic_intro").shown());
  for (const char* page : {"pic_panel", "pic_panel_b", "pic_video", "pic_video_tv", "pic_sound",
                           "Pic_pad", "Pic_key", "pic_cdrom"}) {
    EXPECT_FALSE(at(page).visible()) << page;
  }
  EXPECT_FALSE(at("imgsave").visible());
  EXPECT_FALSE(at("Tm1").enabled());
  EXPECT_EQ(at("Tm1").interval_ms(), 100);
  EXPECT_EQ(window.fade_level(), 0);
  EXPECT_EQ(at("Label1").caption(), "Quorvane Configuration");
}

TEST_F(MainWindowTest, StartInAnEmptyFolderWritesTheDefaultFileAndItsBackup) {
  window.Form_Load();
  EXPECT_EQ(window.cur_panel(), kNoPanel);
  EXPECT_EQ(saved(), default_file());
  EXPECT_EQ(folder.read("VOZ_backup.INI"), default_file());
  EXPECT_TRUE(ws.messages.empty());
  EXPECT_FALSE(at("imgsave").visible()) << "start-up shows no panel";
}

TEST_F(MainWindowTest, CaptionsFollowTheLoadedValuesAndEveryToggle) {
  folder.write("VOZ.INI", with_line(with_line(default_file(), "soft_reset=y", "soft_reset=n"),
                                    "numpad=n", "numpad=y"));
  window.Form_Load();
  EXPECT_EQ(at("ch_global", 10).value(), 0);
  EXPECT_EQ(at("ch_global", 10).caption(), "Disable");
  EXPECT_EQ(at("ch_glolock", 0).value(), 0);
  EXPECT_EQ(at("ch_glolock", 0).caption(), "Unlock");
  for (int i = 0; i < 18; ++i) {
    const Control& box = at("ch_global", i);
    EXPECT_EQ(box.caption(), box.value() ? "Enable" : "Disable") << i;
  }
  at("ch_global", 10).set_value(1);
  EXPECT_EQ(at("ch_global", 10).caption(), "Enable");
  at("ch_glolock", 0).set_value(1);
  EXPECT_EQ(at("ch_glolock", 0).caption(), "Locked");
}

// The handler comes with the codec, so a switch of any name, on any panel, gets it.
TEST_F(MainWindowTest, EverySwitchTogglesBetweenItsCodecsCaptions) {
  window.Form_Load();
  int switches = 0;
  for (const Binding* b : window.declared().bindings()) {
    const auto* sw = std::get_if<codec::Switch>(&b->codec);
    if (sw == nullptr) continue;
    ++switches;
    Control& box = *b->control;
    const int loaded = box.value();
    for (int value : {1 - loaded, loaded}) {
      box.set_value(value);
      EXPECT_EQ(box.caption(), sw->caption(value)) << box.display_name();
    }
  }
  EXPECT_EQ(switches, 21);
}

TEST_F(MainWindowTest, NavigationShowsOnePanelAtItsFirstPageAndRevealsSave) {
  window.Form_Load();
  click("imgabout");
  EXPECT_EQ(window.cur_panel(), 6);
  EXPECT_TRUE(at("imgsave").visible()) << "any navigation image, About included, shows Save";
  EXPECT_TRUE(at("pic_intro").shown());

  click("imgpanel");
  EXPECT_TRUE(at("pic_panel").shown());
  EXPECT_FALSE(at("pic_intro").visible());
  at("lblvideo_1", 51).click();  // Next >>>
  EXPECT_TRUE(at("pic_panel_b").shown());
  EXPECT_EQ(window.cur_panel(), 0) << "a page flip keeps the panel";

  click("imgpanel");  // the panel on show, again: back at its first page
  EXPECT_TRUE(at("pic_panel").shown());
  EXPECT_FALSE(at("pic_panel_b").visible());

  click("picpantalla");
  at("lblvideo_1", 20).click();  // More >>>
  EXPECT_TRUE(at("pic_video_tv").shown());
  at("lblvideo_1", 21).click();  // <<< Back
  EXPECT_FALSE(at("pic_video_tv").visible());
  EXPECT_TRUE(at("pic_video").shown());

  const std::pair<const char*, const char*> targets[] = {
      {"imgsonido", "pic_sound"}, {"imgcontrol", "Pic_pad"}, {"imgteclado", "Pic_key"},
      {"imgcd", "pic_cdrom"},     {"imgabout", "pic_intro"},
  };
  for (const auto& [image, page] : targets) {
    click(image);
    EXPECT_TRUE(at(page).shown()) << image;
  }
  at("lblvideo_1", 80).click();  // captions other than the page flips react to nothing
  EXPECT_TRUE(at("pic_intro").shown());
}

TEST_F(MainWindowTest, APanelReachesTheTableOnlyWhenLeftAndBothPagesAreCollected) {
  window.Form_Load();
  click("imgpanel");
  at("ch_global", 10).set_value(0);  // soft reset, first page
  at("lblvideo_1", 51).click();
  at("txt_panel_b_card1").set_text("C:\\cards\\syscard3.pce");
  at("lblvideo_1", 52).click();
  EXPECT_EQ(window.table().value(row::soft_reset), "y") << "a page flip collects nothing";
  EXPECT_EQ(window.table().value(row::system_card_1), "");

  at("lblvideo_1", 51).click();
  click("imgsonido");  // leave while the second page shows
  EXPECT_EQ(window.table().value(row::soft_reset), "n");
  EXPECT_EQ(window.table().value(row::system_card_1), "C:\\cards\\syscard3.pce");
}

TEST_F(MainWindowTest, SaveCollectsThePanelOnShowWritesAndStartsTheFade) {
  window.Form_Load();
  click("imgsonido");
  at("com_sound_fre").set_text("22050");
  click("imgsave");
  EXPECT_EQ(saved(), with_line(default_file(), "frequency=44100", "frequency=22050"));
  EXPECT_EQ(folder.read("VOZ_backup.INI"), default_file()) << "saving never touches the backup";
  EXPECT_TRUE(at("Tm1").enabled());
  EXPECT_EQ(ws.prepared, 1);
  EXPECT_EQ(ws.closed, 0);
}

TEST_F(MainWindowTest, PanelsNeverShownKeepTheirRowsExactlyAsRead) {
  // Values that the panels' controls cannot show must survive a save from the About page.
  const std::string odd = with_line(with_line(default_file(), "backup_ram=1", "backup_ram=7"),
                                    "soft_reset=y", "soft_reset=Y");
  folder.write("VOZ.INI", odd);
  window.Form_Load();
  click("imgabout");
  click("imgsave");
  EXPECT_EQ(saved(), odd);
}

TEST_F(MainWindowTest, CloseImageWritesNothing) {
  window.Form_Load();
  click("imgpanel");
  at("ch_global", 10).set_value(0);
  click("imgsonido");
  click("imgcerrar");
  EXPECT_EQ(saved(), default_file());
  EXPECT_TRUE(at("Tm1").enabled());
}

TEST_F(MainWindowTest, AFailedSaveKeepsTheWindowTheEditsAndTheOldFile) {
  window.Form_Load();
  click("imgsonido");
  at("com_sound_fre").set_text("22050");
  // A folder standing where VOZ.INI is: no longer the editor's file, so the user is asked, and
  // the replace they allow must fail and leave it in place.
  std::filesystem::remove(folder.path() / "VOZ.INI");
  std::filesystem::create_directory(folder.path() / "VOZ.INI");
  ws.answer = true;
  click("imgsave");

  EXPECT_EQ(ws.questions.size(), 1u);
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("VOZ.INI"), std::string::npos) << ws.messages[0];
  EXPECT_FALSE(at("Tm1").enabled()) << "no fade after a failed save";
  EXPECT_EQ(ws.closed, 0);
  EXPECT_EQ(ws.ends, 0);
  EXPECT_TRUE(at("pic_sound").shown());
  EXPECT_EQ(at("com_sound_fre").text(), "22050");
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "VOZ.INI"));

  // Once the cause is gone, saving again works.
  std::filesystem::remove(folder.path() / "VOZ.INI");
  click("imgsave");
  EXPECT_EQ(saved(), with_line(default_file(), "frequency=44100", "frequency=22050"));
}

TEST_F(MainWindowTest, AFailedSaveDuringAFadeStopsTheFadeAndKeepsTheWindow) {
  window.Form_Load();
  click("imgsonido");
  at("com_sound_fre").set_text("22050");
  click("imgcerrar");  // fading out without saving...
  for (int tick = 0; tick < 3; ++tick) window.Tm1_Timer();
  std::filesystem::remove(folder.path() / "VOZ.INI");
  std::filesystem::create_directory(folder.path() / "VOZ.INI");
  ws.answer = true;
  click("imgsave");  // ...then a save after all, which fails

  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_FALSE(at("Tm1").enabled());
  EXPECT_EQ(window.fade_level(), 0);
  EXPECT_EQ(ws.opacities.back(), 255) << "the window is opaque again";
  EXPECT_EQ(ws.closed, 0);
  EXPECT_EQ(at("com_sound_fre").text(), "22050");
}

TEST_F(MainWindowTest, AFileChangedSinceStartIsReplacedOnlyWhenTheUserSaysSo) {
  window.Form_Load();
  click("imgsonido");
  at("com_sound_fre").set_text("22050");
  const std::string theirs = with_line(default_file(), "vsync=n", "vsync=y");
  folder.write("VOZ.INI", theirs);  // the emulator saved meanwhile

  click("imgsave");  // going back: the default, and what Escape does
  ASSERT_EQ(ws.questions.size(), 1u);
  EXPECT_EQ(ws.questions[0], other_writer_question(folder.file("VOZ.INI")));
  EXPECT_NE(ws.questions[0].find(folder.file("VOZ.INI")), std::string::npos);
  EXPECT_NE(ws.questions[0].find("changed by another program since the editor opened it"),
            std::string::npos);
  EXPECT_EQ(saved(), theirs);
  EXPECT_FALSE(at("Tm1").enabled());
  EXPECT_EQ(ws.closed, 0);
  EXPECT_TRUE(ws.messages.empty());
  EXPECT_TRUE(at("pic_sound").shown());
  EXPECT_EQ(at("com_sound_fre").text(), "22050");

  ws.answer = true;
  click("imgsave");
  EXPECT_EQ(ws.questions.size(), 2u);
  EXPECT_EQ(saved(), with_line(default_file(), "frequency=44100", "frequency=22050"));
  EXPECT_TRUE(at("Tm1").enabled());

  // A second "Save & Quit" during the fade finds the editor's own bytes and asks nothing.
  window.Tm1_Timer();
  click("imgsave");
  EXPECT_EQ(ws.questions.size(), 2u);
  EXPECT_TRUE(at("Tm1").enabled());
}

TEST_F(MainWindowTest, OnlyOtherBytesCountAsAChangeAndADeletedFileIsJustWritten) {
  folder.write("VOZ.INI", with_line(default_file(), "vsync=n", "vsync=y"));
  window.Form_Load();
  // Written again with the same bytes (a touch, a copy back): nothing to lose, nothing asked.
  folder.write("VOZ.INI", with_line(default_file(), "vsync=n", "vsync=y"));
  click("imgsave");
  EXPECT_TRUE(ws.questions.empty());

  std::filesystem::remove(folder.path() / "VOZ.INI");
  click("imgsave");
  EXPECT_TRUE(ws.questions.empty());
  EXPECT_EQ(saved(), with_line(default_file(), "vsync=n", "vsync=y"));
  EXPECT_TRUE(ws.messages.empty());
}

TEST_F(MainWindowTest, GoingBackFromTheQuestionStopsAFadeUnderWay) {
  window.Form_Load();
  click("imgcerrar");
  for (int tick = 0; tick < 4; ++tick) window.Tm1_Timer();
  folder.write("VOZ.INI", "\r\n[sound]\r\nsound=n\r\n");
  click("imgsave");
  EXPECT_EQ(ws.questions.size(), 1u);
  EXPECT_FALSE(at("Tm1").enabled());
  EXPECT_EQ(window.fade_level(), 0);
  EXPECT_EQ(ws.opacities.back(), 255);
  EXPECT_EQ(saved(), "\r\n[sound]\r\nsound=n\r\n");
}

// Two editors started on one folder: whichever saves second is asked before it undoes the other.
TEST(TwoEditors, TheSecondToSaveIsAskedBeforeItUndoesTheFirst) {
  TempFolder folder;
  RecordingWindowSystem<> ws_a;
  RecordingWindowSystem<> ws_b;
  MainWindow a(folder.str(), ws_a);
  MainWindow b(folder.str(), ws_b);
  a.Form_Load();
  b.Form_Load();
  EXPECT_EQ(folder.read("VOZ.INI"), default_file());

  b.form().at("imgsonido").click();
  b.form().at("com_sound_fre").set_text("11025");
  b.imgsave_Click();
  EXPECT_TRUE(ws_b.questions.empty());
  const std::string bs = with_line(default_file(), "frequency=44100", "frequency=11025");
  EXPECT_EQ(folder.read("VOZ.INI"), bs);

  a.form().at("imgsonido").click();
  a.form().at("com_sound_fre").set_text("22050");
  a.imgsave_Click();
  EXPECT_EQ(ws_a.questions.size(), 1u);
  EXPECT_EQ(folder.read("VOZ.INI"), bs);
  ws_a.answer = true;
  a.imgsave_Click();
  EXPECT_EQ(folder.read("VOZ.INI"),
            with_line(default_file(), "frequency=44100", "frequency=22050"));

  // And B, saving again during its fade, now finds A's file: asked, and nothing written.
  b.imgsave_Click();
  EXPECT_EQ(ws_b.questions.size(), 1u);
  EXPECT_EQ(folder.read("VOZ.INI"),
            with_line(default_file(), "frequency=44100", "frequency=22050"));
  EXPECT_FALSE(b.form().at("Tm1").enabled());
}

// Both saving at once, the first one's disk slow: the second waits for the first to end, then
// finds its file and asks, rather than write between the first one's look and its rename.
TEST(TwoEditors, ASaveThatStartsWhileAnotherRunsWaitsForItAndThenAsks) {
  TempFolder folder;
  RecordingWindowSystem<> ws;
  MainWindow b(folder.str(), ws);
  b.Form_Load();
  b.form().at("imgsonido").click();
  b.form().at("com_sound_fre").set_text("11025");

  // Editor A is part way through its save: it holds the lock and has not renamed yet.
  const std::string as = with_line(default_file(), "vsync=n", "vsync=y");
  std::optional<files::SaveLock> a_saving;
  a_saving.emplace(folder.file("VOZ.INI"), folder.file("VOZ.INI"), true);
  std::thread second([&] { b.imgsave_Click(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  const std::string during = folder.read("VOZ.INI");
  folder.write("VOZ.INI", as);  // A's rename
  a_saving.reset();
  second.join();

  EXPECT_EQ(during, default_file()) << "the second save did not wait for the first";
  ASSERT_EQ(ws.questions.size(), 1u) << "A's file was replaced without a question";
  EXPECT_EQ(folder.read("VOZ.INI"), as);
  EXPECT_FALSE(b.form().at("Tm1").enabled()) << "B closes as if it had saved";
  EXPECT_EQ(b.form().at("com_sound_fre").text(), "11025");
  EXPECT_EQ(folder.entries(), (std::vector<std::string>{"VOZ.INI", "VOZ_backup.INI"}));
}

// Another editor saves between the look before the question and the write: the user is asked
// about that file too, and what they agreed to replace is not what gets replaced.
TEST(TwoEditors, AFileSavedAfterTheQuestionIsAskedAboutAgain) {
  TempFolder folder;
  RecordingWindowSystem<> ws;
  MainWindow b(folder.str(), ws);
  b.Form_Load();
  folder.write("VOZ.INI", with_line(default_file(), "vsync=n", "vsync=y"));
  const std::string third = with_line(default_file(), "gamma=1", "gamma=4");
  // While the first question is open, a third editor saves; the user says "Replace it" to the
  // first and "Go back" to the second.
  ws.answer = true;
  ws.while_open = [&] {
    folder.write("VOZ.INI", third);
    ws.answer = ws.questions.size() == 1;
  };
  b.imgsave_Click();
  EXPECT_EQ(ws.questions.size(), 2u);
  EXPECT_EQ(folder.read("VOZ.INI"), third);
  EXPECT_FALSE(b.form().at("Tm1").enabled());
}

#ifdef _WIN32
// The emulator holds VOZ.INI open without sharing: nothing changed, so nothing is asked; the
// message says the file is in use and that closing the program lets the save through.
TEST_F(MainWindowTest, AFileInUseIsNotTakenForAChangedOne) {
  window.Form_Load();
  click("imgsonido");
  at("com_sound_fre").set_text("22050");
  {
    const testing::HeldOpen emulator(folder.path() / "VOZ.INI", GENERIC_READ, 0);
    click("imgsave");
  }
  EXPECT_TRUE(ws.questions.empty()) << ws.questions[0];
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("another program (the emulator, perhaps) has the file open"),
            std::string::npos)
      << ws.messages[0];
  EXPECT_EQ(at("com_sound_fre").text(), "22050");
  EXPECT_EQ(ws.closed, 0);
  click("imgsave");
  EXPECT_EQ(saved(), with_line(default_file(), "frequency=44100", "frequency=22050"));
}
#endif

TEST_F(MainWindowTest, StartFailsWithoutWritingWhenVozIniCannotBeRead) {
  std::filesystem::create_directory(folder.path() / "VOZ.INI");
  EXPECT_THROW(window.Form_Load(), FileError);
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "VOZ.INI"));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "VOZ_backup.INI"));
}

TEST_F(MainWindowTest, AFailedBackupWarnsOnceAndStartGoesOn) {
#ifdef _WIN32
  GTEST_SKIP() << kNeedsARefusingFolder;
#else
  folder.write("VOZ.INI", with_line(default_file(), "vsync=n", "vsync=y"));
  testing::set_mode(folder.path(), 0555);  // no room for the backup
  const int result = testing::run_unprivileged([&] {
    window.Form_Load();
    const bool warned =
        ws.messages.size() == 1 && ws.messages[0].find("VOZ_backup.INI") != std::string::npos;
    return warned && window.table().value(row::vsync) == "y" && window.cur_panel() == kNoPanel
               ? int{testing::kRefused}
               : int{testing::kWrongError};
  });
  EXPECT_EQ(result, testing::kRefused);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"VOZ.INI"});
#endif
}

TEST_F(MainWindowTest, FadeStepsThroughTenOpacitiesAndClosesOnTheEleventhTick) {
  window.Form_Load();
  window.close_with_fade();
  EXPECT_EQ(window.fade_level(), 100);
  EXPECT_TRUE(ws.opacities.empty()) << "no opacity is set before the first tick";
  for (int tick = 0; tick < 10; ++tick) window.Tm1_Timer();
  EXPECT_EQ(ws.opacities, (std::vector<int>{255, 230, 204, 178, 153, 128, 102, 76, 51, 26}));
  EXPECT_EQ(ws.closed, 0);
  EXPECT_EQ(ws.event_runs, 10) << "each step lets pending events run";
  window.Tm1_Timer();
  EXPECT_EQ(ws.opacities.back(), 3);
  EXPECT_EQ(ws.closed, 1);
  EXPECT_FALSE(at("Tm1").enabled());
  EXPECT_EQ(ws.event_runs, 10) << "nothing runs after the close";
}

TEST_F(MainWindowTest, ASecondCloseRequestRestartsTheFade) {
  window.Form_Load();
  click("imgcerrar");
  for (int tick = 0; tick < 5; ++tick) window.Tm1_Timer();
  EXPECT_EQ(window.fade_level(), 50);
  click("imgcerrar");
  EXPECT_EQ(window.fade_level(), 100);
  window.Tm1_Timer();
  EXPECT_EQ(ws.opacities.back(), 255);
  // Navigation still works while fading.
  click("imgcd");
  EXPECT_TRUE(at("pic_cdrom").shown());
}

TEST_F(MainWindowTest, WithoutWindowOpacityClosingIsImmediate) {
  ws.opacity_supported = false;
  window.Form_Load();
  click("imgcerrar");
  EXPECT_EQ(ws.closed, 1);
  EXPECT_FALSE(at("Tm1").enabled());
  EXPECT_TRUE(ws.opacities.empty());
  window.Form_Unload();
  EXPECT_EQ(ws.ends, 1);
}

TEST_F(MainWindowTest, OnlyTheLeftButtonAloneDragsTheWindow) {
  for (int buttons : {0, 2, 3, 4, 5, 7}) window.picbarraalta_MouseMove(buttons);
  EXPECT_EQ(ws.moves, 0);
  window.picbarraalta_MouseMove(1);
  EXPECT_EQ(ws.moves, 1);
}

TEST_F(MainWindowTest, IntroImagesOpenThreeRootAddresses) {
  click("img_intro_a");
  click("img_intro_b");
  click("img_intro_c");
  ASSERT_EQ(ws.urls.size(), 3u);
  EXPECT_EQ(ws.urls[0], links::kEmulatorSite);
  for (const std::string& url : ws.urls) {
    EXPECT_EQ(url.rfind("https://", 0), 0u) << url;
    EXPECT_EQ(url.back(), '/') << url;
    EXPECT_NE(url.find(".example/"), std::string::npos) << url;
  }
  EXPECT_NE(ws.urls[0], ws.urls[1]);
  EXPECT_NE(ws.urls[1], ws.urls[2]);
  EXPECT_TRUE(ws.messages.empty());
}

TEST_F(MainWindowTest, ALinkWithoutABrowserShowsItsAddressAndTheProgramGoesOn) {
  ws.url_opens = false;
  click("img_intro_b");
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find(std::string("\n") + links::kDeveloperSite), std::string::npos)
      << ws.messages[0];
  EXPECT_NE(ws.messages[0].find("No web browser could be started"), std::string::npos);
  EXPECT_EQ(ws.closed, 0);
  EXPECT_EQ(ws.ends, 0);
}

TEST_F(MainWindowTest, TheTitleBarSaysWhichFileItEdits) {
  EXPECT_EQ(at("picbarraalta").tooltip, folder.file("VOZ.INI"));
  EXPECT_EQ(at("Label1").tooltip, folder.file("VOZ.INI"));
  // The path shows whole, whatever Windows-1252 can hold: it is the system's UTF-8.
  const std::string sep(1, files::separator());
  RecordingWindowSystem<> other_ws;
  const std::string name = "\u65E5\u672C\u8A9E\U0001F600\u20AC\u00F1";
  MainWindow other(folder.str() + sep + name, other_ws);
  const Control& bar = other.form().at("picbarraalta");
  EXPECT_EQ(bar.tooltip, folder.str() + sep + name + sep + "VOZ.INI");
  EXPECT_TRUE(bar.tooltip_utf8);
  const std::u16string shown = ViewCore::tooltip_text(bar);
  EXPECT_NE(shown.find(u"\u65E5\u672C\u8A9E\U0001F600\u20AC\u00F1"), std::u16string::npos);
  EXPECT_EQ(shown.find(u'?'), std::u16string::npos);
}

// VOZ.INI itself may be written; the folder refuses the new file a save makes beside it.
TEST_F(MainWindowTest, ASaveTheFolderRefusesNamesTheFolderNotTheFile) {
#ifdef _WIN32
  GTEST_SKIP() << kNeedsARefusingFolder;
#else
  window.Form_Load();
  testing::set_mode(folder.path() / "VOZ.INI", 0666);
  testing::set_mode(folder.path(), 0555);
  const int result = testing::run_unprivileged([&] {
    click("imgsave");
    if (ws.messages.size() != 1) return int{testing::kWrongError};
    const std::string& text = ws.messages[0];
    const bool folder_named =
        text.find("Cannot create a new file in the folder \"" + folder.str() +
                  "\": " + std::make_error_code(std::errc::permission_denied).message()) !=
        std::string::npos;
    const bool file_blamed = text.find("\"" + folder.file("VOZ.INI") + "\"") != std::string::npos;
    return folder_named && !file_blamed ? int{testing::kRefused} : int{testing::kWrongError};
  });
  EXPECT_EQ(result, testing::kRefused);
  EXPECT_EQ(saved(), default_file());
#endif
}

// What the user reads when start-up cannot go on.
TEST(StartFailureText, SaysWhatFailedInWords) {
  const std::string path = "/emu/VOZ.INI";
  const std::string created =
      start_failure_text(FileError(file_action::kCreate, path, "Permission denied"));
  EXPECT_EQ(created.rfind("VOZ.INI could not be created", 0), 0u) << created;
  EXPECT_NE(created.find("Cannot create \"/emu/VOZ.INI\": Permission denied"), std::string::npos);
  EXPECT_EQ(created.find("could not be read"), std::string::npos);

  const std::string unread = start_failure_text(
      FileError(file_action::kRead, path,
                "the file is 1073741824 bytes long; a settings file is never larger than 64 MiB"));
  EXPECT_EQ(unread.rfind("The settings could not be read", 0), 0u) << unread;
  EXPECT_NE(unread.find("\"/emu/VOZ.INI\": the file is 1073741824 bytes long"), std::string::npos);

  EXPECT_EQ(start_failure_text(std::bad_alloc()), "Start-up failed.\n\nthere is not enough memory");
  EXPECT_EQ(start_failure_text(std::runtime_error("no fonts")), "Start-up failed.\n\nno fonts");
  EXPECT_NE(no_program_folder_text().find("never falls back to the working folder"),
            std::string::npos);
}

// A first start in a folder that takes no new file: "could not be created", naming VOZ.INI.
TEST(StartFailureText, AFirstStartThatCannotCreateVozIniSaysSo) {
#ifdef _WIN32
  GTEST_SKIP() << kNeedsARefusingFolder;
#else
  TempFolder folder;
  testing::set_mode(folder.path(), 0555);
  const int result = testing::run_unprivileged([&] {
    RecordingWindowSystem<> ws;
    MainWindow window(folder.str(), ws);
    try {
      window.Form_Load();
      return int{testing::kSucceeded};
    } catch (const FileError& error) {
      const std::string text = start_failure_text(error);
      const bool says = error.action() == file_action::kCreate &&
                        error.path() == folder.file("VOZ.INI") &&
                        text.rfind("VOZ.INI could not be created", 0) == 0;
      return says ? int{testing::kRefused} : int{testing::kWrongError};
    }
  });
  EXPECT_EQ(result, testing::kRefused);
  EXPECT_TRUE(folder.entries().empty());
#endif
}

}  // namespace
}  // namespace quorvane
