#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "panel_pages.h"
#include "panels/bindings.h"
#include "panels/registry.h"

namespace quorvane {
namespace {

using testing::make_panel_form;

// Collects panel `number` as leaving it does.
void collect(int number, const testing::PanelForm& form, SettingsTable& table) {
  collect_panel_rows(form.declared, number, table);
}

constexpr int kEmulation = 0, kVideo = 1, kSound = 2, kGamepad = 3, kKeyboard = 4, kCdrom = 5;

struct Visit {
  Row row;
  const char* stored;
  const char* after;  // the row once the panel is filled and collected, nothing touched
};

// Each case on a fresh window, so one row's value cannot hide another's fault.
void expect_visits(int panel, std::initializer_list<Visit> visits) {
  for (const Visit& v : visits) {
    const auto form = make_panel_form();
    SettingsTable table;
    table.set_value(v.row, v.stored);
    fill_controls(form->declared, table);
    collect(panel, *form, table);
    EXPECT_EQ(table.value(v.row), v.after)
        << SettingsTable::name(v.row) << " stored \"" << v.stored << '"';
  }
}

struct Filled {
  std::unique_ptr<testing::PanelForm> form = make_panel_form();
  SettingsTable table;

  explicit Filled(std::initializer_list<std::pair<Row, const char*>> values) {
    for (const auto& [row, value] : values) table.set_value(row, value);
    fill_controls(form->declared, table);
  }
  Control& at(std::string_view name, int index = -1) { return form->at(name, index); }
};

TEST(EmulationPanel, Visit) {
  expect_visits(kEmulation, {{row::soft_reset, "y", "y"},
                             {row::soft_reset, "n", "n"},
                             {row::soft_reset, "Y", "n"},
                             {row::soft_reset, "", "n"},
                             {row::frame_delay, "", ""},
                             {row::frame_delay, "16393", "16393"},
                             {row::frame_delay, "16949", "16949"},
                             {row::frame_delay, "16667", "16667"},
                             {row::frame_delay, " 16393", " 16393"},
                             {row::drive_list, "CDEF", "CDEF"},
                             {row::drive_list, "", ""},
                             {row::use_rom_file_name, "y", "y"},
                             {row::use_rom_file_name, "yes", "n"},
                             {row::nb_state_file, "6", "6"},
                             {row::compress_state_file, "n", "n"},
                             {row::backup_ram, "0", "0"},
                             {row::backup_ram, "1", "1"},
                             {row::backup_ram, "2", ""},
                             {row::backup_ram, " 1", ""},
                             {row::debug_log, "", "n"},
                             {row::system_card_1, " C:\\PCE\\sys.pce ", " C:\\PCE\\sys.pce "},
                             {row::config_path, "xxx", "xxx"},
                             {row::saved_games, "", ""}});
}

TEST(EmulationPanel, CodedCombos) {
  Filled f({{row::frame_delay, "16667"}, {row::backup_ram, "1"}});
  EXPECT_EQ(f.at("com_panel_hz").text(), "");
  EXPECT_EQ(f.at("com_panel_backup").text(), "New format");

  // An unknown rate typed in keeps the delay; a listed one replaces it.
  f.at("com_panel_hz").set_text("61 hz");
  collect(kEmulation, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::frame_delay), "16667");
  f.at("com_panel_hz").set_text("60 Hz");
  f.at("com_panel_backup").set_text("Old format");
  collect(kEmulation, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::frame_delay), "");
  EXPECT_EQ(f.table.value(row::backup_ram), "0");
  f.at("com_panel_backup").set_text("new format");
  collect(kEmulation, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::backup_ram), "");
}

