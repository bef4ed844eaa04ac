// The one start-up of both programs, with a front end that records what it is handed.

#include "shell/start_up.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "recording_window_system.h"
#include "settings/settings_table.h"
#include "test_support.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using FakeWindowSystem = testing::RecordingWindowSystem<>;
using testing::TempFolder;

struct RecordingStart {
  FakeWindowSystem ws;
  std::vector<std::string> reports;
  int shown = 0;
  std::string drive_tooltip;
  std::string first_value;
  bool unload_given = false;

  int run(const std::optional<std::string>& folder) {
    return run_editor(folder, {ws, [this](const std::string& text) { reports.push_back(text); },
                               [this](Form& form, ViewEvents events) {
                                 ++shown;
                                 drive_tooltip = form.at("dr_cdrom_letter").tooltip +
                                                 form.at("dr_cdrom_letter").drive();
                                 first_value = form.at("ch_global", 0).caption();
                                 unload_given = static_cast<bool>(events.unload);
                                 if (events.unload) events.unload();
                                 return 7;
                               }});
  }
};

TEST(StartUp, AWindowIsHandedOverFilledAndItsExitCodeIsTheProgramsOwn) {
  TempFolder folder;
  RecordingStart start;
  EXPECT_EQ(start.run(folder.str()), 7);
  EXPECT_EQ(start.shown, 1);
  EXPECT_TRUE(start.reports.empty());
  EXPECT_TRUE(fs::exists(folder.path() / "VOZ.INI")) << "written from the defaults";
  EXPECT_TRUE(fs::exists(folder.path() / "VOZ_backup.INI"));
  EXPECT_FALSE(start.first_value.empty()) << "the controls were filled before the window showed";
  EXPECT_FALSE(start.drive_tooltip.empty()) << "the drive lists show a drive or say why not";
  EXPECT_TRUE(start.unload_given);
  EXPECT_EQ(start.ws.ends, 1) << "closing the window ends the program";
}

TEST(StartUp, AStartThatFailsSaysWhyShowsNoWindowAndWritesNothing) {
  RecordingStart no_folder;
  EXPECT_EQ(no_folder.run(std::nullopt), 1);
  ASSERT_EQ(no_folder.reports.size(), 1u);
  EXPECT_NE(no_folder.reports[0].find("cannot find the folder it was started from"),
            std::string::npos);
  EXPECT_EQ(no_folder.shown, 0);

  TempFolder folder;
  fs::create_directory(folder.path() / "VOZ.INI");
  RecordingStart unreadable;
  EXPECT_EQ(unreadable.run(folder.str()), 1);
  ASSERT_EQ(unreadable.reports.size(), 1u);
  EXPECT_NE(unreadable.reports[0].find("VOZ.INI"), std::string::npos) << unreadable.reports[0];
  EXPECT_EQ(unreadable.shown, 0);
  EXPECT_FALSE(fs::exists(folder.path() / "VOZ_backup.INI"));
}

TEST(StartUp, OneFolderIsOneInstanceNameHoweverItIsWritten) {
  const std::string name = instance_name("/games/emu", false);
  EXPECT_TRUE(name.starts_with("quorvane-config-")) << name;
  EXPECT_EQ(instance_name("/games/emu/", false), name);
  EXPECT_NE(instance_name("/games/emu2", false), name);
  EXPECT_NE(instance_name("/games/Emu", false), name) << "Linux names differ by case";
  EXPECT_NE(instance_name("/", false), instance_name("", false)) << "the root stays itself";

  const std::string windows = instance_name("C:\\Games\\Emu", true);
  EXPECT_EQ(instance_name("c:\\games\\EMU\\", true), windows);
  EXPECT_EQ(instance_name("C:/Games/Emu", true), windows);
  EXPECT_NE(instance_name("C:\\Games\\Emu2", true), windows);
  EXPECT_NE(instance_name("D:\\Games\\Emu", true), windows);
}

}  // namespace
}  // namespace quorvane
