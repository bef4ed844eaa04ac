#include "shell/view_core.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>
#include <utility>

#include "settings/text_encoding.h"
#include "shell/form_layout.h"

namespace quorvane {
namespace {

bool is_line_break(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }
bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// A caption may shrink to this share of its size before it is allowed to spill.
constexpr double kSmallestScale = 0.8;
constexpr int kNarrowestStretch = 88;
constexpr int kStretchStep = 3;

const char* verb_text(Verb verb) {
  switch (verb) {
    case Verb::Click:
      return "Clicking";
    case Verb::Choose:
      return "Choosing";
    case Verb::Type:
      return "Typing into";
    case Verb::PickDrive:
      return "Choosing a drive in";
    case Verb::Drag:
      return "Dragging";
    case Verb::Tick:
      return "The timer";
    case Verb::OpenMenu:
      return "Opening the menu of";
    case Verb::Restore:
      return "Restoring";
    case Verb::Drop:
      return "Dropping onto";
  }
  return "Using";
}

}  // namespace

CleanText clean_typed_text(std::u16string_view typed, std::size_t caret) {
  CleanText clean;
  clean.shown.reserve(typed.size());
  clean.caret = std::min(caret, typed.size());
  const std::size_t old_caret = clean.caret;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    const char16_t c = typed[i];
    const bool pair =
        is_high_surrogate(c) && i + 1 < typed.size() && is_low_surrogate(typed[i + 1]);
    if (!is_line_break(c) && cp1252_byte(c) >= 0) {
      clean.shown.push_back(c);
      continue;
    }
    const std::size_t width = pair ? 2 : 1;
    if (i < old_caret) clean.caret -= std::min(width, old_caret - i);
    if (is_line_break(c)) continue;
    const std::u16string_view one = typed.substr(i, width);
    // Each refused character once, however often it was typed or pasted.
    if (clean.refused.find(one) == std::u16string::npos) clean.refused += one;
    i += width - 1;
  }
  clean.bytes = cp1252_from_utf16(clean.shown);
  return clean;
}

std::u16string refusal_note(std::u16string_view refused) {
  std::u16string quoted;
  for (std::size_t i = 0; i < refused.size(); ++i) {
    const std::size_t width =
        is_high_surrogate(refused[i]) && i + 1 < refused.size() && is_low_surrogate(refused[i + 1])
            ? 2
            : 1;
    if (!quoted.empty()) quoted += u", ";
    quoted += u"\u201C";
    quoted += refused.substr(i, width);
    quoted += u"\u201D";
    i += width - 1;
  }
  return quoted + u" cannot be stored in VOZ.INI (Windows-1252)";
}

std::string break_long_runs(std::string_view text, std::size_t longest) {
  const auto inside_character = [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
  };
  std::string out;
  out.reserve(text.size() + text.size() / longest);
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of(" \t\n", start), text.size());
    std::string_view run = text.substr(start, end - start);
    while (run.size() > longest) {
      // After the last separator that leaves a line of some length, else at the limit (never
      // inside a character).
      std::size_t cut = run.substr(0, longest).find_last_of("\\/");
      cut = cut != std::string_view::npos && cut + 1 >= longest / 3 ? cut + 1 : longest;
      while (cut > 1 && inside_character(run[cut])) --cut;
      out.append(run.substr(0, cut));
      out += '\n';
      run.remove_prefix(cut);
    }
    out.append(run);
    if (end < text.size()) out += text[end];
    start = end + 1;
  }
  return out;
}

std::u16string to_widget_text(std::string_view bytes) { return cp1252_to_utf16(bytes); }
std::string to_model_bytes(std::u16string_view text) { return cp1252_from_utf16(text); }

int list_move(int current, int count, ListKey key) {
  if (count <= 0) return -1;
  if (current < 0 || current >= count) return key == ListKey::End ? count - 1 : 0;
  constexpr int kPage = kListItemsShown - 1;
  int next = current;
  switch (key) {
    case ListKey::Up:
      next = current - 1;
      break;
    case ListKey::Down:
      next = current + 1;
      break;
    case ListKey::PageUp:
      next = current - kPage;
      break;
    case ListKey::PageDown:
      next = current + kPage;
      break;
    case ListKey::Home:
      next = 0;
      break;
    case ListKey::End:
      next = count - 1;
      break;
  }
  return std::clamp(next, 0, count - 1);
}