TEST(VideoPanel, Visit) {
  expect_visits(kVideo, {{row::windowed, "y", "y"},
                         {row::windowed, "n", "n"},
                         {row::windowed, "Y", "n"},
                         {row::windowed, "", "n"},
                         {row::fullscreen, "y", "y"},
                         {row::filtering, "", "n"},
                         {row::auto_frame_skip, "Y", "n"},
                         {row::vsync, "y", "y"},
                         {row::res_lock, "n", "n"},
                         {row::tv_mode, "y", "y"},
                         {row::wide, "y", "y"},
                         {row::tv_interpolation, "y ", "n"},
                         {row::fullscreen_mode, "0", "0"},
                         {row::fullscreen_mode, "1", "1"},
                         {row::fullscreen_mode, "2", "2"},
                         {row::fullscreen_mode, "3", "3"},
                         {row::fullscreen_mode, "", ""},
                         {row::fullscreen_mode, "01", "01"},
                         {row::size, "0", "0"},
                         {row::size, "1", "1"},
                         {row::size, "2", "1"},
                         {row::size, "", "1"},
                         {row::zoom, "0", "0"},
                         {row::zoom, "1", "1"},
                         {row::zoom, "", "0"},
                         {row::zoom, "2", "0"},
                         {row::res_256, "800,600", "800,600"},
                         {row::win_res_352, "", ""},
                         {row::scanlines, "0", "0"},
                         {row::scanlines, "4", "4"},
                         {row::scanlines, "7", ""},
                         {row::scanlines, "", ""},
                         {row::gamma, "9", "9"},
                         {row::brightness, " 1", " 1"}});
}

TEST(VideoPanel, OptionGroupsFollowTheValue) {
  Filled f({{row::windowed, "Y"}, {row::fullscreen_mode, "5"}, {row::size, "0"}, {row::zoom, "1"}});
  EXPECT_TRUE(f.at("op_video_winmodo", 1).option_value());  // Fullscreen
  EXPECT_FALSE(f.at("op_video_winmodo", 0).option_value());
  for (int i = 0; i <= 2; ++i) EXPECT_FALSE(f.at("op_video_fullm", i).option_value()) << i;
  EXPECT_TRUE(f.at("op_video_winmodo", 3).option_value());  // 1x1 zoom
  EXPECT_FALSE(f.at("op_video_winmodo", 2).option_value());
  EXPECT_TRUE(f.at("op_video_winmodo", 5).option_value());  // Hardware
  EXPECT_FALSE(f.at("op_video_winmodo", 4).option_value());

  // A mode the panel cannot show is written only once the user picks one.
  f.at("op_video_fullm", 1).set_option_value(true);
  f.at("op_video_winmodo", 0).set_option_value(true);
  collect(kVideo, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::fullscreen_mode), "1");
  EXPECT_EQ(f.table.value(row::windowed), "y");
}

TEST(VideoPanel, ScanlinesByText) {
  Filled f({{row::scanlines, "2"}});
  EXPECT_EQ(f.at("com_video_tvscal").text(), "50%");
  f.at("com_video_tvscal").set_text("0%");
  collect(kVideo, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::scanlines), "4");
  f.at("com_video_tvscal").set_text("30%");
  collect(kVideo, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::scanlines), "");
}

TEST(SoundPanel, Visit) {
  expect_visits(kSound, {{row::sound, "y", "y"},
                         {row::sound, "Y", "n"},
                         {row::sound_16bit, "n", "n"},
                         {row::stereo, "", "n"},
                         {row::sound_interpolation, "y", "y"},
                         {row::frequency, "32000", "32000"},
                         {row::interpolation_level, "20", "20"},
                         {row::delay, " 5 ", " 5 "},
                         {row::cd_audio_input_line, "", ""},
                         {row::master_audio_volume, "150", "150"},
                         {row::fx_audio_volume, "x", "x"},
                         {row::cd_audio_volume, "0", "0"}});
}

TEST(GamepadPanel, Visit) {
  expect_visits(kGamepad, {{row::gamepad, "y", "y"},
                           {row::gamepad, "n", "n"},
                           {row::gamepad, "", "n"},
                           {row::auto_fire_speed, "15", "15"},
                           {row::auto_calibration, "70", "70"},
                           {row::auto_calibration, "80%", "80%"}});
  Filled f({});
  EXPECT_EQ(f.at("com_pad_control").text(), "70");  // the default, without a sign
  f.at("com_pad_control").set_text("90%");
  collect(kGamepad, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::auto_calibration), "90%");
}

