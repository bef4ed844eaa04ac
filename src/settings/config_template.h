#pragma once

#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/settings_table.h"

namespace quorvane {

// The template VOZ.INI is regenerated from: config_template.ini beside this header, compiled in.
// It reads as the file it produces. Each of its lines is one of:
//   "@name"         the line of that settings row (each row once, in file order), e.g. "@vsync";
//   anything else   a literal line, spaces included ("" is an empty line).
// The file is Windows-1252, as VOZ.INI is: the micro sign in the frame-delay comment is the
// single byte 0xB5, and the trailing spaces of two comment lines are deliberate. The output ends
// with the last row's line; the template's closing blank lines stay out of the file.
using TemplateItem = std::variant<std::string_view, Row>;

// The template's lines in order. Checked once when first asked for: a template that names an
// unknown row, or misses or repeats one, is a build fault and throws std::logic_error.
std::span<const TemplateItem> config_template();

// How many of those items are written: up to and including the last row line.
std::size_t written_template_items();

struct ParsedTemplate {
  std::vector<TemplateItem> items;
  std::size_t written = 0;  // items up to and including the last row line
};
// Reads a template text; throws std::logic_error for a marker of no row or out of its place, or a
// row missing at the end.
ParsedTemplate parse_config_template(std::string_view text);

// The template's raw text, for the checks above and the help that quotes its comments.
std::string_view config_template_text();

}  // namespace quorvane
