#include <gtest/gtest.h>

#include <string>

#include "settings/config_file.h"
#include "settings/settings_table.h"
#include "test_support.h"

namespace quorvane {
namespace {

using testing::default_file;

TEST(ConfigWriter, DefaultTableGivesTheReferenceFileByteForByte) {
  ASSERT_EQ(default_file().size(), 8256u);
  const std::string text = config_text_for(SettingsTable{});
  EXPECT_EQ(text, default_file());

  ConfigFile file("unused");
  file.build_config_lines(SettingsTable{});
  file.build_config_text();
  EXPECT_EQ(file.cfg_text(), default_file());
  EXPECT_EQ(file.cfg_lines()[3], "[sound]");
  EXPECT_EQ(file.cfg_lines()[2], "frame_delay=");
  EXPECT_EQ(file.cfg_lines()[5], "frequency=44100");
}

TEST(ConfigWriter, DuplicateKeyTextIsWrittenUnderEachOfItsSections) {
  SettingsTable table;
  table.set_value(8, "p");
  table.set_value(34, "q");
  const std::string text = config_text_for(table);
  const auto sound = text.find("\r\n[sound]\r\n");
  const auto sound_line = text.find("\r\ninterpolation=p\r\n");
  const auto tv_mode = text.find("\r\n[tv_mode]\r\n");
  const auto tv_line = text.find("\r\ninterpolation=q\r\n");
  ASSERT_NE(sound_line, std::string::npos);
  ASSERT_NE(tv_line, std::string::npos);
  EXPECT_LT(sound, sound_line);
  EXPECT_LT(sound_line, tv_mode);
  EXPECT_LT(tv_mode, tv_line);
}

TEST(ConfigWriter, SettingValuesAreWrittenAsTheyAreAndSectionRowsAsTheirHeader) {
  SettingsTable table;
  table.set_value(65, "xxx");  // a folder that happens to be called xxx
  table.set_value(69, "C:\\emu\\a=b  ");
  table.set_value(4, " y");
  table.set_value(60, "\xB5:");
  table.set_value(0, "not a header");  // no panel does this; the header must survive anyway
  const std::string text = config_text_for(table);
  EXPECT_NE(text.find("\r\nsystem_card_1=xxx\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nconfig=C:\\emu\\a=b  \r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nsound= y\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\ndrive_letter=\xB5:\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n[emulation]\r\n"), std::string::npos);
  EXPECT_EQ(text.find("not a header"), std::string::npos);
  const std::string tail = "saved_games=\r\n";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

}  // namespace
}  // namespace quorvane
