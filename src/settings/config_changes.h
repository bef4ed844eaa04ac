#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_table.h"

namespace quorvane {

// One setting whose line a save writes with another value, or writes where the file had none.
struct SettingChange {
  Row row;
  std::optional<std::string> before;  // nullopt: the file has no line for it
  std::string after;
};

// What writing `written` over a VOZ.INI that held `read` changes in it, line by line: the settings
// first, then the lines the regeneration from the template puts back or leaves out.
struct ConfigChanges {
  bool unchanged = false;               // the file keeps every byte
  std::vector<SettingChange> settings;  // in file order
  int comments_restored = 0;            // comment and blank lines of the template the file lacks
  int headers_restored = 0;             // section headers the file lacks
  int comments_dropped = 0;             // comment and blank lines of the file's own
  int unknown_dropped = 0;     // keys and sections the table does not have, and stray lines
  int duplicates_dropped = 0;  // a header or key again: the reader kept the first
  int lines_respelt = 0;       // a known header or key written otherwise ("VSync=", "[Sound]")
  int line_ends = 0;           // line ends that become CR LF, a missing last one among them
  bool mark_dropped = false;   // the file began with a UTF-8 mark
  bool from_utf16 = false;     // the file was UTF-16 text; it becomes Windows-1252
  // Nothing above tells the difference: the lines only stand in another order.
  bool reordered = false;
};

// `read`: the text the settings were read from (Windows-1252; `read_utf16` when the file itself
// was UTF-16 text); `written`: the bytes a save would write.
ConfigChanges compare_config(std::string_view read, bool read_utf16, std::string_view written);

// The changes as the user reads them, UTF-8, one setting a line ("[video] vsync: n → y", an empty
// value as "(empty)"), at most `longest_list` of them and then "and N more", then the counts.
std::string describe_changes(const ConfigChanges& changes, std::size_t longest_list = 12);

}  // namespace quorvane
