#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "files/file_error.h"
#include "settings/settings_table.h"

namespace quorvane {

// What read_config reports besides the values it read.
struct ReadOutcome {
  bool created_default = false;           // VOZ.INI was missing and was written from the defaults
  std::optional<FileError> backup_error;  // the one-time backup copy failed; reading succeeded
};

// VOZ.INI and its one-time backup VOZ_backup.INI in the program's folder.
class ConfigFile {
 public:
  // folder: the program's own folder, with or without a trailing separator (a drive root
  // such as "C:\" already has one and gets none added).
  explicit ConfigFile(std::string folder);

  const std::string& cfg_path() const { return cfg_path_; }
  const std::string& backup_path() const { return backup_path_; }

  // Reads VOZ.INI into the table, writing it from the table first when it is missing, then
  // copies the bytes read to a new VOZ_backup.INI, with VOZ.INI's permissions, unless anything
  // at all stands at that name. Throws FileError when VOZ.INI can be neither read nor created;
  // a failed backup copy is returned, not thrown.
  ReadOutcome read_config(SettingsTable& table);

  // Regenerates VOZ.INI from the table and replaces the file atomically: on any failure the old
  // file is left byte for byte as it was. Throws FileError naming the path and the reason, or
  // naming the key whose value holds a line break.
  void write_config(const SettingsTable& table);

  // Whether VOZ.INI on disk holds other bytes than those this editor last read or wrote: another
  // program, the emulator or a second editor saved it meanwhile. A file that is gone counts as
  // unchanged (writing it undoes nothing); one that can no longer be read counts as changed, as
  // nothing shows that it is still the editor's own.
  bool changed_on_disk() const;

 private:
  std::string folder_;
  std::string cfg_path_;
  std::string backup_path_;
  // What the editor last read from or wrote to VOZ.INI: enough to tell those bytes from any
  // others without keeping a copy of a file that may be large.
  struct Fingerprint {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const Fingerprint&) const = default;
    static Fingerprint of(std::string_view bytes);
  };
  std::optional<Fingerprint> known_;
};

// The line of each row, without line ends: a section row's header, a setting's key and value.
using ConfigLines = std::array<std::string, kRowCount>;
ConfigLines build_config_lines(const SettingsTable& table);

// The settings file text for a table, from the template: the whole output of write_config, as
// bytes.
std::string build_config_text(const SettingsTable& table);

// Parses settings file bytes into the table (matching rows by section and key). Rows the text
// does not reach keep their values.
void parse_config_text(std::string_view text, SettingsTable& table);

}  // namespace quorvane
