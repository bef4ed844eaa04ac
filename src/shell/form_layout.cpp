#include "shell/form_layout.h"

#include <algorithm>
#include <string>
#include <vector>

#include "panels/registry.h"

namespace quorvane {
namespace {

// "Save & Quit" stands in the row of navigation images, near "About", but shows no panel.
constexpr NavImage kSaveImage{"imgsave", 5040, "Save & Quit", "nav_save"};

Control& add_page(Form& form, std::string_view name, Control& parent, Twips rect) {
  Control& page = form.add(Kind::PictureBox, std::string(name), parent, rect);
  page.set_visible(false);
  return page;
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
  // Left to right along the top of the body.
  std::vector<NavImage> nav_images{kSaveImage};
  for (const PanelEntry& panel : panel_registry()) nav_images.push_back(panel.nav);
  std::sort(nav_images.begin(), nav_images.end(),
            [](const NavImage& a, const NavImage& b) { return a.left < b.left; });
  for (const NavImage& nav : nav_images) {
    Control& image =
        form.add(Kind::Image, std::string(nav.name), body, Twips{nav.left, 40, 480, 480});
    image.tooltip = nav.tooltip;
    image.picture = nav.picture;
    image.hand_pointer = true;
  }
  form.at(kSaveImage.name).set_visible(false);

  // The separator lies in the panels' band; the panels, added after it, are drawn over it.
  Control& separator = form.add(Kind::Image, "imgraya2", body, Twips{120, 840, 6165, 30});
  separator.picture = "separator";

  constexpr Twips kPageRect{0, 650, 6195, 3900};
  for (const PanelEntry& panel : panel_registry()) {
    Control& page = add_page(form, panel.page, body, kPageRect);
    // The intro page is the one on show at start.
    if (panel.number == kIntroPanel) page.set_visible(true);
    if (!panel.sub_page.empty()) add_page(form, panel.sub_page, page, panel.sub_page_rect);
  }

  Control& timer = form.add(Kind::Timer, "Tm1", window, Twips{});
  timer.set_interval_ms(100);
  timer.set_enabled(false);

  for (const PanelEntry& panel : panel_registry()) {
    panel.build(form);
    // A sub-page covers its panel's first page, so it must sit above the controls just added.
    if (!panel.sub_page.empty()) form.bring_to_front(form.at(panel.sub_page));
  }
}

}  // namespace quorvane
