// What the window offers beyond the settings' own controls: the keyboard's way through it, the
// context menus that undo a setting, the range signs, and browsing for the paths.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files/files.h"
#include "panels/help.h"
#include "recording_window_system.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"
#include "test_support.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using testing::default_file;
using testing::RecordingWindowSystem;
using testing::TempFolder;
using testing::with_line;

std::vector<std::string> names(const std::vector<const Control*>& controls) {
  std::vector<std::string> out;
  for (const Control* c : controls) out.push_back(c->display_name());
  return out;
}

class SettingActionsTest : public ::testing::Test {
 protected:
  TempFolder folder;
  RecordingWindowSystem<> ws;
  std::unique_ptr<MainWindow> window;

  void start(const std::string& file = default_file()) { start_in(folder.str(), file); }
  void start_in(const std::string& program_folder, const std::string& file) {
    fs::create_directories(program_folder);
    testing::write_bytes(fs::path(program_folder) / "VOZ.INI", file);
    window = std::make_unique<MainWindow>(program_folder, ws);
    window->Form_Load();
  }
  Control& at(const char* name, int index = -1) { return window->form().at(name, index); }
  std::vector<const Control*> on_screen_order() {
    std::vector<const Control*> shown;
    for (const Control* c : focus_order(window->form())) {
      if (window->form().on_screen(*c)) shown.push_back(c);
    }
    return shown;
  }
  void choose(const Control& c, std::size_t entry) {
    const std::vector<MenuEntry> menu = c.context_menu();
    ASSERT_GT(menu.size(), entry);
    menu[entry].choose();
  }
};

TEST_F(SettingActionsTest, TabWalksTheImagesThenTheCloseImageThenThePageOnShow) {
  start();
  EXPECT_EQ(names(on_screen_order()),
            (std::vector<std::string>{"imgpanel", "picpantalla", "imgsonido", "imgcontrol",
                                      "imgteclado", "imgcd", "imgabout", "imgcerrar", "img_intro_b",
                                      "img_intro_c", "img_intro_a"}));
  at("imgsonido").click();
  const std::vector<std::string> sound = names(on_screen_order());
  ASSERT_EQ(sound.size(), 9u + 11u);
  EXPECT_EQ(sound[6], "imgsave") << "Save & Quit in its place once shown";
  EXPECT_EQ(std::vector<std::string>(sound.begin() + 9, sound.end()),
            (std::vector<std::string>{"ch_global(14)", "com_sound_fre", "ch_global(15)",
                                      "ch_global(16)", "ch_global(17)", "com_sound_ilevel",
                                      "txt_sound_delay", "txt_sound_cd", "txt_sound_mvol",
                                      "txt_sound_fxvol", "txt_sound_cdvol"}));

  // The page-flip label comes last; on the sub-page each browse button follows its box, and
  // nothing of the page beneath is offered.
  at("imgpanel").click();
  EXPECT_EQ(names(on_screen_order()).back(), "lblvideo_1(51)");
  at("lblvideo_1", 51).click();
  const std::vector<std::string> paths = names(on_screen_order());
  const std::vector<std::string> page(paths.begin() + 9, paths.end());
  EXPECT_EQ(page,
            (std::vector<std::string>{
                "txt_panel_b_card1", "cmd_panel_b_card1", "txt_panel_b_card2", "cmd_panel_b_card2",
                "txt_panel_b_card3", "cmd_panel_b_card3", "txt_panel_b_card4", "cmd_panel_b_card4",
                "txt_panel_b_config", "cmd_panel_b_config", "txt_panel_b_screen",
                "cmd_panel_b_screen", "txt_panel_b_saved", "cmd_panel_b_saved", "lblvideo_1(52)"}));
  EXPECT_TRUE(window->form().covered(at("ch_global", 10)));
  EXPECT_TRUE(at("ch_global", 10).shown()) << "covered, not hidden";
}

