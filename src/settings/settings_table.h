#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quorvane {

// The 72 rows of VOZ.INI, in the file's own order: ten section headers and 62 settings. This list
// is the one place a row is declared: X(name, section, key, default). The default is also what a
// new file gets when none exists. Two rows share the key text "interpolation=" and are told apart
// only by their section, which is why nothing looks a row up by key alone.
#define QUORVANE_SETTING_ROWS(X)                                 \
  X(emulation_section, "[emulation]", "[emulation]", "xxx")      \
  X(soft_reset, "[emulation]", "soft_reset=", "y")               \
  X(frame_delay, "[emulation]", "frame_delay=", "")              \
  X(sound_section, "[sound]", "[sound]", "xxx")                  \
  X(sound, "[sound]", "sound=", "y")                             \
  X(frequency, "[sound]", "frequency=", "44100")                 \
  X(sound_16bit, "[sound]", "16bit=", "y")                       \
  X(stereo, "[sound]", "stereo=", "y")                           \
  X(sound_interpolation, "[sound]", "interpolation=", "n")       \
  X(interpolation_level, "[sound]", "interpolation_level=", "1") \
  X(delay, "[sound]", "delay=", "")                              \
  X(cd_audio_input_line, "[sound]", "cd_audio_input_line=", "")  \
  X(master_audio_volume, "[sound]", "master_audio_volume=", "")  \
  X(fx_audio_volume, "[sound]", "fx_audio_volume=", "")          \
  X(cd_audio_volume, "[sound]", "cd_audio_volume=", "")          \
  X(video_section, "[video]", "[video]", "xxx")                  \
  X(windowed, "[video]", "windowed=", "")                        \
  X(fullscreen, "[video]", "fullscreen=", "")                    \
  X(fullscreen_mode, "[video]", "fullscreen_mode=", "2")         \
  X(filtering, "[video]", "filtering=", "")                      \
  X(size, "[video]", "size=", "1")                               \
  X(zoom, "[video]", "zoom=", "1")                               \
  X(auto_frame_skip, "[video]", "auto_frame_skip=", "n")         \
  X(vsync, "[video]", "vsync=", "n")                             \
  X(res_256, "[video]", "res_256=", "640,480")                   \
  X(res_320, "[video]", "res_320=", "640,480")                   \
  X(res_352, "[video]", "res_352=", "640,480")                   \
  X(win_res_256, "[video]", "win_res_256=", "256,224")           \
  X(win_res_320, "[video]", "win_res_320=", "320,224")           \
  X(win_res_352, "[video]", "win_res_352=", "352,224")           \
  X(res_lock, "[video]", "res_lock=", "y")                       \
  X(tv_mode_section, "[tv_mode]", "[tv_mode]", "xxx")            \
  X(tv_mode, "[tv_mode]", "tv_mode=", "n")                       \
  X(wide, "[tv_mode]", "wide=", "n")                             \
  X(tv_interpolation, "[tv_mode]", "interpolation=", "y")        \
  X(scanlines, "[tv_mode]", "scanlines=", "3")                   \
  X(gamma, "[tv_mode]", "gamma=", "1")                           \
  X(brightness, "[tv_mode]", "brightness=", "1")                 \
  X(gamepad_section, "[gamepad]", "[gamepad]", "xxx")            \
  X(gamepad, "[gamepad]", "gamepad=", "y")                       \
  X(auto_fire_speed, "[gamepad]", "auto_fire_speed=", "2")       \
  X(auto_calibration, "[gamepad]", "auto_calibration=", "70")    \
  X(keyboard_section, "[keyboard]", "[keyboard]", "xxx")         \
  X(keyboard_type, "[keyboard]", "type=", "1")                   \
  X(numpad, "[keyboard]", "numpad=", "n")                        \
  X(numkeys, "[keyboard]", "numkeys=", "n")                      \
  X(ctrlkeys, "[keyboard]", "ctrlkeys=", "n")                    \
  X(esc_key_mode, "[keyboard]", "esc_key_mode=", "0")            \
  X(auto_repeat_delay, "[keyboard]", "auto_repeat_delay=", "2")  \
  X(auto_repeat_rate, "[keyboard]", "auto_repeat_rate=", "9")    \
  X(load_section, "[load]", "[load]", "xxx")                     \
  X(drive_list, "[load]", "drive_list=", "CDEF")                 \
  X(use_rom_file_name, "[load]", "use_rom_file_name=", "n")      \
  X(misc_section, "[misc]", "[misc]", "xxx")                     \
  X(nb_state_file, "[misc]", "nb_state_file=", "4")              \
  X(compress_state_file, "[misc]", "compress_state_file=", "y")  \
  X(backup_ram, "[misc]", "backup_ram=", "1")                    \
  X(debug_log, "[misc]", "debug_log=", "y")                      \
  X(cdrom_section, "[cdrom]", "[cdrom]", "xxx")                  \
  X(cdrom_drive, "[cdrom]", "drive=", "")                        \
  X(drive_letter, "[cdrom]", "drive_letter=", "")                \
  X(timeout, "[cdrom]", "timeout=", "0")                         \
  X(cache, "[cdrom]", "cache=", "n")                             \
  X(cache_size, "[cdrom]", "cache_size=", "512")                 \
  X(path_section, "[path]", "[path]", "xxx")                     \
  X(system_card_1, "[path]", "system_card_1=", "")               \
  X(system_card_2, "[path]", "system_card_2=", "")               \
  X(system_card_3, "[path]", "system_card_3=", "")               \
  X(system_card_4, "[path]", "system_card_4=", "")               \
  X(config_path, "[path]", "config=", "")                        \
  X(screenshots, "[path]", "screenshots=", "")                   \
  X(saved_games, "[path]", "saved_games=", "")

