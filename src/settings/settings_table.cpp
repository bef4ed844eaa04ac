#include "settings/settings_table.h"

#include <stdexcept>

namespace quorvane {

namespace {

struct RowInfo {
  std::string_view section;
  std::string_view key;
  std::string_view default_value;
};

// The rows in the order in which they stand in VOZ.INI; the defaults are also what a new file
// gets when none exists.
constexpr std::array<RowInfo, SettingsTable::kRowCount> kRows{{
    {"[emulation]", "[emulation]", "xxx"},
    {"[emulation]", "soft_reset=", "y"},
    {"[emulation]", "frame_delay=", ""},
    {"[sound]", "[sound]", "xxx"},
    {"[sound]", "sound=", "y"},
    {"[sound]", "frequency=", "44100"},
    {"[sound]", "16bit=", "y"},
    {"[sound]", "stereo=", "y"},
    {"[sound]", "interpolation=", "n"},
    {"[sound]", "interpolation_level=", "1"},
    {"[sound]", "delay=", ""},
    {"[sound]", "cd_audio_input_line=", ""},
    {"[sound]", "master_audio_volume=", ""},
    {"[sound]", "fx_audio_volume=", ""},
    {"[sound]", "cd_audio_volume=", ""},
    {"[video]", "[video]", "xxx"},
    {"[video]", "windowed=", ""},
    {"[video]", "fullscreen=", ""},
    {"[video]", "fullscreen_mode=", "2"},
    {"[video]", "filtering=", ""},
    {"[video]", "size=", "1"},
    {"[video]", "zoom=", "1"},
    {"[video]", "auto_frame_skip=", "n"},
    {"[video]", "vsync=", "n"},
    {"[video]", "res_256=", "640,480"},
    {"[video]", "res_320=", "640,480"},
    {"[video]", "res_352=", "640,480"},
    {"[video]", "win_res_256=", "256,224"},
    {"[video]", "win_res_320=", "320,224"},
    {"[video]", "win_res_352=", "352,224"},
    {"[video]", "res_lock=", "y"},
    {"[tv_mode]", "[tv_mode]", "xxx"},
    {"[tv_mode]", "tv_mode=", "n"},
    {"[tv_mode]", "wide=", "n"},
    {"[tv_mode]", "interpolation=", "y"},
    {"[tv_mode]", "scanlines=", "3"},
    {"[tv_mode]", "gamma=", "1"},
    {"[tv_mode]", "brightness=", "1"},
    {"[gamepad]", "[gamepad]", "xxx"},
    {"[gamepad]", "gamepad=", "y"},
    {"[gamepad]", "auto_fire_speed=", "2"},
    {"[gamepad]", "auto_calibration=", "70"},
    {"[keyboard]", "[keyboard]", "xxx"},
    {"[keyboard]", "type=", "1"},
    {"[keyboard]", "numpad=", "n"},
    {"[keyboard]", "numkeys=", "n"},
    {"[keyboard]", "ctrlkeys=", "n"},
    {"[keyboard]", "esc_key_mode=", "0"},
    {"[keyboard]", "auto_repeat_delay=", "2"},
    {"[keyboard]", "auto_repeat_rate=", "9"},
    {"[load]", "[load]", "xxx"},
    {"[load]", "drive_list=", "CDEF"},
    {"[load]", "use_rom_file_name=", "n"},
    {"[misc]", "[misc]", "xxx"},
    {"[misc]", "nb_state_file=", "4"},
    {"[misc]", "compress_state_file=", "y"},
    {"[misc]", "backup_ram=", "1"},
    {"[misc]", "debug_log=", "y"},
    {"[cdrom]", "[cdrom]", "xxx"},
    {"[cdrom]", "drive=", ""},
    {"[cdrom]", "drive_letter=", ""},
    {"[cdrom]", "timeout=", "0"},
    {"[cdrom]", "cache=", "n"},
    {"[cdrom]", "cache_size=", "512"},
    {"[path]", "[path]", "xxx"},
    {"[path]", "system_card_1=", ""},
    {"[path]", "system_card_2=", ""},
    {"[path]", "system_card_3=", ""},
    {"[path]", "system_card_4=", ""},
    {"[path]", "config=", ""},
    {"[path]", "screenshots=", ""},
    {"[path]", "saved_games=", ""},
}};

const RowInfo& row_info(int row) {
  if (row < 0 || row >= SettingsTable::kRowCount) {
    throw std::out_of_range("settings row " + std::to_string(row) + " does not exist");
  }
  return kRows[static_cast<std::size_t>(row)];
}

}  // namespace

SettingsTable::SettingsTable() {
  for (int row = 0; row < kRowCount; ++row) {
    values_[static_cast<std::size_t>(row)] = std::string(row_info(row).default_value);
  }
}

const std::string& SettingsTable::value(int row) const {
  row_info(row);
  return values_[static_cast<std::size_t>(row)];
}

void SettingsTable::set_value(int row, std::string value) {
  row_info(row);
  values_[static_cast<std::size_t>(row)] = std::move(value);
}

std::string_view SettingsTable::key(int row) { return row_info(row).key; }

std::string_view SettingsTable::section(int row) { return row_info(row).section; }

bool SettingsTable::is_section_row(int row) { return row_info(row).key == row_info(row).section; }

std::string_view SettingsTable::default_value(int row) { return row_info(row).default_value; }

}  // namespace quorvane
