#include "shell/form_layout.h"

#include <algorithm>
#include <string>
#include <vector>

#include "panels/change_marks.h"
#include "panels/help.h"
#include "panels/registry.h"

namespace quorvane {
namespace {

// "Save & Quit" stands in the row of navigation images, near "About", but shows no panel.
constexpr NavImage kSaveImage{"imgsave", 5040, "Save & Quit", "nav_save"};

// An image that works as a push button, named by its tooltip.
void make_button_image(Control& image) {
  image.activatable = true;
  image.role = Role::PushButton;
  image.accessible_name = image.tooltip;
}

Control& add_page(Form& form, std::string_view name, Control& parent, Twips rect) {
  Control& page = form.add(Kind::PictureBox, std::string(name), parent, rect);
  page.set_visible(false);
  return page;
}

}  // namespace

void build_form1(Form& form, Declarations& declared) {
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
  make_button_image(close);

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
    make_button_image(image);
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
    panel.build(PanelSite{form, declared, panel.number});
  }
  annotate_settings(form, declared);
  add_change_marks(form, declared);
  // A sub-page covers its panel's first page, so it must sit above everything added to the page,
  // the warning signs included.
  for (const PanelEntry& panel : panel_registry()) {
    if (!panel.sub_page.empty()) form.bring_to_front(form.at(panel.sub_page));
  }
}

bool takes_focus(const Control& control) {
  switch (control.kind()) {
    case Kind::CheckBox:
    case Kind::OptionButton:
    case Kind::ComboBox:
    case Kind::TextBox:
    case Kind::DriveList:
    case Kind::Button:
      return true;
    case Kind::Image:
    case Kind::Label:
      return control.activatable;
    case Kind::PictureBox:
    case Kind::Line:
    case Kind::Timer:
    case Kind::WarningSign:
    case Kind::ChangeMark:
      return false;
  }
  return false;
}

namespace {

// A page's reachable controls in reading order, its page-flip labels last, then its sub-page's.
void add_to_focus_order(const Control& page, const Control* sub_page,
                        std::vector<const Control*>& order) {
  std::vector<const Control*> flips;
  bool has_sub_page = false;
  auto walk = [&](const Control& container, auto& self) -> void {
    for (const Control* child : container.children()) {
      if (child == sub_page) {
        has_sub_page = true;
      } else if (child->kind() == Kind::PictureBox) {
        self(*child, self);  // an option group
      } else if (takes_focus(*child)) {
        (child->kind() == Kind::Label ? flips : order).push_back(child);
      }
    }
  };
  walk(page, walk);
  order.insert(order.end(), flips.begin(), flips.end());
  if (has_sub_page) add_to_focus_order(*sub_page, nullptr, order);
}

}  // namespace

std::vector<const Control*> focus_order(const Form& form) {
  std::vector<const Control*> order;
  const Control* body = form.find("pictabla1");
  if (body == nullptr) {
    // Not Form1 (a test's own small form): the controls in the order they were made.
    for (const auto& c : form.controls()) {
      if (takes_focus(*c)) order.push_back(c.get());
    }
    return order;
  }
  std::vector<const Control*> nav;
  for (const Control* child : body->children()) {
    if (child->kind() == Kind::Image && takes_focus(*child)) nav.push_back(child);
  }
  std::stable_sort(nav.begin(), nav.end(), [](const Control* a, const Control* b) {
    return a->rect().left < b->rect().left;
  });
  order = nav;
  if (const Control* close = form.find("imgcerrar")) order.push_back(close);
  for (const PanelEntry& panel : panel_registry()) {
    const Control* sub_page = panel.sub_page.empty() ? nullptr : form.find(panel.sub_page);
    if (const Control* page = form.find(panel.page)) add_to_focus_order(*page, sub_page, order);
  }
  return order;
}

const Control* focus_after_activation(const Form& form, const Control& control) {
  if (form.on_screen(control)) return &control;
  const std::vector<const Control*> order = focus_order(form);
  if (control.kind() == Kind::Label) {
    for (const Control* c : order) {
      if (c->kind() == Kind::Label && form.on_screen(*c)) return c;
    }
  }
  for (const Control* c : order) {
    if (form.on_screen(*c)) return c;
  }
  return nullptr;
}

}  // namespace quorvane