// A row, by name: row::vsync, row::sound_interpolation. Its number is its place in the file.
enum class Row : int {
#define QUORVANE_ROW_NAME(name, section, key, default_value) name,
  QUORVANE_SETTING_ROWS(QUORVANE_ROW_NAME)
#undef QUORVANE_ROW_NAME
};

namespace row {
using enum Row;
}  // namespace row

inline constexpr int kRowCount = 0
#define QUORVANE_ROW_ONE(name, section, key, default_value) +1
    QUORVANE_SETTING_ROWS(QUORVANE_ROW_ONE)
#undef QUORVANE_ROW_ONE
    ;

constexpr int number(Row r) { return static_cast<int>(r); }
constexpr std::size_t slot(Row r) { return static_cast<std::size_t>(r); }

// Every row in file order, for the loops that visit them all.
inline constexpr std::array<Row, kRowCount> kAllRows = [] {
  std::array<Row, kRowCount> all{};
  for (int i = 0; i < kRowCount; ++i) all[static_cast<std::size_t>(i)] = static_cast<Row>(i);
  return all;
}();

// Values are the file's bytes (Windows-1252), never trimmed or converted.
class SettingsTable {
 public:
  static constexpr int kRowCount = quorvane::kRowCount;
  // The value a section row carries; the writer emits the key text alone for it.
  static constexpr std::string_view kSectionValue = "xxx";

  // A table holding the design-time defaults.
  SettingsTable();

  const std::string& value(Row row) const { return values_[slot(row)]; }
  void set_value(Row row, std::string value) { values_[slot(row)] = std::move(value); }

  // "[sound]" for a section row, "frequency=" for a setting row.
  static std::string_view key(Row row);
  // The section the row belongs to, brackets included ("[tv_mode]").
  static std::string_view section(Row row);
  static bool is_section_row(Row row);
  static std::string_view default_value(Row row);
  // The row's name in the code ("sound_interpolation"), for messages and tests.
  static std::string_view name(Row row);

  friend bool operator==(const SettingsTable&, const SettingsTable&) = default;

 private:
  std::array<std::string, kRowCount> values_;
};

}  // namespace quorvane
