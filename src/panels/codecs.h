#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The conversions between a setting's stored text and the state of the control that shows it.
// Each is a pair of pure functions: fill (stored value -> control state) and collect (control
// state -> new stored value, or nullopt to leave the row as it is). They know nothing of forms
// or tables, so each is tested once on its own and every binding reuses it.
namespace quorvane::codec {

// The row's new value, or nullopt: the row keeps the value it has.
using Collected = std::optional<std::string>;

// A check box standing for two stored values. Only the exact checked value checks the box, so
// "Y", " y" or an empty value all show unchecked and come back as the unchecked value.
// The box's caption follows its state.
struct Switch {
  std::string_view checked_value;
  std::string_view unchecked_value;
  std::string_view checked_caption;
  std::string_view unchecked_caption;

  int fill(std::string_view value) const { return value == checked_value ? 1 : 0; }
  std::string collect(int box_value) const {
    return std::string(box_value == 1 ? checked_value : unchecked_value);
  }
  std::string_view caption(int box_value) const {
    return box_value == 1 ? checked_caption : unchecked_caption;
  }
};

// ch_global: checked means "y".
inline constexpr Switch kSwitch{"y", "n", "Enable", "Disable"};
// ch_glolock: the box says "Locked", while the key it feeds asks whether to unlock, so a checked
// box stores "n".
inline constexpr Switch kLockSwitch{"n", "y", "Locked", "Unlock"};

// Texts that are stored exactly as typed, blanks and all.
struct Text {
  std::string fill(std::string_view value) const { return std::string(value); }
  std::string collect(std::string_view text) const { return std::string(text); }
};

struct CodePair {
  std::string_view value;
  std::string_view text;
};

// What collecting a text that is not in the code table does.
enum class UnknownText {
  StoreEmpty,  // the row becomes the empty value
  KeepRow,     // the row keeps its value, so a code the combo cannot show survives a visit
};

// A setting stored as a code and shown as a text. Matching is exact in both directions; a stored
// value that is not in the table shows as the empty text. The table is in the order the combo
// lists its texts.
struct Coded {
  std::span<const CodePair> codes;
  UnknownText unknown_text = UnknownText::StoreEmpty;

  std::string fill(std::string_view value) const;
  Collected collect(std::string_view text) const;
  // The texts, for the combo's list.
  std::vector<std::string> texts() const;
};

// A group of mutually exclusive option buttons, each standing for one stored value.
struct OptionGroup {
  // The value whose button a value matching no button selects; nullopt leaves every button
  // cleared.
  std::optional<std::string_view> unknown_selects;
  // What collecting stores while no button is selected; nullopt keeps the row.
  std::optional<std::string_view> none_selected_stores;
  // Each button's value, in the order the page declares the buttons.
  std::vector<std::string_view> values = {};

  // The button (position in `values`) to select, or nullopt for none.
  std::optional<std::size_t> fill(std::string_view value) const;
  // selected: the position of the selected button, nullopt when none is.
  Collected collect(std::optional<std::size_t> selected) const;
};

}  // namespace quorvane::codec
