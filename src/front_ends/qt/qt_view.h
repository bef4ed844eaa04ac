#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>

#include "model/controls.h"
#include "shell/view_core.h"

namespace quorvane {

class QtWindowSystem;

// Draws a Form with Qt widgets and forwards what the user does to it.
//
// The control model is the truth. A widget's signal only ever changes the model; after each
// event the view brings every widget in line with the model again (sync()), with the widgets'
// signals blocked and without touching properties that already match, so a text cursor never
// jumps. Texts cross between the two in Windows-1252, the encoding of VOZ.INI.
class QtView {
 public:
  QtView(Form& form, QtWindowSystem& window_system, ViewEvents events);
  ~QtView();
  QtView(const QtView&) = delete;
  QtView& operator=(const QtView&) = delete;

  QWidget* window() const;
  // The widget that draws `control`; nullptr for a control that has none (a timer).
  QWidget* widget(const Control& control) const;
  QWidget* widget(std::string_view name, int index = -1) const;

  void sync();
  // Shows the window in the middle of its screen.
  void show();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quorvane
