// Any bytes as VOZ.INI: reading must not crash or run off the end of the text, and what the
// editor writes for the values it read must read back to exactly those values, so a file that
// goes through the editor once reaches a fixed point and loses nothing on later saves.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/config_file.h"
#include "settings/settings_table.h"

namespace {

using quorvane::kAllRows;
using quorvane::Row;
using quorvane::SettingsTable;

[[noreturn]] void fail(const char* what, std::string_view row) {
  std::fprintf(stderr, "settings round trip broken: %s (%.*s)\n", what,
               static_cast<int>(row.size()), row.data());
  std::abort();
}

void check(bool holds, const char* what, Row row) {
  if (!holds) fail(what, SettingsTable::name(row));
}

void check(bool holds, const char* what) {
  if (!holds) fail(what, "the whole text");
}

// Every setting value differs from the same row of `table`, so a row that the text does not
// fill shows up as a difference.
SettingsTable unlike(const SettingsTable& table) {
  SettingsTable other;
  for (Row row : kAllRows) {
    if (!SettingsTable::is_section_row(row)) other.set_value(row, table.value(row) + "\x7f");
  }
  return other;
}

std::size_t count(std::string_view text, char c) {
  std::size_t n = 0;
  for (char x : text) n += x == c ? 1 : 0;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  SettingsTable first;
  quorvane::parse_config_text(input, first);

  // Reading the same bytes over a table holding other values fills the same rows with the same
  // values and leaves the rest alone: nothing depends on what the table held before.
  const SettingsTable defaults;
  const SettingsTable before = unlike(defaults);
  SettingsTable over_other = before;
  quorvane::parse_config_text(input, over_other);

  for (Row row : kAllRows) {
    const std::string& value = first.value(row);
    if (SettingsTable::is_section_row(row)) {
      check(value == SettingsTable::kSectionValue, "a section row took a value", row);
      check(over_other.value(row) == SettingsTable::kSectionValue, "section row changed", row);
      continue;
    }
    // Lines end at CR and LF, so no value read from a file can hold one; the writer's refusal
    // of such values must never stand between a file that was read and its save.
    check(value.find_first_of("\r\n") == std::string::npos, "value holds a line break", row);
    // A row is filled when either reading changed it; then both readings agree on its value.
    const bool filled = value != defaults.value(row) || over_other.value(row) != before.value(row);
    check(!filled || over_other.value(row) == value, "reading depends on earlier values", row);
  }

  const std::string text = quorvane::build_config_text(first);
  // 612 lines, each ending in CR LF, and no line break anywhere else.
  check(count(text, '\n') == 612 && count(text, '\r') == 612, "written text is not 612 lines");
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
    check(at > 0 && text[at - 1] == '\r', "LF without CR in the written text");
  }

  SettingsTable second = unlike(first);
  quorvane::parse_config_text(text, second);
  for (Row row : kAllRows) {
    check(second.value(row) == first.value(row), "value changed on the way back", row);
  }
  check(quorvane::build_config_text(second) == text, "second save differs from the first");
  return 0;
}