TEST_F(SettingActionsTest, ImagesAndFlipLabelsArePushButtonsThatTheKeyboardWorks) {
  start();
  for (const char* image : {"imgpanel", "imgsave", "imgabout", "imgcerrar"}) {
    EXPECT_EQ(at(image).role, Role::PushButton) << image;
    EXPECT_TRUE(at(image).activatable) << image;
    // Save & Quit's tooltip goes on to list what a save would change.
    EXPECT_TRUE(at(image).tooltip.starts_with(at(image).accessible_name)) << image;
  }
  EXPECT_EQ(at("imgcerrar").accessible_name, "Close without saving");
  EXPECT_EQ(at("lblvideo_1", 20).role, Role::PushButton);
  EXPECT_FALSE(at("lblvideo_1", 7).activatable) << "a plain caption is not reached";
  EXPECT_EQ(at("img_intro_a").role, Role::Link);
  EXPECT_EQ(at("img_intro_a").accessible_name, links::kEmulatorSite);
  EXPECT_FALSE(takes_focus(at("imgraya2")));
  EXPECT_FALSE(takes_focus(at("warn_txt_sound_delay")));

  // A navigation image keeps the focus; a flip label that its sub-page now covers hands it to
  // the flip label on show, and back.
  at("picpantalla").click();
  EXPECT_EQ(focus_after_activation(window->form(), at("picpantalla")), &at("picpantalla"));
  at("lblvideo_1", 20).click();
  EXPECT_EQ(focus_after_activation(window->form(), at("lblvideo_1", 20)), &at("lblvideo_1", 21));
  at("lblvideo_1", 21).click();
  EXPECT_EQ(focus_after_activation(window->form(), at("lblvideo_1", 21)), &at("lblvideo_1", 20));
}

TEST_F(SettingActionsTest, TheMenuRestoresTheDefaultOrTheValueReadAsTheFillWould) {
  start(with_line(with_line(default_file(), "soft_reset=y", "soft_reset=n"), "frequency=44100",
                  "frequency=32000"));
  at("imgpanel").click();
  const std::vector<MenuEntry> menu = at("ch_global", 10).context_menu();
  ASSERT_EQ(menu.size(), 4u);
  EXPECT_EQ(menu[0].caption, "Restore default (Enable)");
  EXPECT_EQ(menu[1].caption, "Restore the value read from VOZ.INI (Disable)");
  choose(at("ch_global", 10), 0);
  EXPECT_EQ(at("ch_global", 10).value(), 1);
  EXPECT_EQ(at("ch_global", 10).caption(), "Enable") << "the click handler ran, as on a fill";
  choose(at("ch_global", 10), 1);
  EXPECT_EQ(at("ch_global", 10).value(), 0);

  // Entries show the value as it is when the menu opens, not when the window was made.
  at("imgsonido").click();
  at("com_sound_fre").set_text("11025");
  EXPECT_EQ(at("com_sound_fre").context_menu()[1].caption,
            "Restore the value read from VOZ.INI (32000)");
  choose(at("com_sound_fre"), 1);
  EXPECT_EQ(at("com_sound_fre").text(), "32000");
  choose(at("com_sound_fre"), 0);
  EXPECT_EQ(at("com_sound_fre").text(), "44100");

  // Any button of an option group restores the whole group.
  at("picpantalla").click();
  at("op_video_winmodo", 0).set_option_value(true);
  EXPECT_EQ(at("op_video_winmodo", 1).context_menu()[1].caption,
            "Restore the value read from VOZ.INI (Fullscreen)");
  choose(at("op_video_winmodo", 1), 1);
  EXPECT_TRUE(at("op_video_winmodo", 1).option_value());
  EXPECT_FALSE(at("op_video_winmodo", 0).option_value());
  EXPECT_TRUE(at("Dri_panel_list").context_menu().empty()) << "a chooser, not a setting";
}