std::string describe(const Control& control, Verb verb) {
  return std::string(verb_text(verb)) + " " + control.display_name();
}

std::string failure_reason(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return "there is not enough memory";
  return error.what();
}

std::string handler_failure_text(std::string_view what, std::string_view reason) {
  return std::string(what) + " failed, and the program has to end.\n\n" + std::string(reason);
}

ViewCore::ViewCore(Form& form, WindowSystem& window_system, ViewEvents events)
    : form_(form), ws_(window_system), events_(std::move(events)) {}

void ViewCore::sync() {
  if (!sync_ || syncing_) return;
  syncing_ = true;
  try {
    sync_();
  } catch (...) {
    syncing_ = false;
    throw;
  }
  syncing_ = false;
}

bool ViewCore::accepting() const { return !syncing_ && !failed_ && !ws_.ended(); }

void ViewCore::dispatch(std::string_view what, const std::function<void()>& action) {
  if (!accepting()) return;
  std::string reason;
  try {
    action();
    if (!ws_.ended() && events_.changed) events_.changed();
    if (!ws_.ended()) sync();
    return;
  } catch (const std::exception& e) {
    reason = failure_reason(e);
  } catch (...) {
    reason = "an unknown error";
  }
  // The message box runs its own event loop; nothing may reach the logic meanwhile.
  failed_ = true;
  ws_.show_message(MessageKind::Error, kWindowTitle, handler_failure_text(what, reason));
  ws_.end_program_with(1);
}

void ViewCore::dispatch(const Control& control, Verb verb, const std::function<void()>& action) {
  dispatch(describe(control, verb), action);
}

void ViewCore::check_box_clicked(Control& box, bool checked) {
  dispatch(box, Verb::Click, [&box, checked] { box.set_value(checked ? 1 : 0); });
}

void ViewCore::option_chosen(Control& button) {
  dispatch(button, Verb::Choose, [&button] { button.set_option_value(true); });
}

void ViewCore::button_clicked(Control& button) {
  dispatch(button, Verb::Click, [&button] { button.click(); });
}

const Control* ViewCore::activated(Control& control, bool had_focus) {
  dispatch(control, Verb::Click, [&control] { control.click(); });
  if (!had_focus || !accepting()) return nullptr;
  return focus_after_activation(form_, control);
}

CleanText ViewCore::text_edited(Control& field, std::u16string_view text, std::size_t caret) {
  // Tab moves the keyboard on, so a tab that arrives in a field came with a paste: it becomes a
  // space, which both toolkits' one-line fields show alike (one draws a tab as nothing). A tab
  // that the file held already, outside what changed, stays as it is.
  const std::u16string before = to_widget_text(field.text());
  std::size_t head = 0;
  while (head < before.size() && head < text.size() && before[head] == text[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < text.size() - head &&
         before[before.size() - 1 - tail] == text[text.size() - 1 - tail]) {
    ++tail;
  }
  std::u16string arrived(text);
  for (std::size_t i = head; i < arrived.size() - tail; ++i) {
    if (arrived[i] == u'\t') arrived[i] = u' ';
  }
  CleanText clean = clean_typed_text(arrived, caret);
  if (clean.bytes != field.text()) {
    dispatch(field, Verb::Type, [&field, &clean] { field.set_text(clean.bytes); });
  }
  return clean;
}

void ViewCore::item_chosen(Control& combo, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= combo.list().size()) return;
  const std::string item = combo.list()[static_cast<std::size_t>(index)];
  dispatch(combo, Verb::Type, [&combo, item] { combo.set_text(item); });
}

void ViewCore::closed_list_key(Control& combo, ListKey key) {
  const int next = list_move(combo.current_item(), static_cast<int>(combo.list().size()), key);
  if (next != combo.current_item()) item_chosen(combo, next);
}

void ViewCore::drive_picked(Control& list, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.list().size()) return;
  const std::string drive = list.list()[static_cast<std::size_t>(index)];
  dispatch(list, Verb::PickDrive, [&list, drive] { list.pick_drive(drive); });
}

void ViewCore::files_dropped(Control& target, const std::vector<std::string>& paths) {
  if (!target.takes_drops() || paths.empty()) return;
  dispatch(target, Verb::Drop, [&target, &paths] { target.drop(paths); });
}

void ViewCore::mouse_moved(Control& control, int buttons) {
  if (!control.has_mouse_move()) return;
  dispatch(control, Verb::Drag, [&control, buttons] { control.mouse_move(buttons); });
}

