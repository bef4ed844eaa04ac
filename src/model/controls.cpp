#include "model/controls.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace quorvane {

Control::Control(Kind kind, std::string name, int index, Control* parent, Twips rect)
    : kind_(kind), name_(std::move(name)), index_(index), parent_(parent), rect_(rect) {}

std::string Control::display_name() const {
  if (index_ < 0) return name_;
  return name_ + "(" + std::to_string(index_) + ")";
}

bool Control::shown() const {
  for (const Control* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::set_value(int value) {
  if (value == value_) return;
  value_ = value;
  if (on_click_) on_click_(*this);
}

void Control::set_option_value(bool value) {
  option_value_ = value;
  if (!value || parent_ == nullptr) return;
  for (Control* sibling : parent_->children_) {
    if (sibling != this && sibling->kind_ == Kind::OptionButton) sibling->option_value_ = false;
  }
}

void Control::set_text(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  if (on_change_) on_change_(*this);
}

int Control::current_item() const {
  const std::string& shown = kind_ == Kind::DriveList ? drive_ : text_;
  const auto at = std::find(list_.begin(), list_.end(), shown);
  return at == list_.end() ? -1 : static_cast<int>(at - list_.begin());
}

std::vector<MenuEntry> Control::context_menu() const {
  if (!on_context_menu_) return {};
  return on_context_menu_();
}

void Control::pick_drive(std::string drive) {
  if (drive == drive_) return;
  drive_ = std::move(drive);
  if (on_change_) on_change_(*this);
}

void Control::click() {
  if (on_click_) on_click_(*this);
}

void Control::drop(const std::vector<std::string>& paths) {
  if (on_drop_) on_drop_(*this, paths);
}

void Control::mouse_move(int buttons) {
  if (on_mouse_move_) on_mouse_move_(*this, buttons);
}

Form::Form() {
  controls_.push_back(
      std::make_unique<Control>(Kind::PictureBox, "Form1", -1, nullptr, Twips{0, 0, 6195, 4980}));
}

Control& Form::add(Kind kind, std::string name, Control& parent, Twips rect, int index) {
  if (find(name, index) != nullptr) {
    throw std::logic_error("duplicate control " + name + "(" + std::to_string(index) + ")");
  }
  controls_.push_back(std::make_unique<Control>(kind, std::move(name), index, &parent, rect));
  Control& added = *controls_.back();
  parent.children_.push_back(&added);
  return added;
}

namespace {

bool contains(const Twips& outer, const Twips& inner) {
  return inner.left >= outer.left && inner.top >= outer.top &&
         inner.left + inner.width <= outer.left + outer.width &&
         inner.top + inner.height <= outer.top + outer.height;
}

}  // namespace

bool Form::covered(const Control& control) const {
  for (const Control* c = &control; c->parent_ != nullptr; c = c->parent_) {
    const auto& siblings = c->parent_->children_;
    auto it = std::find(siblings.begin(), siblings.end(), c);
    if (it == siblings.end()) continue;
    for (++it; it != siblings.end(); ++it) {
      const Control& above = **it;
      if (above.kind_ == Kind::PictureBox && above.visible_ && contains(above.rect_, c->rect_)) {
        return true;
      }
    }
  }
  return false;
}

void Form::bring_to_front(Control& control) {
  if (control.parent_ == nullptr) return;
  auto& siblings = control.parent_->children_;
  std::erase(siblings, &control);
  siblings.push_back(&control);
}

Control* Form::find(std::string_view name, int index) {
  for (auto& c : controls_) {
    if (c->index_ == index && c->name_ == name) return c.get();
  }
  return nullptr;
}

const Control* Form::find(std::string_view name, int index) const {
  return const_cast<Form*>(this)->find(name, index);
}

Control& Form::at(std::string_view name, int index) {
  Control* c = find(name, index);
  if (c == nullptr) {
    throw std::logic_error("no control " + std::string(name) + "(" + std::to_string(index) + ")");
  }
  return *c;
}

const Control& Form::at(std::string_view name, int index) const {
  return const_cast<Form*>(this)->at(name, index);
}

}  // namespace quorvane