TEST_F(SettingActionsTest, RestoringACodeTheComboCannotShowRestoresTheRowToo) {
  start(with_line(default_file(), "frame_delay=", "frame_delay=16667"));
  at("imgpanel").click();
  ASSERT_EQ(at("com_panel_hz").text(), "");
  EXPECT_EQ(at("com_panel_hz").context_menu()[1].caption,
            "Restore the value read from VOZ.INI (16667)");
  EXPECT_EQ(at("com_panel_hz").context_menu()[0].caption, "Restore default (60 Hz)");
  // 61 Hz is picked and collected by a visit elsewhere, then the read value is restored.
  at("com_panel_hz").set_text("61 Hz");
  at("imgsonido").click();
  at("imgpanel").click();
  choose(at("com_panel_hz"), 1);
  window->imgsave_Click();
  const std::string saved = folder.read("VOZ.INI");
  EXPECT_NE(saved.find("\r\nframe_delay=16667\r\n"), std::string::npos);
}

TEST_F(SettingActionsTest, ASignMarksAValueOutsideItsRangeAndTheValueIsKept) {
  start(with_line(with_line(default_file(), "delay=", "delay=50"),
                  "frame_delay=", "frame_delay=20000"));
  EXPECT_TRUE(at("warn_txt_sound_delay").visible());
  EXPECT_TRUE(at("warn_com_panel_hz").visible()) << "the row's own value, which the combo keeps";
  EXPECT_FALSE(at("warn_txt_sound_mvol").visible()) << "empty: the emulator's own default";
  at("imgsonido").click();
  for (const auto& [text, marked] : std::vector<std::pair<std::string, bool>>{
           {"20", false}, {"2", false}, {"31", true}, {"abc", true}, {"", false}, {"1", true}}) {
    at("txt_sound_delay").set_text(text);
    EXPECT_EQ(at("warn_txt_sound_delay").visible(), marked) << text;
  }
  choose(at("txt_sound_delay"), 1);
  EXPECT_TRUE(at("warn_txt_sound_delay").visible()) << "restored to 50";
  at("imgpanel").click();
  at("com_panel_hz").set_text("59 Hz");
  EXPECT_FALSE(at("warn_com_panel_hz").visible());
  choose(at("com_panel_hz"), 1);
  EXPECT_TRUE(at("warn_com_panel_hz").visible());
  window->imgsave_Click();
  const std::string saved = folder.read("VOZ.INI");
  EXPECT_NE(saved.find("\r\ndelay=50\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nframe_delay=20000\r\n"), std::string::npos);
}

TEST_F(SettingActionsTest, APathThatLeadsNowhereIsSignedFromTheStartAndKeptAsItStands) {
  start(with_line(default_file(), "config=", "config=nowhere"));
  const Control& sign = at("warn_txt_panel_b_config");
  EXPECT_TRUE(sign.visible()) << "the value VOZ.INI held is looked at before the window shows";
  EXPECT_EQ(sign.tooltip.substr(0, sign.tooltip.find('\n')),
            "Not found: " + files::join(folder.str(), "nowhere"));
  EXPECT_FALSE(at("warn_txt_panel_b_card1").visible()) << "an empty box leads nowhere either";

  fs::create_directory(folder.path() / "there");
  Control& config = at("txt_panel_b_config");
  for (const auto& [text, marked] : std::vector<std::pair<std::string, bool>>{
           {"there", false}, {"", false}, {"VOZ.INI", true}, {"there", false}, {"gone", true}}) {
    config.set_text(text);
    EXPECT_EQ(sign.visible(), marked) << text;
  }
  EXPECT_NE(sign.tooltip.find(files::join(folder.str(), "gone")), std::string::npos)
      << "follows the text";
  // A file is what a card needs.
  at("txt_panel_b_card1").set_text("VOZ.INI");
  EXPECT_FALSE(at("warn_txt_panel_b_card1").visible());
  at("txt_panel_b_card1").set_text("there");
  EXPECT_TRUE(at("warn_txt_panel_b_card1").visible());

  at("imgpanel").click();
  window->imgsave_Click();
  EXPECT_NE(folder.read("VOZ.INI").find("\r\nconfig=gone\r\n"), std::string::npos);
}