void ViewCore::timer_ticked(Control& timer) {
  if (!timer.enabled()) return;
  dispatch(timer, Verb::Tick, [&timer] { timer.click(); });
}

void ViewCore::window_closed() {
  if (!events_.unload) return;
  dispatch("Closing the window", [this] { events_.unload(); });
}

std::optional<ViewMenu> ViewCore::open_menu(Control& control, bool edit_field) {
  if (!control.has_context_menu() || !accepting()) return std::nullopt;
  menu_.clear();
  dispatch(control, Verb::OpenMenu, [this, &control] { menu_ = control.context_menu(); });
  if (!accepting()) return std::nullopt;
  ViewMenu menu;
  menu.field_entries = edit_field;
  for (const MenuEntry& entry : menu_) {
    std::u16string caption;
    for (char16_t c : to_widget_text(entry.caption)) {
      caption.push_back(c);
      if (c == u'&') caption.push_back(u'&');
    }
    menu.entries.push_back(std::move(caption));
  }
  return menu;
}

void ViewCore::menu_chosen(Control& control, std::size_t entry) {
  if (entry >= menu_.size()) return;
  const std::function<void()> choose = std::move(menu_[entry].choose);
  menu_.clear();
  dispatch(control, Verb::Restore, [&choose] { choose(); });
}

Role ViewCore::spoken_role(const Control& control) {
  if (control.role != Role::Native) return control.role;
  if (control.kind() == Kind::Image) return control.activatable ? Role::PushButton : Role::Graphic;
  if (control.kind() == Kind::WarningSign || control.kind() == Kind::ChangeMark) {
    return Role::Graphic;
  }
  return Role::Native;
}

std::string ViewCore::spoken_name(const Control& control) {
  if (!control.accessible_name.empty()) return control.accessible_name;
  if (control.kind() == Kind::Image || control.kind() == Kind::WarningSign ||
      control.kind() == Kind::ChangeMark) {
    // A sign that names a path carries it in the system's text; the name is read through the
    // model's, like every name.
    return control.tooltip_utf8 ? to_model_bytes(utf8_to_utf16(control.tooltip)) : control.tooltip;
  }
  return {};
}

std::u16string ViewCore::tooltip_text(const Control& control) {
  const int item = control.item_tooltips.empty() ? -1 : control.current_item();
  if (item >= 0 && static_cast<std::size_t>(item) < control.item_tooltips.size() &&
      !control.item_tooltips[static_cast<std::size_t>(item)].empty()) {
    return utf8_to_utf16(control.item_tooltips[static_cast<std::size_t>(item)]);
  }
  return control.tooltip_utf8 ? utf8_to_utf16(control.tooltip) : to_widget_text(control.tooltip);
}

std::u16string ViewCore::description_text(const Control& control) {
  return control.description_utf8 ? utf8_to_utf16(control.description)
                                  : to_widget_text(control.description);
}

std::u16string ViewCore::title() const {
  const std::string& caption = form_.root().caption();
  return to_widget_text(caption.empty() ? std::string_view(kWindowTitle) : caption);
}

bool ViewCore::drawn(const Control& control) const {
  return control.visible() && !form_.covered(control);
}

bool ViewCore::contents_due(const Control& container) const {
  return container.kind() == Kind::PictureBox && container.shown();
}

bool ViewCore::enabled(const Control& control) const {
  return control.kind() != Kind::DriveList || !control.list().empty();
}

std::vector<const Control*> ViewCore::tab_order() const {
  std::vector<const Control*> order;
  for (const Control* c : focus_order(form_)) {
    if (form_.on_screen(*c) && enabled(*c)) order.push_back(c);
  }
  return order;
}

std::vector<const Control*> ViewCore::focus_chain() const { return focus_order(form_); }

const Control* ViewCore::next_focus(const Control* from, bool backwards) const {
  const std::vector<const Control*> order = tab_order();
  if (order.empty()) return nullptr;
  const auto at = std::find(order.begin(), order.end(), from);
  if (at == order.end()) return backwards ? order.back() : order.front();
  const std::size_t i = static_cast<std::size_t>(at - order.begin());
  return order[backwards ? (i + order.size() - 1) % order.size() : (i + 1) % order.size()];
}

const Control* ViewCore::first_focus() const {
  const std::vector<const Control*> order = tab_order();
  return order.empty() ? nullptr : order.front();
}

