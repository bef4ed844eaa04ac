#include "shell/form_layout.h"

#include <array>

#include "panels/panels.h"

namespace quorvane {
namespace {

struct NavImage {
  const char* name;
  int left;
  const char* tooltip;
  const char* picture;
};

// Left to right along the top of the body. "Save & Quit" stands apart, near "About".
constexpr std::array<NavImage, 8> kNavImages{{
    {"imgpanel", 120, "Control Panel", "nav_panel"},
    {"picpantalla", 720, "Video Settings", "nav_video"},
    {"imgsonido", 1320, "Sound Settings", "nav_sound"},
    {"imgcontrol", 1920, "Gamepad Settings", "nav_gamepad"},
    {"imgteclado", 2520, "Keyboard Settings", "nav_keyboard"},
    {"imgcd", 3120, "CD ROM Settings", "nav_cdrom"},
    {"imgsave", 5040, "Save & Quit", "nav_save"},
    {"imgabout", 5640, "About", "nav_about"},
}};

Control& add_page(Form& form, const char* name, Control& parent, Twips rect) {
  Control& page = form.add(Kind::PictureBox, name, parent, rect);
  page.set_visible(false);
  return page;
}

Control& add_intro_label(Form& form, Control& page, int index, const char* caption, int top) {
  Control& label = form.add(Kind::Label, "lblvideo_1", page, Twips{0, top, 6090, 240}, index);
  label.set_caption(caption);
  label.align = Align::Center;
  return label;
}

Control& add_link_image(Form& form, Control& page, const char* name, Twips rect) {
  Control& image = form.add(Kind::Image, name, page, rect);
  image.picture = name == std::string_view("img_intro_a")   ? "intro_a"
                  : name == std::string_view("img_intro_b") ? "intro_b"
                                                            : "intro_c";
  image.hand_pointer = true;
  return image;
}

void build_intro(Form& form, Control& page) {
  add_intro_label(form, page, 80, "Developed by", 0);
  add_link_image(form, page, "img_intro_b", Twips{1440, 240, 3405, 945});
  add_intro_label(form, page, 81, "for", 1200);
  add_link_image(form, page, "img_intro_c", Twips{1200, 1560, 3900, 645});
  add_link_image(form, page, "img_intro_a", Twips{1800, 2280, 2670, 1230});
  Control& free_line = add_intro_label(form, page, 82, "", 3600);
  free_line.font = FontSpec{"Times New Roman", 8.25, false};
}

}  // namespace

void build_form1(Form& form) {
  Control& window = form.root();
  window.set_caption(kWindowTitle);

  Control& title_bar = form.add(Kind::PictureBox, "picbarraalta", window, Twips{0, 0, 6195, 300});
  title_bar.border = true;
  title_bar.picture = "title_bar";
  Control& title = form.add(Kind::Label, "Label1", title_bar, Twips{120, 30, 2355, 195});
  title.set_caption(kWindowTitle);
  Control& close = form.add(Kind::Image, "imgcerrar", title_bar, Twips{5910, 10, 240, 240});
  close.picture = "close";
  close.hand_pointer = true;
  close.tooltip = "Close without saving";

  Control& body = form.add(Kind::PictureBox, "pictabla1", window, Twips{0, 300, 6195, 4680});
  body.border = true;
  for (const NavImage& nav : kNavImages) {
    Control& image = form.add(Kind::Image, nav.name, body, Twips{nav.left, 40, 480, 480});
    image.tooltip = nav.tooltip;
    image.picture = nav.picture;
    image.hand_pointer = true;
  }
  form.at("imgsave").set_visible(false);

  // The separator lies in the panels' band; the panels, added after it, are drawn over it.
  Control& separator = form.add(Kind::Image, "imgraya2", body, Twips{120, 840, 6165, 30});
  separator.picture = "separator";

  constexpr Twips kPageRect{0, 650, 6195, 3900};
  Control& intro = form.add(Kind::PictureBox, "pic_intro", body, kPageRect);
  build_intro(form, intro);
  Control& emulation = add_page(form, "pic_panel", body, kPageRect);
  add_page(form, "pic_panel_b", emulation, Twips{0, 0, 6255, 3900});
  Control& video = add_page(form, "pic_video", body, kPageRect);
  add_page(form, "pic_video_tv", video, Twips{0, 0, 6195, 3900});
  add_page(form, "pic_sound", body, kPageRect);
  add_page(form, "Pic_pad", body, kPageRect);
  add_page(form, "Pic_key", body, kPageRect);
  add_page(form, "pic_cdrom", body, kPageRect);

  Control& timer = form.add(Kind::Timer, "Tm1", window, Twips{});
  timer.set_interval_ms(100);
  timer.set_enabled(false);

  build_panel_controls(form);
  // A sub-page covers its panel's first page, so it must sit above the controls just added.
  form.bring_to_front(form.at("pic_panel_b"));
  form.bring_to_front(form.at("pic_video_tv"));
}

}  // namespace quorvane
