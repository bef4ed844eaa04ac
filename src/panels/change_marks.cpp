#include "panels/change_marks.h"

#include <algorithm>

#include "panels/help.h"

namespace quorvane {
namespace {

// 10 by 16 pixels: as tall as the range sign, so that it stands level with it, and narrow, so
// that it fits between a resolution box and the page's edge.
constexpr int kMarkWidth = 150;
constexpr int kMarkHeight = 240;
constexpr int kMarkGap = 30;
// A mark stands level with the control's first line: an option group is as tall as its buttons.
constexpr int kLineHeight = 285;

// The descriptions the mark's note goes before: the group's and its buttons' for an option
// group, the control's own otherwise.
std::vector<Control*> described(const Binding& binding) {
  std::vector<Control*> controls{binding.control};
  for (Control* button : binding.buttons) controls.push_back(button);
  return controls;
}

// Whether `spot` lies inside the control's container, clear of everything on it but the
// backdrops (picture boxes).
bool room_for(const Twips& spot, const Control& control) {
  const Control& container = *control.parent();
  if (spot.left + spot.width > container.rect().width) return false;
  return std::none_of(container.children().begin(), container.children().end(),
                      [&](const Control* other) {
                        const Twips& r = other->rect();
                        return other->kind() != Kind::PictureBox && spot.left < r.left + r.width &&
                               r.left < spot.left + spot.width && spot.top < r.top + r.height &&
                               r.top < spot.top + spot.height;
                      });
}

}  // namespace

std::string change_mark_name(const Binding& binding) {
  return "changed_" + binding.control->name();
}

void add_change_marks(Form& form, Declarations& declared) {
  for (Binding* binding : declared.bindings()) {
    const Control& control = *binding->control;
    const Twips& at = control.rect();
    const int top = at.top + (std::min(at.height, kLineHeight) - kMarkHeight) / 2;
    // Past whatever follows the control on its line, close by: the range sign, the browse
    // button, a unit's label ("KB").
    int right = at.left + at.width;
    for (bool moved = true; moved;) {
      moved = false;
      for (const Control* beside : control.parent()->children()) {
        const Twips& r = beside->rect();
        const bool on_line = r.top < top + kMarkHeight && top < r.top + r.height;
        if (beside == &control || beside->kind() == Kind::PictureBox || !on_line ||
            r.left < at.left || r.left > right + kMarkGap || r.left + r.width <= right) {
          continue;
        }
        right = r.left + r.width;
        moved = true;
      }
    }
    Twips spot{right + kMarkGap, top, kMarkWidth, kMarkHeight};
    // A path box's line is full: its browse button and its sign reach the next column. Its mark
    // stands over the box's right end instead, in the room its label leaves.
    if (binding->browse_button != nullptr || !room_for(spot, control)) {
      spot = Twips{at.left + at.width - kMarkWidth, at.top - kMarkHeight, kMarkWidth, kMarkHeight};
    }
    // A control of an array gets a mark of its index: "changed_ch_global(3)".
    Control& mark = form.add(Kind::ChangeMark, change_mark_name(*binding), *control.parent(), spot,
                             control.index());
    mark.picture = "changed";
    mark.set_visible(false);
    binding->change_mark = &mark;
  }
}

std::string changed_note(const Binding& binding, std::string_view read) {
  std::string held = read.empty() ? std::string("an empty value") : std::string(read);
  const std::string shown = shown_as(binding, read);
  if (shown != read) held += " (" + shown + ")";
  return "Changed: VOZ.INI held " + held + ".";
}

void show_change(const Binding& binding, std::string_view read, bool changed) {
  Control* mark = binding.change_mark;
  if (mark == nullptr) return;
  const std::string note = changed_note(binding, read);
  if (mark->visible() == changed && mark->tooltip == note) return;
  mark->set_visible(changed);
  mark->tooltip = note;
  mark->accessible_name = note;
  const std::string help = help_text(binding);
  for (Control* c : described(binding)) c->description = changed ? note + "\n\n" + help : help;
}

}  // namespace quorvane
