#include "settings/settings_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings_table_printer.h"

namespace quorvane {
namespace {

TEST(SettingsTable, SectionsStandWhereTheFileHasThem) {
  std::vector<Row> headers;
  for (Row row : kAllRows) {
    if (SettingsTable::is_section_row(row)) {
      headers.push_back(row);
      EXPECT_EQ(SettingsTable::default_value(row), SettingsTable::kSectionValue);
    }
    // Every row belongs to the nearest header above it.
    EXPECT_EQ(SettingsTable::section(row), SettingsTable::key(headers.back()))
        << SettingsTable::name(row);
  }
  EXPECT_EQ(headers,
            (std::vector<Row>{row::emulation_section, row::sound_section, row::video_section,
                              row::tv_mode_section, row::gamepad_section, row::keyboard_section,
                              row::load_section, row::misc_section, row::cdrom_section,
                              row::path_section}));
  // Each section row's name is its header's.
  for (Row header : headers) {
    EXPECT_EQ(
        std::string(SettingsTable::name(header)),
        std::string(SettingsTable::key(header)).substr(1, SettingsTable::key(header).size() - 2) +
            "_section");
  }
}

TEST(SettingsTable, RowsSharingAKeyTextKeepTheirOwnValues) {
  ASSERT_EQ(SettingsTable::key(row::sound_interpolation),
            SettingsTable::key(row::tv_interpolation));
  SettingsTable table;
  EXPECT_EQ(table.value(row::sound_interpolation), "n");
  EXPECT_EQ(table.value(row::tv_interpolation), "y");
  table.set_value(row::sound_interpolation, "sound");
  EXPECT_EQ(table.value(row::tv_interpolation), "y");
  table.set_value(row::tv_interpolation, "tv");
  EXPECT_EQ(table.value(row::sound_interpolation), "sound");
  EXPECT_NE(table, SettingsTable{});
}

}  // namespace
}  // namespace quorvane
