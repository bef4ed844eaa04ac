#include "settings/config_changes.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/config_file.h"
#include "settings/settings_table.h"
#include "test_support.h"

namespace quorvane {
namespace {

using testing::default_file;
using testing::with_line;

// What a save writes for a file: its settings read, then the table regenerated.
std::string saved(std::string_view read, void (*edit)(SettingsTable&) = nullptr) {
  SettingsTable table;
  parse_config_text(read, table);
  if (edit != nullptr) edit(table);
  return build_config_text(table);
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

TEST(ConfigChanges, AFileSavedAsItStandsIsLeftAsItIs) {
  const ConfigChanges same = compare_config(default_file(), false, saved(default_file()));
  EXPECT_TRUE(same.unchanged);
  EXPECT_EQ(describe_changes(same), "Saving leaves VOZ.INI as it is.");
  // The same text read from a UTF-16 file still changes every byte of it.
  const ConfigChanges utf16 = compare_config(default_file(), true, saved(default_file()));
  EXPECT_FALSE(utf16.unchanged);
  EXPECT_EQ(describe_changes(utf16),
            "Saving changes VOZ.INI:\nWrites the UTF-16 text as Windows-1252");
}

TEST(ConfigChanges, SettingsAreListedInFileOrderWithTheirOldAndNewValues) {
  const std::string read =
      with_line(with_line(default_file(), "vsync=n", "vsync=y"), "scanlines=3", "scanlines=20");
  const std::string written = saved(read, [](SettingsTable& t) {
    t.set_value(row::scanlines, "");  // what a visit of the TV page makes of 20
    t.set_value(row::windowed, "n");
    t.set_value(row::vsync, "n");
    t.set_value(row::frame_delay, "16949");
  });
  const ConfigChanges changes = compare_config(read, false, written);
  EXPECT_EQ(describe_changes(changes),
            "Saving changes VOZ.INI:\n"
            "[emulation] frame_delay: (empty) \u2192 16949\n"
            "[video] windowed: (empty) \u2192 n\n"
            "[video] vsync: y \u2192 n\n"
            "[tv_mode] scanlines: 20 \u2192 (empty)");
  // Only the settings differ: no count follows them.
  EXPECT_EQ(changes.line_ends + changes.comments_restored + changes.comments_dropped, 0);

  // A long list ends with how many more there are; a value in UTF-8, a long one shortened.
  const std::string all = saved(default_file(), [](SettingsTable& t) {
    for (Row row : kAllRows) {
      if (!SettingsTable::is_section_row(row)) t.set_value(row, "x");
    }
    t.set_value(row::system_card_1, "C:\\Spiele\\\xB5" + std::string(80, 'a') + "\\card.pce");
  });
  const std::string text = describe_changes(compare_config(default_file(), false, all), 5);
  EXPECT_NE(text.find("\n[sound] 16bit: y \u2192 x\nand 57 more"), std::string::npos) << text;
  EXPECT_EQ(text.find("system_card_1"), std::string::npos) << "beyond the five listed";
  const std::string card = describe_changes(compare_config(default_file(), false, all), 100);
  EXPECT_NE(card.find("[path] system_card_1: (empty) \u2192 C:\\Spiele\\\u00B5aaa"),
            std::string::npos);
  EXPECT_NE(card.find("aaa\u2026aaa"), std::string::npos) << "shortened in the middle";
  EXPECT_NE(card.find("aaa\\card.pce\n"), std::string::npos) << "the file's name kept";
}

TEST(ConfigChanges, TheLinesTheTemplatePutsBackOrLeavesOutAreCounted) {
  // A file as a player's text editor leaves it: LF line ends and a UTF-8 mark, a comment of
  // their own instead of one of the template's, a key the emulator does not know, a setting
  // twice, a header spelt otherwise, and a setting line gone.
  std::string read = with_line(default_file(), "  ; soft reset (RUN + SELECT)", "; my pad");
  read = with_line(read, "vsync=n", "vsync=n\r\nvsync=y\r\nturbo=on");
  read = with_line(read, "[sound]", "[Sound]");
  read = replaced(read, "\r\nres_lock=y\r\n", "\r\n");
  read = "\xEF\xBB\xBF" + replaced(read, "\r\n", "\n");
  const std::string written = saved(read);
  const ConfigChanges changes = compare_config(read, false, written);

  ASSERT_EQ(changes.settings.size(), 1u);
  EXPECT_EQ(changes.settings[0].row, row::res_lock);
  EXPECT_FALSE(changes.settings[0].before.has_value());
  EXPECT_EQ(changes.settings[0].after, "y");
  EXPECT_EQ(changes.comments_restored, 1);
  EXPECT_EQ(changes.comments_dropped, 1);
  EXPECT_EQ(changes.unknown_dropped, 1);
  EXPECT_EQ(changes.duplicates_dropped, 1);
  EXPECT_EQ(changes.lines_respelt, 1);
  EXPECT_EQ(changes.headers_restored, 0);
  EXPECT_EQ(changes.line_ends, 612 - 1 + 2) << "every line of the file, one gone, two added";
  EXPECT_TRUE(changes.mark_dropped);
  EXPECT_EQ(describe_changes(changes),
            "Saving changes VOZ.INI:\n"
            "[video] res_lock: (no line) \u2192 y\n"
            "Restores 1 comment or blank line\n"
            "Drops 1 comment or blank line of the file's own\n"
            "Drops 1 line of an unknown key or section\n"
            "Drops 1 duplicate line\n"
            "Rewrites 1 header or key in the file's own spelling\n"
            "Ends 613 lines with CR LF\n"
            "Drops the UTF-8 mark at the start");

  // A file that lacks a section's header, and one whose lines only stand in another order.
  const std::string headless = replaced(default_file(), "\r\n[misc]\r\n", "\r\n");
  const ConfigChanges no_header = compare_config(headless, false, saved(headless));
  EXPECT_EQ(no_header.headers_restored, 1);
  EXPECT_FALSE(no_header.settings.empty()) << "its settings are read as no section's";
  std::string swapped = default_file();
  const std::size_t first = swapped.find("soft_reset=y\r\n");
  swapped.erase(first, 14);
  swapped.insert(swapped.find("frame_delay=\r\n") + 14, "soft_reset=y\r\n");
  const ConfigChanges moved = compare_config(swapped, false, saved(swapped));
  EXPECT_TRUE(moved.reordered);
  EXPECT_EQ(describe_changes(moved),
            "Saving changes VOZ.INI:\nPuts the lines back in the template's order");
}

}  // namespace
}  // namespace quorvane
