#pragma once

#include <ostream>

#include "settings/settings_table.h"

namespace quorvane {

// Lets GoogleTest show a table as its rows rather than as raw bytes. Include it in every file of
// a test program that compares tables, so that all of them print tables the same way.
inline void PrintTo(const SettingsTable& table, std::ostream* out) {
  for (int row = 0; row < SettingsTable::kRowCount; ++row) {
    *out << "\n  " << row << " " << SettingsTable::key(row) << "\"" << table.value(row) << "\"";
  }
}

}  // namespace quorvane
