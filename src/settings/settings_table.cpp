#include "settings/settings_table.h"

namespace quorvane {

namespace {

struct RowInfo {
  std::string_view name;
  std::string_view section;
  std::string_view key;
  std::string_view default_value;
};

constexpr std::array<RowInfo, kRowCount> kRows{{
#define QUORVANE_ROW_INFO(name, section, key, default_value) {#name, section, key, default_value},
    QUORVANE_SETTING_ROWS(QUORVANE_ROW_INFO)
#undef QUORVANE_ROW_INFO
}};

const RowInfo& info(Row row) { return kRows[slot(row)]; }

}  // namespace

SettingsTable::SettingsTable() {
  for (Row row : kAllRows) values_[slot(row)] = std::string(info(row).default_value);
}

std::string_view SettingsTable::key(Row row) { return info(row).key; }

std::string_view SettingsTable::section(Row row) { return info(row).section; }

bool SettingsTable::is_section_row(Row row) { return info(row).key == info(row).section; }

std::string_view SettingsTable::default_value(Row row) { return info(row).default_value; }

std::string_view SettingsTable::name(Row row) { return info(row).name; }

}  // namespace quorvane
