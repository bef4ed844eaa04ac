#pragma once

#include <memory>

#include "model/controls.h"
#include "panels/bindings.h"
#include "shell/form_layout.h"

namespace quorvane::testing {

// The whole window as it is created, every panel's controls on their pages, with what the
// panels declared beside them, and no handler wired: the panel tests see the controls alone.
struct PanelForm : Form {
  Declarations declared;
};

inline std::unique_ptr<PanelForm> make_panel_form() {
  auto form = std::make_unique<PanelForm>();
  build_form1(*form, form->declared);
  return form;
}

// Whether `c` stands on `page`, directly or inside a container on it.
inline bool lies_in(const Control& c, const Control& page) {
  for (const Control* p = c.parent(); p != nullptr; p = p->parent()) {
    if (p == &page) return true;
  }
  return false;
}

// Whether two boxes share any area.
inline bool overlaps(const Twips& a, const Twips& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

}  // namespace quorvane::testing
