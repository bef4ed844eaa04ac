#include "settings/config_changes.h"

#include <algorithm>
#include <array>
#include <map>

#include "settings/config_file.h"
#include "settings/text_encoding.h"

namespace quorvane {
namespace {

// The line of each row as a file holds it (its first, the one the reader takes).
using RowLines = std::array<const ReadLine*, kRowCount>;

RowLines row_lines(const std::vector<ReadLine>& lines) {
  RowLines rows{};
  for (const ReadLine& line : lines) {
    if (line.kind == LineKind::Row) rows[slot(*line.row)] = &line;
  }
  return rows;
}

// The lines that are no row's, each with how often it stands in the file.
std::map<std::string_view, int> other_lines(const std::vector<ReadLine>& lines) {
  std::map<std::string_view, int> counts;
  for (const ReadLine& line : lines) {
    if (line.kind != LineKind::Row) ++counts[line.text];
  }
  return counts;
}

// A value in the list: a long path keeps its start and its end, where the file's name is.
std::string shown_value(const std::optional<std::string>& value) {
  if (!value) return "(no line)";
  if (value->empty()) return "(empty)";
  constexpr std::size_t kLongest = 60;
  std::string text = *value;
  if (text.size() > kLongest) {
    text = text.substr(0, kLongest / 2 - 1) + "\x85" + text.substr(text.size() - kLongest / 2);
  }
  return cp1252_to_utf8(text);
}

// "frequency=" -> "frequency".
std::string_view key_name(Row row) {
  const std::string_view key = SettingsTable::key(row);
  return key.substr(0, key.size() - 1);
}

std::string counted(int n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

ConfigChanges compare_config(std::string_view read, bool read_utf16, std::string_view written) {
  ConfigChanges changes;
  changes.from_utf16 = read_utf16;
  changes.unchanged = !read_utf16 && read == written;
  if (changes.unchanged) return changes;
  changes.mark_dropped = read.starts_with("\xEF\xBB\xBF");

  const std::vector<ReadLine> before = read_lines(read);
  const std::vector<ReadLine> after = read_lines(written);
  const RowLines old_rows = row_lines(before);
  const RowLines new_rows = row_lines(after);
  for (Row row : kAllRows) {
    const ReadLine* was = old_rows[slot(row)];
    const ReadLine* now = new_rows[slot(row)];
    if (now == nullptr) continue;  // not written: nothing changes for it
    if (SettingsTable::is_section_row(row)) {
      if (was == nullptr) {
        ++changes.headers_restored;
      } else if (was->text != now->text) {
        ++changes.lines_respelt;
      }
      continue;
    }
    if (was == nullptr) {
      changes.settings.push_back({row, std::nullopt, std::string(now->value)});
    } else if (was->value != now->value) {
      changes.settings.push_back({row, std::string(was->value), std::string(now->value)});
    } else if (was->text != now->text) {
      ++changes.lines_respelt;
    }
  }

  std::map<std::string_view, int> kept = other_lines(after);
  for (const ReadLine& line : before) {
    if (line.end != "\r\n") ++changes.line_ends;
    if (line.kind == LineKind::Row) continue;
    if (auto it = kept.find(line.text); it != kept.end() && it->second > 0) {
      --it->second;
      continue;
    }
    switch (line.kind) {
      case LineKind::Blank:
      case LineKind::Comment:
        ++changes.comments_dropped;
        break;
      case LineKind::Duplicate:
        ++changes.duplicates_dropped;
        break;
      case LineKind::Unknown:
      case LineKind::Row:
        ++changes.unknown_dropped;
        break;
    }
  }
  for (const auto& [text, left] : kept) changes.comments_restored += left;

  changes.reordered = changes.settings.empty() && changes.comments_restored == 0 &&
                      changes.headers_restored == 0 && changes.comments_dropped == 0 &&
                      changes.unknown_dropped == 0 && changes.duplicates_dropped == 0 &&
                      changes.lines_respelt == 0 && changes.line_ends == 0 &&
                      !changes.mark_dropped && !changes.from_utf16;
  return changes;
}

std::string describe_changes(const ConfigChanges& changes, std::size_t longest_list) {
  if (changes.unchanged) return "Saving leaves VOZ.INI as it is.";
  std::string text = "Saving changes VOZ.INI:";
  const std::size_t listed = std::min(changes.settings.size(), longest_list);
  for (std::size_t i = 0; i < listed; ++i) {
    const SettingChange& change = changes.settings[i];
    text += "\n" + std::string(SettingsTable::section(change.row)) + " " +
            std::string(key_name(change.row)) + ": " + shown_value(change.before) + " \u2192 " +
            shown_value(change.after);
  }
  if (listed < changes.settings.size()) {
    text += "\nand " + std::to_string(changes.settings.size() - listed) + " more";
  }
  const auto line = [&text](int n, std::string_view what) {
    if (n > 0) text += "\n" + std::string(what);
  };
  line(changes.comments_restored,
       "Restores " +
           counted(changes.comments_restored, "comment or blank line", "comment or blank lines"));
  line(changes.headers_restored,
       "Restores " + counted(changes.headers_restored, "section header", "section headers"));
  line(changes.comments_dropped,
       "Drops " + counted(changes.comments_dropped, "comment or blank line of the file's own",
                          "comment or blank lines of the file's own"));
  line(changes.unknown_dropped,
       "Drops " + counted(changes.unknown_dropped, "line of an unknown key or section",
                          "lines of unknown keys or sections"));
  line(changes.duplicates_dropped,
       "Drops " + counted(changes.duplicates_dropped, "duplicate line", "duplicate lines"));
  line(changes.lines_respelt,
       "Rewrites " + counted(changes.lines_respelt, "header or key in the file's own spelling",
                             "headers or keys in the file's own spelling"));
  line(changes.line_ends, "Ends " + counted(changes.line_ends, "line", "lines") + " with CR LF");
  line(changes.mark_dropped, "Drops the UTF-8 mark at the start");
  line(changes.from_utf16, "Writes the UTF-16 text as Windows-1252");
  line(changes.reordered, "Puts the lines back in the template's order");
  return text;
}

}  // namespace quorvane
