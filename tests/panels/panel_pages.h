#pragma once

#include <memory>

#include "panels/panels.h"
#include "shell/controls.h"

namespace quorvane::testing {

// The eight pages as the window creates them, with every panel's controls built on them.
inline std::unique_ptr<Form> make_panel_form() {
  auto form = std::make_unique<Form>();
  Control& root = form->root();
  const Twips page{0, 650, 6195, 3900};
  Control& emulation = form->add(Kind::PictureBox, "pic_panel", root, page);
  form->add(Kind::PictureBox, "pic_panel_b", emulation, Twips{0, 0, 6255, 3900});
  Control& video = form->add(Kind::PictureBox, "pic_video", root, page);
  form->add(Kind::PictureBox, "pic_video_tv", video, Twips{0, 0, 6195, 3900});
  for (const char* name : {"pic_sound", "Pic_pad", "Pic_key", "pic_cdrom"}) {
    form->add(Kind::PictureBox, name, root, page);
  }
  build_panel_controls(*form);
  return form;
}

}  // namespace quorvane::testing
