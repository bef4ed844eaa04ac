#include "settings/config_file.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "files/files.h"
#include "settings/config_template.h"
#include "settings/text_encoding.h"

namespace quorvane {

namespace {

constexpr std::string_view kConfigName = "VOZ.INI";
constexpr std::string_view kBackupName = "VOZ_backup.INI";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim_blanks(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Names compare as the Windows INI functions compare them: without regard to case.
bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return ascii_lower(x) == ascii_lower(y);
         });
}

// "[sound]" -> "sound", "frequency=" -> "frequency".
std::string_view section_name(Row row) {
  std::string_view header = SettingsTable::key(row);
  return header.substr(1, header.size() - 2);
}

std::string_view key_name(Row row) {
  std::string_view key = SettingsTable::key(row);
  return key.substr(0, key.size() - 1);
}

// The header row of the named section, if the table has that section.
std::optional<Row> find_section(std::string_view name) {
  for (Row row : kAllRows) {
    if (SettingsTable::is_section_row(row) && same_name(section_name(row), name)) return row;
  }
  return std::nullopt;
}

// The setting row of `name` within the section that starts at `header`.
std::optional<Row> find_key(Row header, std::string_view name) {
  for (int n = number(header) + 1; n < kRowCount; ++n) {
    const Row row = static_cast<Row>(n);
    if (SettingsTable::is_section_row(row)) break;
    if (same_name(key_name(row), name)) return row;
  }
  return std::nullopt;
}

// Calls `line` for every line of `text` with its line end. CR LF, LF and a lone CR each end a
// line, so a file saved by any editor reads the same; a last line without an end is still a line.
template <typename LineFn>
void for_each_line(std::string_view text, LineFn line) {
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      line(text.substr(start), std::string_view());
      return;
    }
    const std::size_t width =
        (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
    line(text.substr(start, end - start), text.substr(end, width));
    start = end + width;
  }
}

std::string render(const ConfigLines& lines) {
  constexpr std::string_view kLineEnd = "\r\n";
  std::string text;
  text.reserve(9000);
  const std::span<const TemplateItem> items = config_template().first(written_template_items());
  for (const TemplateItem& item : items) {
    if (const Row* row = std::get_if<Row>(&item)) {
      text += lines[slot(*row)];
    } else {
      text += std::get<std::string_view>(item);
    }
    text += kLineEnd;
  }
  return text;
}

}  // namespace

std::vector<ReadLine> read_lines(std::string_view text) {
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());

  std::vector<ReadLine> lines;
  // The header row of the section being read; none before any section or in an unknown one.
  std::optional<Row> section;
  std::array<bool, kRowCount> seen{};
  for_each_line(text, [&](std::string_view line, std::string_view end) {
    ReadLine& read = lines.emplace_back(ReadLine{line, end, LineKind::Unknown, std::nullopt, {}});
    if (line.empty()) {
      read.kind = LineKind::Blank;
      return;
    }
    if (line.front() == ';' || line.front() == '#' || line.front() == ' ') {
      read.kind = LineKind::Comment;
      return;
    }
    if (line.front() == '[') {
      // A header that lost its "]" still names its section; dropping the settings below it
      // would throw them away at the next save.
      const std::size_t close = line.find(']');
      const std::size_t name_end = close == std::string_view::npos ? line.size() : close;
      section = find_section(trim_blanks(line.substr(1, name_end - 1)));
      if (!section) return;
      read.kind = seen[slot(*section)] ? LineKind::Duplicate : LineKind::Row;
      read.row = section;
      seen[slot(*section)] = true;
      return;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || !section) return;
    const std::optional<Row> row = find_key(*section, trim_blanks(line.substr(0, equals)));
    if (!row) return;
    read.kind = seen[slot(*row)] ? LineKind::Duplicate : LineKind::Row;
    read.row = row;
    read.value = line.substr(equals + 1);
    seen[slot(*row)] = true;
  });
  return lines;
}

void parse_config_text(std::string_view text, SettingsTable& table) {
  for (const ReadLine& line : read_lines(text)) {
    if (line.kind == LineKind::Row && !SettingsTable::is_section_row(*line.row)) {
      table.set_value(*line.row, std::string(line.value));
    }
  }
}

ConfigLines build_config_lines(const SettingsTable& table) {
  ConfigLines lines;
  for (Row row : kAllRows) {
    std::string& line = lines[slot(row)];
    line = SettingsTable::key(row);
    // A section row is its header whatever its value; a setting always carries its value, even
    // one that reads "xxx" (a folder may well be called that).
    if (!SettingsTable::is_section_row(row)) line += table.value(row);
  }
  return lines;
}

std::string build_config_text(const SettingsTable& table) {
  return render(build_config_lines(table));
}

ConfigFile::ConfigFile(std::string folder) : folder_(std::move(folder)) { locate(); }

