#pragma once

#include <deque>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/controls.h"
#include "panels/codecs.h"
#include "settings/settings_table.h"

namespace quorvane {

// One lambda per codec for std::visit.
template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

using Codec = std::variant<codec::Switch, codec::Text, codec::Coded, codec::OptionGroup>;

enum class PathKind { File, Folder };

// One setting row and the one control that shows it, as the control's page declared them. For
// an option group the control is the group's container, and `buttons` are its buttons in the
// order of the codec's values.
struct Binding {
  Row row;
  int panel;  // the panel whose collect writes the row
  Control* control;
  Codec codec;
  // The labels over the control, top to bottom ("Auto Screen" over "Resolution lock"): their
  // captions together are the control's name.
  std::vector<std::reference_wrapper<Control>> labels;
  std::vector<Control*> buttons;
  // The drive list whose picks append their letters to the box, if any.
  Control* drive_list = nullptr;
  // The "..." button beside a path box, and what it lets the user choose.
  Control* browse_button = nullptr;
  PathKind path_kind = PathKind::File;
  // Beside a control whose row states a range: shown while the value lies outside it. Beside a
  // path box: shown while its path leads nowhere.
  Control* warning_sign = nullptr;
  // Beside every setting control: shown while a save would store another value than VOZ.INI
  // held at start.
  Control* change_mark = nullptr;
};

// A page-flip label: clicking it shows or hides its panel's sub-page.
enum class Flip { ShowsSubPage, HidesSubPage };
struct PageFlip {
  int panel;
  Control* label;
  Control* sub_page;
  Flip direction;
};

// What the pages of one window declared beside their controls: the bindings and the page flips.
// Each refers to its controls themselves, so nothing is looked up by name afterwards.
class Declarations {
 public:
  Declarations() = default;
  Declarations(const Declarations&) = delete;
  Declarations& operator=(const Declarations&) = delete;

  // Stays valid as long as the declarations do: handlers hold on to it.
  Binding& bind(Binding binding);
  void flip(PageFlip flip) { flips_.push_back(flip); }

  // Every binding in ascending row order: the order in which fill_controls runs.
  std::span<const Binding* const> bindings() const { return {by_row_.data(), by_row_.size()}; }
  std::span<Binding* const> bindings() { return by_row_; }
  // The panel's bindings in ascending row order: the order its collect writes them.
  std::vector<const Binding*> panel_bindings(int panel) const;
  // The binding that sets `control` (an option button finds its group's); nullptr for none.
  const Binding* binding_of(const Control& control) const;
  // The binding of `row`; a row no control shows is a programming error (std::logic_error).
  const Binding& binding_for(Row row) const;

  const std::vector<PageFlip>& flips() const { return flips_; }

 private:
  std::deque<Binding> declared_;
  std::vector<Binding*> by_row_;
  std::vector<PageFlip> flips_;
};

void fill_binding(const Binding& binding, const SettingsTable& table);
// Sets the control as the start-up fill does, from `value` instead of the table's.
void fill_binding_value(const Binding& binding, std::string_view value);
void collect_binding(const Binding& binding, SettingsTable& table);

// Copies the setting rows into their controls, in ascending row order.
void fill_controls(const Declarations& declared, const SettingsTable& table);
// The panel's controls (both pages where it has two) back into the table.
void collect_panel_rows(const Declarations& declared, int panel, SettingsTable& table);

// What collecting the control now would leave in the row: its new value, or the row's own where
// the codec keeps the row (an unknown frame delay, say).
std::string value_to_store(const Binding& binding, const SettingsTable& table);

// How the control shows `value`, as the user would read it: "Enable", "60 Hz", "Fullscreen", the
// text itself. A value the control cannot show (a frame delay of 16667) is given as it stands.
std::string shown_as(const Binding& binding, std::string_view value);

// The controls a binding sets: the bound control, or an option group's buttons.
std::vector<Control*> bound_controls(const Binding& binding);

// A switch's click handler: its caption follows its state, in its codec's words ("Enable",
// "Locked"). Anything else is left alone.
void switch_Click(const Binding& binding);

// A drive list's change handler: appends the chosen drive's letter, upper-cased, to the box.
// Drive texts start with the letter, as in "c:" or "d: [DATA]"; an empty drive text (nothing
// chosen, or no drives at all) adds nothing.
void drive_list_Change(const Binding& binding);

}  // namespace quorvane