TEST(KeyboardPanel, Visit) {
  expect_visits(kKeyboard, {{row::keyboard_type, "0", "0"},
                            {row::keyboard_type, "1", "1"},
                            {row::keyboard_type, "2", "2"},
                            {row::keyboard_type, "3", ""},
                            {row::keyboard_type, "", ""},
                            {row::numpad, "n", "n"},
                            {row::numpad, "y", "y"},
                            {row::numpad, "", "y"},
                            {row::numkeys, "N", "y"},
                            {row::ctrlkeys, "n ", "y"},
                            {row::esc_key_mode, "0", "0"},
                            {row::esc_key_mode, "2", "2"},
                            {row::esc_key_mode, "x", ""},
                            {row::auto_repeat_delay, "20", "20"},
                            {row::auto_repeat_rate, "20", "20"}});
  Filled f({{row::keyboard_type, "2"}, {row::esc_key_mode, "1"}});
  EXPECT_EQ(f.at("com_key_type").text(), "QWERTZ");
  EXPECT_EQ(f.at("com_key_mode").text(), "GUI mode");
  f.at("com_key_mode").set_text("GUI Mode");
  collect(kKeyboard, *f.form, f.table);
  EXPECT_EQ(f.table.value(row::esc_key_mode), "");
}

TEST(CdromPanel, Visit) {
  expect_visits(kCdrom, {{row::cdrom_drive, "12", "12"},
                         {row::cdrom_drive, "", ""},
                         {row::drive_letter, "D:", "D:"},
                         {row::timeout, "0", "0"},
                         {row::cache, "y", "y"},
                         {row::cache, "n", "n"},
                         {row::cache, "Y", "n"},
                         {row::cache_size, "512", "512"}});
}

TEST(FillControls, DefaultsSurviveAVisitOfEveryPanelButThreeEmptySwitches) {
  const auto form = make_panel_form();
  SettingsTable table;
  fill_controls(form->declared, table);
  for (int panel : {kEmulation, kVideo, kSound, kGamepad, kKeyboard, kCdrom}) {
    collect(panel, *form, table);
  }
  SettingsTable expected;
  // Stored empty by default, and neither a check box nor an option group can show "empty".
  for (Row row : {row::windowed, row::fullscreen, row::filtering}) expected.set_value(row, "n");
  EXPECT_EQ(table, expected);
}

TEST(FillControls, VisitsRowsInAscendingOrder) {
  const auto form = make_panel_form();
  std::vector<std::string> clicks;
  for (const auto& c : form->controls()) {
    if (c->kind() == Kind::CheckBox) {
      c->on_click([&clicks](Control& box) { clicks.push_back(box.display_name()); });
    }
  }
  // A value for every switch row that flips its box from the starting state, so each raises
  // exactly one click.
  SettingsTable table;
  for (const Binding* b : form->declared.bindings()) {
    if (const auto* sw = std::get_if<codec::Switch>(&b->codec)) {
      const bool starts_checked = b->control->value() == 1;
      table.set_value(b->row,
                      std::string(starts_checked ? sw->unchecked_value : sw->checked_value));
    }
  }
  fill_controls(form->declared, table);
  const std::vector<std::string> expected = {
      "ch_global(10)", "ch_global(14)", "ch_global(15)", "ch_global(16)", "ch_global(17)",
      "ch_global(1)",  "ch_global(2)",  "ch_global(3)",  "ch_global(0)",  "ch_global(4)",
      "ch_global(5)",  "ch_global(6)",  "ch_global(7)",  "ch_global(9)",  "ch_glolock(0)",
      "ch_glolock(1)", "ch_glolock(2)", "ch_global(11)", "ch_global(13)", "ch_global(12)",
      "ch_global(8)"};
  EXPECT_EQ(clicks, expected);
}

TEST(DriveLists, AppendTheUpperCasedLetterOfEachPick) {
  const auto form = make_panel_form();
  for (const Binding* b : form->declared.bindings()) {
    if (b->drive_list == nullptr) continue;
    b->drive_list->on_change([b](Control&) { drive_list_Change(*b); });
  }
  Control& panel_list = form->at("Dri_panel_list");
  Control& cdrom_list = form->at("dr_cdrom_letter");

  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEF");
  panel_list.pick_drive("c:");
  panel_list.pick_drive("D: [DATA]");
  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEFCD");
  panel_list.pick_drive("");  // no drive at all adds nothing
  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEFCD");

  Control& letters = form->at("txt_cdrom_letter");
  letters.set_text("D:");
  cdrom_list.pick_drive("e:");
  cdrom_list.pick_drive("d:");
  cdrom_list.pick_drive("e:");
  EXPECT_EQ(letters.text(), "D:EDE");
  EXPECT_EQ(form->at("txt_panel_list").text(), "CDEFCD");  // each list feeds its own box
}

}  // namespace
}  // namespace quorvane
