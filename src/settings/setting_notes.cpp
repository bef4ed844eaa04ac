#include "settings/setting_notes.h"

#include <cstddef>

namespace quorvane {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// A comment line of a setting's block is indented and starts with ";" (one line of the display
// size block has a ":" instead, which reads the same to the emulator: it skips indented lines).
std::optional<std::string_view> comment_text(std::string_view line) {
  if (line.empty() || !is_blank(line.front())) return std::nullopt;
  const std::string_view rest = trimmed(line);
  if (rest.empty() || (rest.front() != ';' && rest.front() != ':')) return std::nullopt;
  return trimmed(rest.substr(1));
}

std::string single_spaced(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (is_blank(c) && !out.empty() && out.back() == ' ') continue;
    out += is_blank(c) ? ' ' : c;
  }
  return out;
}

bool is_underline(std::string_view s) { return s.find_first_not_of('-') == std::string_view::npos; }

// The note lines of the comment block that ends the literal lines `above` (a row's line follows
// them, after the blank line that the template keeps between the two).
std::vector<std::string> block_above(std::span<const std::string_view> above) {
  std::size_t end = above.size();
  while (end > 0 && trimmed(above[end - 1]).empty()) --end;
  std::size_t begin = end;
  while (begin > 0 && comment_text(above[begin - 1])) --begin;
  std::vector<std::string> lines;
  for (std::size_t i = begin; i < end; ++i) {
    const std::string_view text = *comment_text(above[i]);
    if (text.empty() || is_underline(text)) continue;
    lines.push_back(single_spaced(text));
  }
  return lines;
}

struct Bound {
  long long number = 0;
  bool percent = false;
};

// Reads a whole number (and a "%" after it) at `pos`, moving past it.
std::optional<Bound> read_bound(std::string_view s, std::size_t& pos) {
  std::size_t p = pos;
  long long n = 0;
  while (p < s.size() && is_digit(s[p]) && p - pos < 18) n = n * 10 + (s[p++] - '0');
  if (p == pos || (p < s.size() && is_digit(s[p]))) return std::nullopt;
  Bound bound{n, false};
  if (p < s.size() && s[p] == '%') {
    bound.percent = true;
    ++p;
  }
  pos = p;
  return bound;
}

void skip_blanks(std::string_view s, std::size_t& pos) {
  while (pos < s.size() && is_blank(s[pos])) ++pos;
}

// "8000 - 48000", "0-100", "1 (fast) to 10 (slow)", "50% (default) to 90%" at `pos`.
std::optional<StatedRange> range_at(std::string_view s, std::size_t pos) {
  const std::optional<Bound> low = read_bound(s, pos);
  if (!low) return std::nullopt;
  skip_blanks(s, pos);
  if (pos < s.size() && s[pos] == '(') {  // a word on the bound: "(fast)", "(default)"
    const std::size_t close = s.find(')', pos);
    if (close == std::string_view::npos) return std::nullopt;
    pos = close + 1;
    skip_blanks(s, pos);
  }
  if (s.substr(pos).starts_with('-')) {
    pos += 1;
  } else if (s.substr(pos).starts_with("to ")) {
    pos += 2;
  } else {
    return std::nullopt;
  }
  skip_blanks(s, pos);
  const std::optional<Bound> high = read_bound(s, pos);
  if (!high || high->number < low->number) return std::nullopt;
  // The range ends there: "(2 - 30), in 1/60th", "(15000-18000 <micro>s)".
  if (pos < s.size() && !is_blank(s[pos]) && s[pos] != ')' && s[pos] != ',') return std::nullopt;
  return StatedRange{low->number, high->number, low->percent || high->percent};
}

// "15 -> full interpolation": the code at the start of a line of a code list.
std::optional<long long> code_of(std::string_view line) {
  std::size_t pos = 0;
  const std::optional<Bound> code = read_bound(line, pos);
  if (!code || code->percent) return std::nullopt;
  skip_blanks(line, pos);
  if (!line.substr(pos).starts_with("->")) return std::nullopt;
  return code->number;
}

}  // namespace

bool StatedRange::contains(std::string_view value) const {
  if (value.empty()) return true;
  if (percent && value.back() == '%') value.remove_suffix(1);
  if (value.empty() || value.size() > 18) return false;
  long long n = 0;
  for (char c : value) {
    if (!is_digit(c)) return false;
    n = n * 10 + (c - '0');
  }
  return n >= low && n <= high;
}

std::string StatedRange::text() const {
  const char* sign = percent ? "%" : "";
  return std::to_string(low) + sign + " - " + std::to_string(high) + sign;
}

std::optional<StatedRange> find_stated_range(std::span<const std::string> lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (auto range = range_at(line, 0)) return range;
    for (std::size_t open = line.find('('); open != std::string_view::npos;
         open = line.find('(', open + 1)) {
      if (auto range = range_at(line, open + 1)) return range;
    }
    // A code list whose ".." stands for every code between the two around it. A trailing "..."
    // leaves the list open, and states no range.
    if (i + 2 < lines.size() && lines[i + 1] == "..") {
      const std::optional<long long> first = code_of(line);
      const std::optional<long long> last = code_of(lines[i + 2]);
      if (first && last && *first <= *last) return StatedRange{*first, *last, false};
    }
  }
  return std::nullopt;
}

std::vector<SettingNote> read_setting_notes(std::span<const TemplateItem> items) {
  std::vector<SettingNote> notes(kRowCount);
  std::vector<std::string_view> above;
  SettingNote shared;
  for (const TemplateItem& item : items) {
    if (const auto* line = std::get_if<std::string_view>(&item)) {
      above.push_back(*line);
      continue;
    }
    const Row row = std::get<Row>(item);
    if (SettingsTable::is_section_row(row)) {
      shared = {};
    } else if (!above.empty()) {
      // Row lines that follow each other directly share the block above the first of them.
      shared.lines = block_above(above);
      shared.range = find_stated_range(shared.lines);
    }
    if (!SettingsTable::is_section_row(row)) notes[slot(row)] = shared;
    above.clear();
  }
  return notes;
}

const SettingNote& setting_note(Row row) {
  static const std::vector<SettingNote> notes = read_setting_notes(config_template());
  return notes[slot(row)];
}

}  // namespace quorvane
