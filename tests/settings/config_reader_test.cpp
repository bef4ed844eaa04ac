#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "settings/config_file.h"
#include "settings/settings_table.h"
#include "settings_table_printer.h"

namespace quorvane {
namespace {

SettingsTable parsed(std::string_view text) {
  SettingsTable table;
  parse_config_text(text, table);
  return table;
}

std::vector<Row> section_rows() {
  std::vector<Row> rows;
  for (Row row : kAllRows) {
    if (SettingsTable::is_section_row(row)) rows.push_back(row);
  }
  return rows;
}

TEST(ConfigReader, EveryKindOfLineEndEndsALine) {
  const std::vector<std::string> lines = {"[sound]", "sound=n", "frequency=22050", "[misc]",
                                          "debug_log=n"};
  for (std::string_view end : {"\r\n", "\n", "\r"}) {
    for (bool leading_empty_line : {false, true}) {
      std::string text = leading_empty_line ? std::string(end) : "";
      for (const auto& line : lines) text += line + std::string(end);
      text.erase(text.size() - end.size());  // a last line without an end still counts
      const SettingsTable table = parsed(text);
      EXPECT_EQ(table.value(row::sound), "n") << text;
      EXPECT_EQ(table.value(row::frequency), "22050") << text;
      EXPECT_EQ(table.value(row::debug_log), "n") << text;
    }
  }
  const SettingsTable mixed = parsed("[sound]\rsound=n\nfrequency=8000\r\n[misc]\n\rdebug_log=n");
  EXPECT_EQ(mixed.value(row::sound), "n");
  EXPECT_EQ(mixed.value(row::frequency), "8000");
  EXPECT_EQ(mixed.value(row::debug_log), "n");
}

TEST(ConfigReader, ByteOrderMarkAtTheStartIsSkipped) {
  const SettingsTable table = parsed("\xEF\xBB\xBF[emulation]\r\nsoft_reset=n\r\n");
  EXPECT_EQ(table.value(row::soft_reset), "n");
}

TEST(ConfigReader, ValuesAreKeptExactlyAsWritten) {
  const SettingsTable table = parsed(
      "[sound]\nsound= y\nfrequency=44100  \n16bit=\n"
      "[path]\nconfig=C:\\a=b\\c\nscreenshots=\t\xB5;#[x]\n");
  EXPECT_EQ(table.value(row::sound), " y");
  EXPECT_EQ(table.value(row::frequency), "44100  ");
  EXPECT_EQ(table.value(row::sound_16bit), "");
  EXPECT_EQ(table.value(row::config_path), "C:\\a=b\\c");
  EXPECT_EQ(table.value(row::screenshots), "\t\xB5;#[x]");
}

TEST(ConfigReader, NamesMatchWithoutRegardToCaseOrSurroundingBlanks) {
  const SettingsTable table = parsed(
      "[ Sound\t]\n"
      "SOUND=n\n"
      "\tFrequency \t=11025\n"
      "[TV_MODE]\n"
      "Interpolation = n\n");
  EXPECT_EQ(table.value(row::sound), "n");
  EXPECT_EQ(table.value(row::frequency), "11025");
  EXPECT_EQ(table.value(row::tv_interpolation), " n");
  EXPECT_EQ(table.value(row::sound_interpolation),
            SettingsTable::default_value(row::sound_interpolation));
}

TEST(ConfigReader, CommentsAreToldByTheFirstCharacterAndATabIsNotOne) {
  const SettingsTable table = parsed(
      "[sound]\n"
      ";sound=1\n"
      "#sound=2\n"
      " sound=3\n"
      "  ; frequency=4\n"
      "\tsound=5\n"
      "frequency\n"
      "frequency=6\n");
  EXPECT_EQ(table.value(row::sound), "5");
  EXPECT_EQ(table.value(row::frequency), "6");
}

TEST(ConfigReader, RowsAreFoundBySectionAndKeyWhereverTheLinesStand) {
  // Sections swapped, keys reordered, one key missing and unknown lines added: every value still
  // lands on its own row, and the missing one keeps the value it had.
  const SettingsTable table = parsed(
      "stray=before any section\n"
      "sound=before any section\n"
      "[tv_mode]\n"
      "interpolation=q\n"
      "new_option=1\n"
      "[extra]\n"
      "sound=from an unknown section\n"
      "[sound]\n"
      "stereo=n\n"
      "interpolation=p\n"
      "[video]\n"
      "sound=in the wrong section\n");
  EXPECT_EQ(table.value(row::sound_interpolation), "p");
  EXPECT_EQ(table.value(row::tv_interpolation), "q");
  EXPECT_EQ(table.value(row::stereo), "n");
  EXPECT_EQ(table.value(row::sound), SettingsTable::default_value(row::sound));
  EXPECT_EQ(table.value(row::sound_16bit), SettingsTable::default_value(row::sound_16bit));
}

TEST(ConfigReader, FirstOccurrenceOfAKeyInItsSectionWins) {
  const SettingsTable table = parsed(
      "[sound]\nsound=first\nsound=second\n"
      "[video]\n"
      "[sound]\nsound=third\nfrequency=1\nFREQUENCY=2\n");
  EXPECT_EQ(table.value(row::sound), "first");
  EXPECT_EQ(table.value(row::frequency), "1");
}

TEST(ConfigReader, SectionRowsNeverTakeAValue) {
  const SettingsTable table = parsed(
      "[emulation]=zzz\n"
      "\t[emulation]=zzz\n"
      "emulation=zzz\n"
      "[sound]\n"
      "[sound]=zzz\n"
      "sound]=zzz\n"
      "[path]\n"
      "path=zzz\n");
  for (Row row : section_rows()) EXPECT_EQ(table.value(row), "xxx") << SettingsTable::name(row);
  EXPECT_EQ(table, SettingsTable{});
}

TEST(ConfigReader, HeaderWithoutClosingBracketStillNamesItsSection) {
  const SettingsTable table = parsed("[sound\nsound=n\n[misc] trailing words\ndebug_log=n\n");
  EXPECT_EQ(table.value(row::sound), "n");
  EXPECT_EQ(table.value(row::debug_log), "n");
}

TEST(ConfigReader, EmptyTextLeavesTheTableAsItWas) {
  SettingsTable table;
  table.set_value(row::frequency, "22050");
  parse_config_text("", table);
  EXPECT_EQ(table.value(row::frequency), "22050");
  parse_config_text("\r\n\r\n", table);
  EXPECT_EQ(table.value(row::frequency), "22050");
}

// The format's own way of reading: the separator is the file's first two bytes, and the n-th
// section or setting line fills row n, whatever its name.
SettingsTable read_by_position(std::string_view text) {
  SettingsTable table;
  const std::string_view separator = text.substr(0, 2);
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto at = text.find(separator);
    lines.push_back(text.substr(0, at));
    if (at == std::string_view::npos) break;
    text.remove_prefix(at + separator.size());
  }
  int counter = 0;
  for (std::string_view line : lines) {
    if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == ' ') continue;
    if (line[0] == '[') {
      ++counter;
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (counter < SettingsTable::kRowCount) {
      // By position: the n-th line of the format fills row n.
      table.set_value(static_cast<Row>(counter), std::string(line.substr(equals + 1)));
    }
    ++counter;
  }
  return table;
}

TEST(ConfigReader, FilesInTheFormatsOrderReadExactlyAsByPosition) {
  const std::vector<std::string> values = {
      "",   "y",    "n",  " y", "a=b", "xxx", "C:\\Games\\voz\\", "  padded  ",
      "\t", "\xB5", ";x", "#",  "[x]", "=",   "640,480",          "fin"};
  const std::vector<std::string> noise = {
      "",     ";=comment",        "# banner",      "  ; indented = comment",
      " x=y", "\tno equals sign", "no equals sign"};
  std::mt19937 random(20240601);
  const auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };

