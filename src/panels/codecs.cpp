#include "panels/codecs.h"

namespace quorvane::codec {

std::string Coded::fill(std::string_view value) const {
  for (const CodePair& code : codes) {
    if (code.value == value) return std::string(code.text);
  }
  return {};
}

Collected Coded::collect(std::string_view text) const {
  for (const CodePair& code : codes) {
    if (code.text == text) return std::string(code.value);
  }
  if (unknown_text == UnknownText::KeepRow) return std::nullopt;
  return std::string();
}

std::vector<std::string> Coded::texts() const {
  std::vector<std::string> items;
  items.reserve(codes.size());
  for (const CodePair& code : codes) items.emplace_back(code.text);
  return items;
}

std::optional<std::size_t> OptionGroup::fill(std::string_view value) const {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (values[i] == value) return i;
  }
  if (unknown_selects && *unknown_selects != value) return fill(*unknown_selects);
  return std::nullopt;
}

Collected OptionGroup::collect(std::optional<std::size_t> selected) const {
  if (selected && *selected < values.size()) return std::string(values[*selected]);
  if (none_selected_stores) return std::string(*none_selected_stores);
  return std::nullopt;
}

}  // namespace quorvane::codec
