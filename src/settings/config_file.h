#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"
#include "settings/settings_table.h"

namespace quorvane {

// What read_config reports besides the values it read.
struct ReadOutcome {
  bool created_default = false;           // VOZ.INI was missing and was written from the defaults
  std::optional<FileError> backup_error;  // the one-time backup copy failed; reading succeeded
  // The text the settings were read from: the file's bytes, or a UTF-16 file's text as
  // Windows-1252 (`utf16`). What a save would change is told against it.
  std::string text_read;
  bool utf16 = false;
};

// The save found VOZ.INI holding other bytes than those the editor last read, wrote or was told
// to replace: another program saved it meanwhile. Nothing was written.
class ChangedOnDisk : public FileError {
 public:
  explicit ChangedOnDisk(const std::string& path)
      : FileError(file_action::kWrite, path,
                  "another program saved it while this editor was about to save") {}
};

// VOZ.INI and its one-time backup VOZ_backup.INI in the program's folder. On a system whose
// names have case (Linux), the files are those Windows would open: the exact names first, else
// names that match them without regard to case ("voz.ini").
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
  // naming the key whose value holds a line break. The look at what is on disk and the write
  // are one step that no other editor's save can come between (files::SaveLock): a VOZ.INI
  // that another program saved since the editor last read or wrote it, looked at under the lock
  // and again just before the new file takes its place, throws ChangedOnDisk and is kept.
  void write_config(const SettingsTable& table);

  // Whether VOZ.INI on disk holds other bytes than those this editor last read or wrote: another
  // program, the emulator or a second editor saved it meanwhile. A file that is gone counts as
  // unchanged (writing it undoes nothing); one that can no longer be read counts as changed, as
  // nothing shows that it is still the editor's own, unless another program merely holds it
  // open, which the save then reports.
  bool changed_on_disk();
  // The user chose to replace what changed_on_disk last found: the next save may.
  void accept_disk_version();

 private:
  std::string folder_;
  std::string cfg_path_;
  std::string backup_path_;
  // What the editor last read from or wrote to VOZ.INI: enough to tell those bytes from any
  // others without keeping a copy of a file that may be large.
  struct Fingerprint {
    std::uint64_t size = 0;
    std::uint64_t hash = 0;
    bool unreadable = false;
    bool operator==(const Fingerprint&) const = default;
    static Fingerprint of(std::string_view bytes);
  };
  // What stands at VOZ.INI: nothing, or its fingerprint (unreadable when it cannot be read).
  // Throws the FileError of a file that another program holds open.
  std::optional<Fingerprint> on_disk() const;
  void locate();
  // Whether known_ says anything yet: a ConfigFile that has neither read nor written VOZ.INI has
  // no edits of the user's that another program's file could differ from.
  bool looked_ = false;
  std::optional<Fingerprint> known_;
  std::optional<Fingerprint> seen_;
};

// The line of each row, without line ends: a section row's header, a setting's key and value.
using ConfigLines = std::array<std::string, kRowCount>;
ConfigLines build_config_lines(const SettingsTable& table);

// The settings file text for a table, from the template: the whole output of write_config, as
// bytes.
std::string build_config_text(const SettingsTable& table);

// How the reader takes a line of a settings file.
enum class LineKind {
  Blank,
  Comment,    // begins with ';', '#' or a space
  Row,        // the first header of a known section, or the first line of a known key in it
  Duplicate,  // a known header or key seen before: the reader keeps the first
  Unknown,    // a key or section the table does not have, or a line that is neither
};
struct ReadLine {
  std::string_view text;  // without its line end
  std::string_view end;   // "\r\n", "\n", "\r", or empty for a last line without one
  LineKind kind = LineKind::Unknown;
  std::optional<Row> row;  // for Row and Duplicate
  std::string_view value;  // a setting's value, after the "="
};
// The lines of settings file bytes as the reader takes them (a UTF-8 mark at the start skipped).
// The views point into `text`.
std::vector<ReadLine> read_lines(std::string_view text);

// Parses settings file bytes into the table (matching rows by section and key). Rows the text
// does not reach keep their values.
void parse_config_text(std::string_view text, SettingsTable& table);

}  // namespace quorvane