// The program in the emulator's folder inside a Wine prefix with drives c: and d:.
class BrowseTest : public SettingActionsTest {
 protected:
  fs::path root = fs::canonical(folder.path());
  fs::path prefix = root / "prefix";
  fs::path program = prefix / "drive_c" / "Quorvane";
  fs::path cdrom = root / "cdrom";

  void SetUp() override {
#ifdef _WIN32
    // The emulator runs on the same Windows: a chosen path is written as it is, which the
    // Windows view's own tests show.
    GTEST_SKIP() << "drive paths of a Wine prefix are chosen on Linux only";
#endif
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c" / "Cards");
    fs::create_directories(cdrom / "Shots");
    fs::create_symlink("../drive_c", prefix / "dosdevices" / "c:");
    fs::create_symlink(cdrom, prefix / "dosdevices" / "d:");
    testing::write_bytes(prefix / "drive_c" / "Cards" / "card.pce", "");
    start_in(program.string(), default_file());
    at("imgpanel").click();
    at("lblvideo_1", 51).click();
  }
};

TEST_F(BrowseTest, AChosenFileIsWrittenAsADrivePathOfThePrefix) {
  ws.chosen = (prefix / "drive_c" / "Cards" / "card.pce").string();
  at("cmd_panel_b_card1").click();
  ASSERT_EQ(ws.choices.size(), 1u);
  EXPECT_FALSE(ws.choices[0].folder);
  EXPECT_EQ(ws.choices[0].title, "System card 1");
  EXPECT_EQ(ws.choices[0].start, program.string()) << "an empty box opens in the program's folder";
  EXPECT_EQ(at("txt_panel_b_card1").text(), "C:\\Cards\\card.pce");

  // Next time the chooser opens at the file; a box whose folder is gone opens above it.
  at("cmd_panel_b_card1").click();
  EXPECT_EQ(ws.choices[1].start, (prefix / "drive_c" / "Cards" / "card.pce").string());
  at("txt_panel_b_card2").set_text("C:\\Cards\\Old\\gone.pce");
  ws.chosen.reset();
  at("cmd_panel_b_card2").click();
  EXPECT_EQ(ws.choices[2].start, (prefix / "drive_c" / "Cards").string());
  EXPECT_EQ(at("txt_panel_b_card2").text(), "C:\\Cards\\Old\\gone.pce") << "cancelled";

  // A drive whose link leads nowhere (an unplugged disc): its boxes open in the program's
  // folder, not at the root of the system, which no drive reaches.
  fs::create_symlink(root / "unplugged", prefix / "dosdevices" / "e:");
  at("txt_panel_b_card4").set_text("E:\\Cards\\card.pce");
  at("cmd_panel_b_card4").click();
  EXPECT_EQ(ws.choices.back().start, program.string());

  ws.chosen = (cdrom / "Shots").string();
  at("cmd_panel_b_screen").click();
  EXPECT_TRUE(ws.choices.back().folder);
  EXPECT_EQ(at("txt_panel_b_screen").text(), "D:\\Shots");
  EXPECT_TRUE(ws.messages.empty());
}

TEST_F(BrowseTest, APathNoDriveReachesIsRefusedWithTheReason) {
  at("txt_panel_b_config").set_text("C:\\Config");
  fs::create_directories(root / "elsewhere");
  ws.chosen = (root / "elsewhere").string();
  at("cmd_panel_b_config").click();
  EXPECT_EQ(at("txt_panel_b_config").text(), "C:\\Config");
  ASSERT_EQ(ws.messages.size(), 1u);
  const std::string& message = ws.messages[0];
  EXPECT_NE(message.find((root / "elsewhere").string()), std::string::npos) << message;
  EXPECT_NE(message.find("no drive of the Wine prefix"), std::string::npos) << message;
  EXPECT_NE(message.find("c: " + (prefix / "drive_c").string()), std::string::npos)
      << "names the drives there are, with where they lead";

  // A name Windows-1252 cannot hold is refused too.
  ws.chosen = (prefix / "drive_c" / "Cards" / "\xFF.pce").string();
  at("cmd_panel_b_card3").click();
  EXPECT_EQ(at("txt_panel_b_card3").text(), "");
  ASSERT_EQ(ws.messages.size(), 2u);
  EXPECT_NE(ws.messages[1].find("Windows-1252"), std::string::npos) << ws.messages[1];
}

