// Panel 6: the intro page, pic_intro, with the three link images. It holds no settings.

#include <string>

#include "panels/panel_units.h"

namespace quorvane {

namespace {

Control& add_intro_label(Form& form, Control& page, int index, const char* caption, int top) {
  Control& label = form.add(Kind::Label, "lblvideo_1", page, Twips{0, top, 6090, 240}, index);
  label.set_caption(caption);
  label.align = Align::Center;
  return label;
}

Control& add_link_image(Form& form, Control& page, const char* name, const char* picture,
                        Twips rect) {
  Control& image = form.add(Kind::Image, name, page, rect);
  image.picture = picture;
  image.hand_pointer = true;
  return image;
}

void build_intro_controls(Form& form) {
  Control& page = form.at("pic_intro");
  add_intro_label(form, page, 80, "Developed by", 0);
  add_link_image(form, page, "img_intro_b", "intro_b", Twips{1440, 240, 3405, 945});
  add_intro_label(form, page, 81, "for", 1200);
  add_link_image(form, page, "img_intro_c", "intro_c", Twips{1200, 1560, 3900, 645});
  add_link_image(form, page, "img_intro_a", "intro_a", Twips{1800, 2280, 2670, 1230});
  Control& free_line = add_intro_label(form, page, 82, "", 3600);
  free_line.font = FontSpec{"Times New Roman", 8.25, false};
}

}  // namespace

namespace panel_units {

PanelEntry intro_panel() {
  return PanelEntry{
      .number = 6,
      .page = "pic_intro",
      .sub_page = "",
      .sub_page_rect = {},
      .nav = {"imgabout", 5640, "About", "nav_about"},
      .bindings = {},
      .build = build_intro_controls,
      .flips = {},
      .drive_links = {},
      .browse_links = {},
  };
}

}  // namespace panel_units

}  // namespace quorvane
