// Random tables written and read back come back equal: whatever bytes a value holds (CR and LF
// aside, which the writer refuses), the file keeps it. Values are drawn to hit what a reader
// could mistake for something else: "=", "[", ";", "#", leading blanks, "xxx", empty values,
// high bytes, NUL, and values that look like whole lines of the file.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "settings/config_file.h"
#include "settings/settings_table.h"
#include "settings_table_printer.h"
#include "support.h"

namespace quorvane::robustness {
namespace {

constexpr unsigned kSeed = 0x51a7e;
constexpr int kIterations = 600;
constexpr int kThroughFilesEvery = 20;

class ValueSource {
 public:
  explicit ValueSource(unsigned seed) : random_(seed) {}

  std::string value() {
    static const std::vector<std::string> tricky{"",
                                                 "xxx",
                                                 "=",
                                                 "==",
                                                 "[sound]",
                                                 "[",
                                                 "]",
                                                 ";",
                                                 "#",
                                                 " ",
                                                 "  y",
                                                 "y ",
                                                 "\t",
                                                 "\xEF\xBB\xBF",
                                                 "frequency=22050",
                                                 "\xFF",
                                                 "\x80",
                                                 std::string(1, '\0'),
                                                 "\xE9t\xE9",
                                                 "C:\\a=b\\c;d",
                                                 "[tv_mode]",
                                                 "interpolation=y"};
    switch (pick(0, 5)) {
      case 0:
        return tricky[static_cast<std::size_t>(pick(0, static_cast<int>(tricky.size()) - 1))];
      case 1:  // a tricky start followed by anything
        return tricky[static_cast<std::size_t>(pick(0, static_cast<int>(tricky.size()) - 1))] +
               bytes(pick(0, 20));
      case 2:
        return bytes(pick(200, 2000));
      default:
        return bytes(pick(0, 30));
    }
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  // Any bytes but CR and LF.
  std::string bytes(int length) {
    std::string text;
    for (int i = 0; i < length; ++i) {
      char c;
      do {
        c = static_cast<char>(pick(0, 255));
      } while (c == '\r' || c == '\n');
      text += c;
    }
    return text;
  }

  std::mt19937 random_;
};

SettingsTable random_table(unsigned seed) {
  ValueSource source(seed);
  SettingsTable table;
  for (Row row : kAllRows) {
    if (!SettingsTable::is_section_row(row)) table.set_value(row, source.value());
  }
  return table;
}

// A table none of whose settings match `table`'s, to read into: a row the file fails to fill
// then shows.
SettingsTable unlike(const SettingsTable& table) {
  SettingsTable other;
  for (Row row : kAllRows) {
    if (!SettingsTable::is_section_row(row)) other.set_value(row, table.value(row) + "~");
  }
  return other;
}

std::vector<Row> differing_rows(const SettingsTable& a, const SettingsTable& b) {
  std::vector<Row> rows;
  for (Row row : kAllRows) {
    if (a.value(row) != b.value(row)) rows.push_back(row);
  }
  return rows;
}

TEST(RandomTables, ComeBackEqualFromTheirTextAndFromTheFile) {
  TempFolder folder;
  ConfigFile config(folder.str());
  int through_files = 0;
  for (int i = 0; i < kIterations; ++i) {
    const unsigned seed = kSeed + static_cast<unsigned>(i);
    SCOPED_TRACE("table seed " + std::to_string(seed));
    const SettingsTable table = random_table(seed);

    const std::string text = build_config_text(table);
    SettingsTable back = unlike(table);
    parse_config_text(text, back);
    ASSERT_EQ(differing_rows(back, table), std::vector<Row>{});

    if (i % kThroughFilesEvery == 0) {
      // The real way round: saved to VOZ.INI, then read as at start.
      config.write_config(table);
      ASSERT_EQ(read_bytes(folder / "VOZ.INI"), text);
      SettingsTable read = unlike(table);
      config.read_config(read);
      ASSERT_EQ(differing_rows(read, table), std::vector<Row>{});
      ++through_files;
    }
  }
  std::printf("[figures] random tables: %d through text, %d of them through VOZ.INI (seed %u)\n",
              kIterations, through_files, kSeed);
}

}  // namespace
}  // namespace quorvane::robustness
