// Panel 6: the intro page, pic_intro, with the three link images. It holds no settings.

#include "panels/panel_units.h"

namespace quorvane {

namespace {

// Top to bottom, as the page shows them.
constexpr IntroLink kLinks[] = {
    {"img_intro_b", "intro_b", {1440, 240, 3405, 945}, links::kDeveloperSite},
    {"img_intro_c", "intro_c", {1200, 1560, 3900, 645}, links::kCommunitySite},
    {"img_intro_a", "intro_a", {1800, 2280, 2670, 1230}, links::kEmulatorSite},
};

Control& add_intro_label(Form& form, Control& page, int index, const char* caption, int top) {
  Control& label = form.add(Kind::Label, "lblvideo_1", page, Twips{0, top, 6090, 240}, index);
  label.set_caption(caption);
  label.align = Align::Center;
  return label;
}

// A screen reader reads the image as a link to its address.
void add_link_image(Form& form, Control& page, const IntroLink& link) {
  Control& image = form.add(Kind::Image, std::string(link.image), page, link.rect);
  image.picture = link.picture;
  image.hand_pointer = true;
  image.activatable = true;
  image.role = Role::Link;
  image.tooltip = link.url;
  image.accessible_name = link.url;
}

void build_intro_controls(PanelSite site) {
  Form& form = site.form;
  Control& page = form.at(find_panel(site.panel)->page);
  add_intro_label(form, page, 80, "Developed by", 0);
  add_link_image(form, page, kLinks[0]);
  add_intro_label(form, page, 81, "for", 1200);
  add_link_image(form, page, kLinks[1]);
  add_link_image(form, page, kLinks[2]);
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
      .build = build_intro_controls,
      .links = kLinks,
  };
}

}  // namespace panel_units

}  // namespace quorvane