  for (int round = 0; round < 200; ++round) {
    SettingsTable written;
    for (Row row : kAllRows) {
      if (!SettingsTable::is_section_row(row)) written.set_value(row, pick(values));
    }
    // Re-cut the writer's output into lines and vary what the format allows to vary: comment,
    // blank and nameless lines in between, and the spelling of names.
    const std::string original = build_config_text(written);
    std::string text = "\r\n";
    std::size_t start = 2;
    while (start < original.size()) {
      const auto end = original.find("\r\n", start);
      std::string line = original.substr(start, end - start);
      start = end + 2;
      if (random() % 4 == 0) text += pick(noise) + "\r\n";
      if (!line.empty() && line[0] != ' ' && line[0] != '#' && random() % 3 == 0) {
        const auto name_end = line[0] == '[' ? line.find(']') : line.find('=');
        for (std::size_t i = 0; i < name_end; ++i) {
          if (line[i] >= 'a' && line[i] <= 'z') line[i] = static_cast<char>(line[i] - 'a' + 'A');
        }
        if (line[0] != '[') line.insert(name_end, " \t");
      }
      text += line + "\r\n";
    }
    const SettingsTable by_position = read_by_position(text);
    ASSERT_EQ(by_position, written) << "the generated file is not in the format's order";
    ASSERT_EQ(parsed(text), by_position) << text;
  }
}

}  // namespace
}  // namespace quorvane
