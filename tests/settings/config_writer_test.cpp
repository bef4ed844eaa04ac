#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <variant>

#include "settings/config_file.h"
#include "settings/config_template.h"
#include "settings/settings_table.h"
#include "test_support.h"

namespace quorvane {
namespace {

using testing::default_file;

TEST(ConfigWriter, DefaultTableGivesTheReferenceFileByteForByte) {
  ASSERT_EQ(default_file().size(), 8256u);
  const std::string text = build_config_text(SettingsTable{});
  EXPECT_EQ(text, default_file());

  const ConfigLines lines = build_config_lines(SettingsTable{});
  EXPECT_EQ(lines[slot(row::sound_section)], "[sound]");
  EXPECT_EQ(lines[slot(row::frame_delay)], "frame_delay=");
  EXPECT_EQ(lines[slot(row::frequency)], "frequency=44100");
}

TEST(ConfigTemplate, HoldsEveryRowOnceInFileOrderAndWritesUpToTheLastRow) {
  const std::span<const TemplateItem> items = config_template();
  EXPECT_EQ(items.size(), 614u);
  EXPECT_EQ(written_template_items(), 612u);
  int next = 0;
  for (const TemplateItem& item : items) {
    if (const Row* row = std::get_if<Row>(&item)) {
      EXPECT_EQ(number(*row), next++);
    }
  }
  EXPECT_EQ(next, kRowCount);
  EXPECT_TRUE(std::holds_alternative<Row>(items[written_template_items() - 1]));
}

TEST(ConfigTemplate, AMarkerThatIsMisspeltMisplacedOrMissingIsRefused) {
  std::string all_rows;
  for (Row row : kAllRows) all_rows += "@" + std::string(SettingsTable::name(row)) + "\n";
  EXPECT_EQ(parse_config_template(all_rows).items.size(), 72u);

  std::string misspelt = all_rows;
  misspelt.replace(misspelt.find("@vsync"), 6, "@vsinc");
  EXPECT_THROW(parse_config_template(misspelt), std::logic_error);

  std::string swapped = all_rows;
  swapped.replace(swapped.find("@res_256"), 8, "@res_320");
  EXPECT_THROW(parse_config_template(swapped), std::logic_error);

  const std::string missing = all_rows.substr(0, all_rows.find("@saved_games"));
  try {
    parse_config_template(missing);
    ADD_FAILURE() << "a template without its last row was taken";
  } catch (const std::logic_error& error) {
    EXPECT_NE(std::string(error.what()).find("saved_games"), std::string::npos) << error.what();
  }
}

TEST(ConfigWriter, DuplicateKeyTextIsWrittenUnderEachOfItsSections) {
  SettingsTable table;
  table.set_value(row::sound_interpolation, "p");
  table.set_value(row::tv_interpolation, "q");
  const std::string text = build_config_text(table);
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
  table.set_value(row::system_card_1, "xxx");  // a folder that happens to be called xxx
  table.set_value(row::config_path, "C:\\emu\\a=b  ");
  table.set_value(row::sound, " y");
  table.set_value(row::drive_letter, "\xB5:");
  table.set_value(row::emulation_section,
                  "not a header");  // no panel does this; the header must survive anyway
  const std::string text = build_config_text(table);
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
