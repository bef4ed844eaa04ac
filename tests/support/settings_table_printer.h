#pragma once

#include <ostream>

#include "settings/settings_table.h"

namespace quorvane {

// A row shows as its name in test messages.
inline std::ostream& operator<<(std::ostream& out, Row row) {
  return out << SettingsTable::name(row);
}

// Lets GoogleTest show a table as its rows rather than as raw bytes. Include it in every file of
// a test program that compares tables, so that all of them print tables the same way.
inline void PrintTo(const SettingsTable& table, std::ostream* out) {
  for (Row row : kAllRows) {
    *out << "\n  " << SettingsTable::name(row) << " " << SettingsTable::key(row) << "\""
         << table.value(row) << "\"";
  }
}

}  // namespace quorvane
