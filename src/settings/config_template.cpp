#include "settings/config_template.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvane {

// config_template.ini's bytes, embedded by the build (see embed_template.cmake).
extern const unsigned char kConfigTemplateBytes[];
extern const std::size_t kConfigTemplateSize;

namespace {

std::optional<Row> row_named(std::string_view name) {
  for (Row row : kAllRows) {
    if (SettingsTable::name(row) == name) return row;
  }
  return std::nullopt;
}

}  // namespace

ParsedTemplate parse_config_template(std::string_view text) {
  ParsedTemplate parsed;
  int next_row = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    // A checkout that turned the line ends into CR LF reads the same.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.starts_with('@')) {
      const std::optional<Row> row = row_named(line.substr(1));
      if (!row) throw std::logic_error("the settings template names no row " + std::string(line));
      if (number(*row) != next_row) {
        throw std::logic_error("the settings template has " + std::string(line) +
                               " out of its place in the file");
      }
      ++next_row;
      parsed.items.emplace_back(*row);
      parsed.written = parsed.items.size();
    } else {
      parsed.items.emplace_back(line);
    }
  }
  if (next_row != kRowCount) {
    throw std::logic_error("the settings template stops before row " +
                           std::string(SettingsTable::name(static_cast<Row>(next_row))));
  }
  return parsed;
}

namespace {

const ParsedTemplate& parsed_template() {
  static const ParsedTemplate parsed = parse_config_template(config_template_text());
  return parsed;
}

}  // namespace

std::string_view config_template_text() {
  return std::string_view(reinterpret_cast<const char*>(kConfigTemplateBytes), kConfigTemplateSize);
}

std::span<const TemplateItem> config_template() { return parsed_template().items; }

std::size_t written_template_items() { return parsed_template().written; }

}  // namespace quorvane
