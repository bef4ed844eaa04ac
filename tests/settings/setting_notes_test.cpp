#include "settings/setting_notes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace quorvane {
namespace {

using Lines = std::vector<std::string>;

TEST(SettingNotes, AreTheCommentLinesAboveEachRowWithoutTheirMarks) {
  EXPECT_EQ(
      setting_note(row::interpolation_level).lines,
      (Lines{"interpolation level", "1 -> light interpolation", "..", "15 -> full interpolation"}));
  // The micro sign stays the template's single Windows-1252 byte.
  EXPECT_EQ(setting_note(row::frame_delay).lines,
            (Lines{"frame delay", "adjust video frame delay (15000-18000 \xB5s)", "16393 -> 61 Hz",
                   "16667 -> 60 Hz [default]", "16949 -> 59 Hz"}));
  // The one line written with ":" for ";" belongs to its block as well.
  EXPECT_EQ(setting_note(row::size).lines, (Lines{"display size", "select display size at startup",
                                                  "0 -> 1x1 zoom", "1 -> 2x2 zoom [default]"}));
  // The ESC block's underline of dashes and trailing blank go; its prose stays.
  const Lines& esc = setting_note(row::esc_key_mode).lines;
  ASSERT_GE(esc.size(), 4u);
  EXPECT_EQ(esc[2], "0 -> automatic mode : [default]");
  EXPECT_EQ(esc[3], "when the emulator is started from a shell or from a front-end");
  EXPECT_EQ(setting_note(row::timeout).lines.back(), "the CD-ROM SCSI driver, 0 is infinite delay");
  for (Row row : kAllRows) {
    if (SettingsTable::is_section_row(row)) {
      EXPECT_TRUE(setting_note(row).lines.empty()) << SettingsTable::name(row);
    } else {
      EXPECT_FALSE(setting_note(row).lines.empty()) << SettingsTable::name(row);
    }
  }
}

TEST(SettingNotes, RowsStandingTogetherShareTheBlockAboveThem) {
  EXPECT_EQ(setting_note(row::res_352).lines, setting_note(row::res_256).lines);
  EXPECT_EQ(setting_note(row::res_256).lines.front(), "fullscreen screen resolutions");
  EXPECT_EQ(setting_note(row::win_res_320).lines.front(), "windowed screen resolutions");
  EXPECT_EQ(setting_note(row::system_card_4).lines, (Lines{"system card paths"}));

  // A made-up template: rows right below a section header have no block of their own to share.
  const std::vector<TemplateItem> items{
      std::string_view("# ----"),
      row::emulation_section,
      std::string_view(""),
      std::string_view("  ;"),
      std::string_view("  ; soft reset"),
      std::string_view("  ;   4 - 8"),
      std::string_view("  ;"),
      std::string_view(""),
      row::soft_reset,
      row::frame_delay,
      row::sound_section,
      row::sound,
  };
  const std::vector<SettingNote> notes = read_setting_notes(items);
  EXPECT_EQ(notes[slot(row::soft_reset)].lines, (Lines{"soft reset", "4 - 8"}));
  EXPECT_EQ(notes[slot(row::frame_delay)].lines, notes[slot(row::soft_reset)].lines);
  EXPECT_EQ(notes[slot(row::frame_delay)].range, (StatedRange{4, 8, false}));
  EXPECT_TRUE(notes[slot(row::sound)].lines.empty());
  EXPECT_FALSE(notes[slot(row::sound)].range);
}

TEST(SettingNotes, RangesAreThoseTheCommentsState) {
  const std::map<Row, StatedRange> expected{
      {row::frame_delay, {15000, 18000, false}},
      {row::frequency, {8000, 48000, false}},
      {row::interpolation_level, {1, 15, false}},
      {row::delay, {2, 30, false}},
      {row::master_audio_volume, {0, 100, false}},
      {row::fx_audio_volume, {0, 100, false}},
      {row::cd_audio_volume, {0, 100, false}},
      {row::gamma, {0, 5, false}},
      {row::brightness, {0, 8, false}},
      {row::auto_fire_speed, {1, 10, false}},
      {row::auto_calibration, {50, 90, true}},
      {row::auto_repeat_delay, {1, 8, false}},
      {row::auto_repeat_rate, {1, 16, false}},
      {row::nb_state_file, {4, 8, false}},
  };
  std::map<Row, StatedRange> found;
  for (Row row : kAllRows) {
    if (setting_note(row).range) found[row] = *setting_note(row).range;
  }
  // Not among them: "unlock keys 0 to 9" (numkeys), the open code lists ending in "..." (the CD
  // audio line, the CD-ROM drive) and the scanline codes.
  EXPECT_EQ(found, expected);
}

TEST(SettingNotes, FindsRangesOnlyWhereALineStatesOne) {
  auto range = [](std::initializer_list<std::string> lines) {
    const Lines l(lines);
    return find_stated_range(l);
  };
  EXPECT_EQ(range({"adjust (2 - 30), in 1/60th of second"}), (StatedRange{2, 30, false}));
  EXPECT_EQ(range({"1 (very fast) to 8 (slow)"}), (StatedRange{1, 8, false}));
  EXPECT_FALSE(range({"unlock keys 0 to 9"}));
  EXPECT_FALSE(range({"modes (256x224, 320x224)"}));
  EXPECT_FALSE(range({"0 -> 100% (black scanlines)", "1 -> 75%"}));
  EXPECT_FALSE(range({"30 - 2"})) << "a range that runs backwards is no range";
  EXPECT_FALSE(range({"0 -> first", "1 -> second", "..."}));
  EXPECT_EQ(range({"3 -> low", "..", "9 -> high"}), (StatedRange{3, 9, false}));
}

TEST(SettingNotes, AValueFitsWhenItIsEmptyOrAWholeNumberInTheRange) {
  const StatedRange volume{0, 100, false};
  for (const char* fits : {"", "0", "100", "007"}) EXPECT_TRUE(volume.contains(fits)) << fits;
  for (const char* outside :
       {"101", "-1", " 5", "5 ", "5%", "abc", "1e2", "99999999999999999999"}) {
    EXPECT_FALSE(volume.contains(outside)) << outside;
  }
  const StatedRange calibration{50, 90, true};
  EXPECT_TRUE(calibration.contains("70"));
  EXPECT_TRUE(calibration.contains("70%"));
  EXPECT_FALSE(calibration.contains("95%"));
  EXPECT_FALSE(calibration.contains("%"));
  EXPECT_EQ(calibration.text(), "50% - 90%");
  EXPECT_EQ(volume.text(), "0 - 100");
}

}  // namespace
}  // namespace quorvane