TEST_F(BrowseTest, ADrivePathIsSignedWhereThePrefixsDriveLeadsAndAnUnknownDriveIsNot) {
  const Control& sign = at("warn_txt_panel_b_card1");
  Control& card = at("txt_panel_b_card1");
  card.set_text("C:\\Cards\\card.pce");
  EXPECT_FALSE(sign.visible());
  card.set_text("C:\\Cards\\gone.pce");
  ASSERT_TRUE(sign.visible());
  EXPECT_EQ(sign.tooltip.substr(0, sign.tooltip.find('\n')),
            "Not found: " + (prefix / "drive_c" / "Cards" / "gone.pce").string());
  card.set_text("Q:\\Cards\\card.pce");
  EXPECT_FALSE(sign.visible()) << "no drive of the prefix explains Q:";
  card.set_text("C:\\Cards");
  EXPECT_TRUE(sign.visible()) << "a folder where a file is wanted";
  at("txt_panel_b_screen").set_text("D:\\Shots");
  EXPECT_FALSE(at("warn_txt_panel_b_screen").visible());
  at("txt_panel_b_screen").set_text("d:/Shots/More");
  EXPECT_TRUE(at("warn_txt_panel_b_screen").visible());
  EXPECT_EQ(card.text(), "C:\\Cards") << "only marked";
}

TEST_F(BrowseTest, ADroppedFileOrFolderGoesInAsTheChoosersWouldOrIsRefusedWithTheReason) {
  const std::string card = (prefix / "drive_c" / "Cards" / "card.pce").string();
  at("txt_panel_b_card1").drop({card});
  EXPECT_EQ(at("txt_panel_b_card1").text(), "C:\\Cards\\card.pce");
  at("cmd_panel_b_card2").drop({card});
  EXPECT_EQ(at("txt_panel_b_card2").text(), "C:\\Cards\\card.pce") << "on the button too";
  at("txt_panel_b_screen").drop({(cdrom / "Shots").string()});
  EXPECT_EQ(at("txt_panel_b_screen").text(), "D:\\Shots");
  EXPECT_TRUE(ws.messages.empty());
  EXPECT_TRUE(ws.choices.empty()) << "no chooser opens";

  // Refused: the other kind, several at once, a place no drive reaches.
  at("txt_panel_b_card3").drop({(cdrom / "Shots").string()});
  at("cmd_panel_b_saved").drop({card});
  at("txt_panel_b_card4").drop({card, card});
  fs::create_directories(root / "elsewhere");
  at("txt_panel_b_config").drop({(root / "elsewhere").string()});
  for (const char* box :
       {"txt_panel_b_card3", "txt_panel_b_saved", "txt_panel_b_card4", "txt_panel_b_config"}) {
    EXPECT_EQ(at(box).text(), "") << box;
  }
  ASSERT_EQ(ws.messages.size(), 4u);
  EXPECT_NE(ws.messages[0].find("It is a folder, not a file."), std::string::npos)
      << ws.messages[0];
  EXPECT_NE(ws.messages[0].find("\"" + (cdrom / "Shots").string() +
                                "\" is not written into System card 3."),
            std::string::npos)
      << ws.messages[0];
  EXPECT_NE(ws.messages[1].find("It is a file, not a folder."), std::string::npos)
      << ws.messages[1];
  EXPECT_NE(ws.messages[2].find("Several were dropped; drop one at a time."), std::string::npos)
      << ws.messages[2];
  EXPECT_NE(ws.messages[3].find("no drive of the Wine prefix"), std::string::npos)
      << "the chooser's own reason";
}

}  // namespace
}  // namespace quorvane