const Control* ViewCore::focus_back(const Control* left) const {
  if (left != nullptr && form_.on_screen(*left) && enabled(*left) && takes_focus(*left)) {
    return left;
  }
  return first_focus();
}

const std::vector<std::string>& font_stand_ins(std::string_view family) {
  static const std::vector<std::string> sans{
      "Microsoft Sans Serif", "Tahoma",    "Liberation Sans", "Arimo", "Arial",
      "Nimbus Sans",          "Helvetica", "DejaVu Sans"};
  static const std::vector<std::string> serif{
      "Times New Roman", "Liberation Serif", "Tinos", "Nimbus Roman", "Times", "DejaVu Serif"};
  static const std::vector<std::string> none;
  if (family == "Times New Roman") return serif;
  if (family == "MS Sans Serif") return sans;
  return none;
}

int font_pixels(const FontSpec& font, int dpi) {
  return std::max(1, static_cast<int>(std::lround(font.points * dpi / 72.0)));
}

std::vector<FontStep> font_steps(const FontSpec& font, int dpi) {
  const int nominal = font_pixels(font, dpi);
  const int smallest = std::max(1, static_cast<int>(std::floor(nominal * kSmallestScale)));
  std::vector<FontStep> steps;
  for (int pixels = nominal; pixels >= smallest; --pixels) {
    for (int stretch = 100; stretch >= kNarrowestStretch; stretch -= kStretchStep) {
      steps.push_back(FontStep{pixels, stretch});
    }
  }
  return steps;
}

FontStep fit_font(const FontSpec& font, int dpi, const std::function<int(FontStep)>& needed,
                  int width) {
  const std::vector<FontStep> steps = font_steps(font, dpi);
  for (const FontStep& step : steps) {
    if (needed(step) <= width) return step;
  }
  return steps.back();
}

PixelSize label_box(const Control& label, PixelSize box, int caption_width, int line_height,
                    int room) {
  PixelSize fitted{box.width, std::max(box.height, line_height)};
  if (caption_width > box.width && label.align == Align::Left) {
    fitted.width = std::max(box.width, std::min(caption_width, room));
  }
  return fitted;
}

std::string widest_entry(const Control& combo,
                         const std::function<int(const std::string&)>& width) {
  std::string widest = combo.text();
  int widest_width = width(widest);
  for (const std::string& item : combo.list()) {
    const int w = width(item);
    if (w > widest_width) {
      widest = item;
      widest_width = w;
    }
  }
  return widest;
}

int drop_down_width(int widest_item, int box_width, int scroll_bar, int dpi) {
  constexpr int kMargins = 12;  // at 96 dpi: the list's frame and its items' own margins
  return std::max(box_width, widest_item + scroll_bar + kMargins * dpi / 96);
}

bool ViewCore::key_pressed() {
  if (keyboard_used_) return false;
  keyboard_used_ = true;
  return true;
}

void ViewCore::list_opened(const Control& list) { open_list_ = &list; }

void ViewCore::list_closed(const Control& list) {
  if (open_list_ == &list) open_list_ = nullptr;
}

ControlColours colours_for(const Control& control, const Appearance& appearance) {
  ControlColours colours;
  colours.background = control.background;
  if (appearance.high_contrast) {
    colours.background = appearance.system.window;
    colours.text = appearance.system.window_text;
    colours.surface_art = false;
    colours.art_plate = control.background;
  }
  return colours;
}

namespace {

// The relative luminance of a colour (WCAG 2), with the power of 2.4 taken as 2.5, which a
// square root gives: no power function in the .exe for it (the .exe counts its kilobytes), and
// the light themes' whites come out a little darker still.
double luminance(Rgb rgb) {
  const auto channel = [](unsigned value) {
    const double c = value / 255.0;
    if (c <= 0.03928) return c / 12.92;
    const double x = (c + 0.055) / 1.055;
    return x * x * std::sqrt(x);
  };
  return 0.2126 * channel((rgb >> 16) & 0xFF) + 0.7152 * channel((rgb >> 8) & 0xFF) +
         0.0722 * channel(rgb & 0xFF);
}

}  // namespace

bool high_contrast_colours(const SystemColours& colours) {
  const double a = luminance(colours.window);
  const double b = luminance(colours.window_text);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05) >= 19.5;
}

}  // namespace quorvane