// A copy of VOZ.INI that a Windows disk made as "voz.ini" is the file the emulator (and every
// Windows program under Wine) reads; a second, default VOZ.INI beside it would be the one Wine
// opens from then on.
void ConfigFile::locate() {
  cfg_path_ = files::find_ignoring_case(folder_, kConfigName);
  backup_path_ = files::find_ignoring_case(folder_, kBackupName);
}

ReadOutcome ConfigFile::read_config(SettingsTable& table) {
  locate();
  ReadOutcome outcome;
  // A save cut short by a crash or a power cut leaves its temporary file behind; the editor that
  // made it is gone, so its leftovers go now.
  files::remove_stale_temporaries(cfg_path_);
  files::remove_stale_temporaries(backup_path_, files::Links::DoNotFollow);
  // Only a file that is not there at all is replaced by the defaults: one that exists but cannot
  // be read still holds the user's settings, and the error says why it could not be read.
  if (!files::exists(cfg_path_)) {
    looked_ = true;  // no file: one that another editor makes meanwhile is not replaced
    known_.reset();
    try {
      write_config(table);
    } catch (const ChangedOnDisk&) {
      // Another editor made it meanwhile: that file is read like any other.
    } catch (const FileError& error) {
      // Whatever stopped it, the file the user does not have yet is what is missing.
      throw FileError(file_action::kCreate, cfg_path_, error.reason());
    }
    outcome.created_default = true;
  }
  const std::string bytes = files::read_all(cfg_path_);
  looked_ = true;
  outcome.text_read = bytes;
  known_ = Fingerprint::of(bytes);
  if (starts_with_utf16_mark(bytes)) {
    // What Notepad saves as "Unicode". Its settings are read as the text they are, and the save
    // writes them as the emulator's Windows-1252; a character that would not survive that stops
    // the start before anything is written.
    try {
      outcome.text_read = utf16_to_cp1252(bytes);
      outcome.utf16 = true;
      parse_config_text(outcome.text_read, table);
    } catch (const EncodingError& error) {
      throw FileError(file_action::kRead, cfg_path_,
                      std::string("it is UTF-16 text, and ") + error.what());
    }
  } else if (const Utf16Order order = unmarked_utf16_order(bytes); order != Utf16Order::kNone) {
    // Read as bytes, its zeros would hide every setting, and the save would write the defaults
    // over the user's values.
    try {
      outcome.text_read = unmarked_utf16_to_cp1252(bytes, order);
      outcome.utf16 = true;
      parse_config_text(outcome.text_read, table);
    } catch (const EncodingError& error) {
      throw FileError(
          file_action::kRead, cfg_path_,
          std::string("it is UTF-16 text without a byte-order mark, and ") + error.what());
    }
  } else {
    parse_config_text(outcome.text_read, table);
  }

  // Never refreshed: the backup keeps the file as it stood the first time the editor ran.
  // Whatever stands at its name (a file, even one that cannot be read, a folder, a pipe, a link
  // leading anywhere or nowhere) is that backup and is never written, followed or replaced.
  if (!files::entry_exists(backup_path_)) {
    try {
      files::create_new(backup_path_, bytes, cfg_path_);
    } catch (const FileError& error) {
      outcome.backup_error = error;
    }
  }
  return outcome;
}

void ConfigFile::write_config(const SettingsTable& table) {
  // A line break inside a value would come back as lines of its own, and could forge any
  // setting; refuse before anything is written.
  for (Row row : kAllRows) {
    if (SettingsTable::is_section_row(row)) continue;
    if (table.value(row).find_first_of("\r\n") != std::string::npos) {
      throw FileError(file_action::kWrite, cfg_path_,
                      "the value of " + std::string(key_name(row)) + " in " +
                          std::string(SettingsTable::section(row)) + " contains a line break");
    }
  }
  const std::string text = build_config_text(table);
  files::write_atomic(cfg_path_, text, [this] {
    if (!looked_) return;
    const std::optional<Fingerprint> now = on_disk();
    if (now && now != known_) throw ChangedOnDisk(cfg_path_);
  });
  looked_ = true;
  known_ = Fingerprint::of(text);
}

std::optional<ConfigFile::Fingerprint> ConfigFile::on_disk() const {
  if (!files::exists(cfg_path_)) return std::nullopt;
  try {
    return Fingerprint::of(files::read_all(cfg_path_));
  } catch (const FileError& error) {
    if (error.in_use()) throw;
    if (!files::exists(cfg_path_)) return std::nullopt;  // gone between the two looks
    return Fingerprint{0, 0, true};
  }
}

bool ConfigFile::changed_on_disk() {
  try {
    seen_ = on_disk();
  } catch (const FileError&) {
    return false;  // held open by another program: nothing shows a change, and the save says why
  }
  return seen_ && seen_ != known_;
}

void ConfigFile::accept_disk_version() {
  if (seen_) known_ = seen_;
}

// FNV-1a over the bytes, with their count: two files of one size with one hash do not come
// about by chance.
ConfigFile::Fingerprint ConfigFile::Fingerprint::of(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211u;
  }
  return Fingerprint{bytes.size(), hash};
}

}  // namespace quorvane
