#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quorvane {

// The 72 rows of VOZ.INI: ten section headers and 62 settings, in the file's own order.
// Rows are addressed by number; values are the file's bytes (Windows-1252), never trimmed or
// converted. Row 8 and row 34 share the key text "interpolation=" and are told apart only by
// their section, which is why nothing here looks a row up by key alone.
class SettingsTable {
 public:
  static constexpr int kRowCount = 72;
  // The value a section row carries; the writer emits the key text alone for it.
  static constexpr std::string_view kSectionValue = "xxx";

  // A table holding the design-time defaults.
  SettingsTable();

  const std::string& value(int row) const;
  void set_value(int row, std::string value);

  // "[sound]" for a section row, "frequency=" for a setting row.
  static std::string_view key(int row);
  // The section the row belongs to, brackets included ("[tv_mode]").
  static std::string_view section(int row);
  static bool is_section_row(int row);
  static std::string_view default_value(int row);
  static constexpr int row_count() { return kRowCount; }

  friend bool operator==(const SettingsTable&, const SettingsTable&) = default;

 private:
  std::array<std::string, kRowCount> values_;
};

}  // namespace quorvane
