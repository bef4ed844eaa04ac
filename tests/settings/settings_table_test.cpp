#include "settings/settings_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "settings_table_printer.h"

namespace quorvane {
namespace {

TEST(SettingsTable, SectionsStandWhereTheFileHasThem) {
  std::vector<int> headers;
  for (int row = 0; row < SettingsTable::kRowCount; ++row) {
    if (SettingsTable::is_section_row(row)) {
      headers.push_back(row);
      EXPECT_EQ(SettingsTable::default_value(row), SettingsTable::kSectionValue);
    }
    // Every row belongs to the nearest header above it.
    EXPECT_EQ(SettingsTable::section(row), SettingsTable::key(headers.back())) << "row " << row;
  }
  EXPECT_EQ(headers, (std::vector<int>{0, 3, 15, 31, 38, 42, 50, 53, 58, 64}));
}

TEST(SettingsTable, RowsSharingAKeyTextKeepTheirOwnValues) {
  ASSERT_EQ(SettingsTable::key(8), SettingsTable::key(34));
  SettingsTable table;
  EXPECT_EQ(table.value(8), "n");
  EXPECT_EQ(table.value(34), "y");
  table.set_value(8, "sound");
  EXPECT_EQ(table.value(34), "y");
  table.set_value(34, "tv");
  EXPECT_EQ(table.value(8), "sound");
  EXPECT_NE(table, SettingsTable{});
}

}  // namespace
}  // namespace quorvane
