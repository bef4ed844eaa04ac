#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/config_template.h"
#include "settings/settings_table.h"

namespace quorvane {

// What the template's comments say of each setting, read from the template itself so that the
// help the window gives is the file's own words and never a second copy of them.

// A closed range of whole numbers that a comment states, such as "(8000 - 48000)", "0-100",
// "1 (fast) to 10 (slow)", "50% (default) to 90%", or a list of codes "1 -> ... / .. / 15 -> ...".
struct StatedRange {
  long long low = 0;
  long long high = 0;
  bool percent = false;  // the comment writes its bounds with a per-cent sign

  // Whether a stored value lies in the range. An empty value is the emulator's own default and
  // always fits; anything else must be a whole number (with an optional "%" where the comment
  // writes one), nothing before or after it.
  bool contains(std::string_view value) const;
  // "8000 - 48000", "50% - 90%".
  std::string text() const;

  friend bool operator==(const StatedRange&, const StatedRange&) = default;
};

struct SettingNote {
  // The comment block above the row's line, each line without its leading "  ;", trimmed, with
  // runs of blanks made one and the "--" underlines and empty lines left out. Rows whose lines
  // stand together under one block (the resolutions, the system cards) share it.
  std::vector<std::string> lines;
  std::optional<StatedRange> range;
};

// The notes of every row, from `items` (the parsed template); section rows get none.
std::vector<SettingNote> read_setting_notes(std::span<const TemplateItem> items);

// The notes of the compiled-in template.
const SettingNote& setting_note(Row row);

// The first range that one of `lines` states, if any. Ranges count at the start of a line or
// inside brackets; "unlock keys 0 to 9" mid-sentence is not a range.
std::optional<StatedRange> find_stated_range(std::span<const std::string> lines);

}  // namespace quorvane
