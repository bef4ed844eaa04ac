#pragma once

#include <memory>

#include "model/controls.h"
#include "shell/form_layout.h"

namespace quorvane::testing {

// The whole window as it is created, every panel's controls on their pages, with no handler
// wired: the panel tests see the controls alone.
inline std::unique_ptr<Form> make_panel_form() {
  auto form = std::make_unique<Form>();
  build_form1(*form);
  return form;
}

// Whether `c` stands on `page`, directly or inside a container on it.
inline bool lies_in(const Control& c, const Control& page) {
  for (const Control* p = c.parent(); p != nullptr; p = p->parent()) {
    if (p == &page) return true;
  }
  return false;
}

}  // namespace quorvane::testing
