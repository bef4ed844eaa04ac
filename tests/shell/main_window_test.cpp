#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "fake_window_system.h"
#include "test_support.h"

namespace quorvane {
namespace {

using testing::default_file;
using testing::FakeWindowSystem;
using testing::TempFolder;
using testing::with_line;

class MainWindowTest : public ::testing::Test {
 protected:
  TempFolder folder;
  FakeWindowSystem ws;
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
  // A folder standing where VOZ.INI is: the replace must fail and leave it in place.
  std::filesystem::remove(folder.path() / "VOZ.INI");
  std::filesystem::create_directory(folder.path() / "VOZ.INI");
  click("imgsave");

  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("VOZ.INI"), std::string::npos) << ws.messages[0];
  EXPECT_FALSE(at("Tm1").enabled()) << "no fade after a failed save";
  EXPECT_EQ(ws.closed, 0);
  EXPECT_EQ(ws.ended, 0);
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
  click("imgsave");  // ...then a save after all, which fails

  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_FALSE(at("Tm1").enabled());
  EXPECT_EQ(window.fade_level(), 0);
  EXPECT_EQ(ws.opacities.back(), 255) << "the window is opaque again";
  EXPECT_EQ(ws.closed, 0);
  EXPECT_EQ(at("com_sound_fre").text(), "22050");
}

TEST_F(MainWindowTest, StartFailsWithoutWritingWhenVozIniCannotBeRead) {
  std::filesystem::create_directory(folder.path() / "VOZ.INI");
  EXPECT_THROW(window.Form_Load(), FileError);
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "VOZ.INI"));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "VOZ_backup.INI"));
}

TEST_F(MainWindowTest, AFailedBackupWarnsOnceAndStartGoesOn) {
  folder.write("VOZ.INI", with_line(default_file(), "vsync=n", "vsync=y"));
  std::filesystem::create_directory(folder.path() / "VOZ_backup.INI");
  std::filesystem::create_directory(folder.path() / "VOZ_backup.INI" / "in-the-way");
  window.Form_Load();
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("VOZ_backup.INI"), std::string::npos) << ws.messages[0];
  EXPECT_EQ(window.table().value(row::vsync), "y");
  EXPECT_EQ(window.cur_panel(), kNoPanel);
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
  EXPECT_EQ(ws.ended, 1);
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

}  // namespace
}  // namespace quorvane
