#pragma once

#include <array>
#include <string_view>

namespace quorvane {

// The template VOZ.INI is regenerated from. Each item is one of:
//   "b"             an empty line;
//   "0" to "71"     the line of that settings row (each row appears once, in ascending order);
//   anything else   a literal line, spaces included.
inline constexpr int kTemplateItemCount = 614;
// Only the first 612 items are written; the last two "b" items stay out of the file, which
// therefore ends with the line of row 71.
inline constexpr int kTemplateWrittenItems = 612;

extern const std::array<std::string_view, kTemplateItemCount> kConfigTemplate;

// The row an item stands for, or -1 for an empty or literal line.
int template_row(std::string_view item);

}  // namespace quorvane
