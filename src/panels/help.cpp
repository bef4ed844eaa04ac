#include "panels/help.h"

#include <map>
#include <vector>

namespace quorvane {

namespace {

constexpr int kSignSize = 240;  // 16 pixels
constexpr int kSignGap = 30;

std::string stored_text(std::string_view value) {
  return value.empty() ? std::string("an empty value") : std::string(value);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

// "Enable as y, Disable as n": what each of the control's states stores, where the control
// shows words of its own rather than the value itself.
std::string stored_codes(const Binding& binding) {
  std::vector<std::pair<std::string, std::string_view>> pairs;
  std::visit(Overloaded{
                 [&](const codec::Switch& c) {
                   pairs.emplace_back(c.checked_caption, c.checked_value);
                   pairs.emplace_back(c.unchecked_caption, c.unchecked_value);
                 },
                 [&](const codec::Text&) {},
                 [&](const codec::Coded& c) {
                   for (const codec::CodePair& code : c.codes) {
                     pairs.emplace_back(code.text, code.value);
                   }
                 },
                 [&](const codec::OptionGroup& c) {
                   for (std::size_t i = 0; i < c.values.size(); ++i) {
                     pairs.emplace_back(binding.buttons.at(i)->caption(), c.values[i]);
                   }
                 },
             },
             binding.codec);
  std::string text;
  for (const auto& [shown, value] : pairs) {
    text += (text.empty() ? "" : ", ") + shown + " as " + stored_text(value);
  }
  return text;
}

}  // namespace

std::string caption_of(const Binding& binding) {
  std::string caption;
  for (const Control& label : binding.labels) {
    if (!caption.empty()) caption += ' ';
    caption += label.caption();
  }
  return caption;
}

std::string help_text(const Binding& binding) {
  std::string text = joined(setting_note(binding.row).lines);
  text += "\n\n";
  text += std::string(SettingsTable::section(binding.row)) + " " +
          std::string(SettingsTable::key(binding.row));
  const std::string_view fallback = SettingsTable::default_value(binding.row);
  text += "\nDefault: " + std::string(fallback.empty() ? "empty" : fallback);
  const std::string shown = shown_as(binding, fallback);
  if (shown != fallback) text += " (" + shown + ")";
  if (const std::string codes = stored_codes(binding); !codes.empty()) {
    text += "\nThe panel stores " + codes + ".";
  }
  return text;
}

std::string warning_sign_name(const Binding& binding) { return "warn_" + binding.control->name(); }

std::string range_warning(const StatedRange& range) {
  return "Outside " + range.text() + ", the range that VOZ.INI's comment gives.\n" +
         kSavedAsItStands;
}

namespace {

// The binding's warning sign, hidden, `gap` right of `beside` and centred on it.
Control& add_sign(Form& form, Binding& binding, const Twips& beside, int gap) {
  Control& sign =
      form.add(Kind::WarningSign, warning_sign_name(binding), *binding.control->parent(),
               Twips{beside.left + beside.width + gap, beside.top + (beside.height - kSignSize) / 2,
                     kSignSize, kSignSize});
  sign.picture = "warning";
  sign.set_visible(false);
  binding.warning_sign = &sign;
  return sign;
}

}  // namespace

void annotate_settings(Form& form, Declarations& declared) {
  std::map<Control*, std::vector<const Binding*>> by_label;
  for (Binding* binding : declared.bindings()) {
    const std::string help = help_text(*binding);
    const std::string caption = caption_of(*binding);
    Control& control = *binding->control;
    control.accessible_name = caption;
    control.description = help;
    if (std::holds_alternative<codec::OptionGroup>(binding->codec)) {
      // The group carries the name; each button is read by its own caption, in the group.
      control.role = Role::Grouping;
      for (Control* button : binding->buttons) {
        button->tooltip = help;
        button->description = help;
      }
    } else {
      control.tooltip = help;
    }
    for (Control& label : binding->labels) {
      by_label[&label].push_back(binding);
      control.labelled_by.push_back(&label);
    }

    if (const std::optional<StatedRange>& range = setting_note(binding->row).range) {
      Control& sign = add_sign(form, *binding, control.rect(), kSignGap);
      sign.tooltip = range_warning(*range);
      sign.accessible_name = sign.tooltip;
    }

    // A drive list serves the row of its text box. Its tooltip stays free for the reason an
    // empty list gives.
    if (Control* list = binding->drive_list) {
      list->accessible_name = caption;
      list->description = help;
      // The box's label stands over the list, which lies between the two.
      for (const Control& label : binding->labels) list->labelled_by.push_back(&label);
    }
    if (Control* button = binding->browse_button) {
      // A path box's sign says where its value leads when nothing is there; the shell fills in
      // its text. It stands right of the browse button, a pixel clear of it: the right column's
      // labels begin just beyond.
      add_sign(form, *binding, button->rect(), kSignGap / 2);
      button->accessible_name = "Browse for " + caption;
      button->tooltip = std::string(binding->path_kind == PathKind::File ? "Choose the file"
                                                                         : "Choose the folder") +
                        " for " + caption;
      button->description = button->tooltip;
    }
  }

  // A label over several controls (the resolutions' headings) says what their shared comment
  // says.
  for (const auto& [label, bindings] : by_label) {
    if (bindings.size() == 1) {
      label->tooltip = help_text(*bindings.front());
      continue;
    }
    const std::vector<std::string>& lines = setting_note(bindings.front()->row).lines;
    bool shared = true;
    for (const Binding* b : bindings) shared = shared && setting_note(b->row).lines == lines;
    if (shared) label->tooltip = joined(lines);
  }
}

}  // namespace quorvane
