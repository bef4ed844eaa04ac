#include "shell/main_window.h"

#include <utility>

#include "panels/layout.h"
#include "panels/registry.h"
#include "shell/form_layout.h"

namespace quorvane {
namespace {

// fade_level percent of full opacity as an alpha of 0..255, rounding halves to the even
// neighbour: 90 % gives 230 and 70 % gives 178.
int fade_alpha(int fade_level) {
  const int scaled = fade_level * 255;
  int alpha = scaled / 100;
  const int rest = scaled % 100;
  if (rest > 50 || (rest == 50 && alpha % 2 != 0)) ++alpha;
  return alpha;
}

}  // namespace

MainWindow::MainWindow(std::string program_folder, WindowSystem& window_system)
    : ws_(window_system), config_(std::move(program_folder)) {
  build_form1(form_);
  wire_handlers();
}

void MainWindow::wire_handlers() {
  for (const PanelEntry& panel : panel_registry()) {
    const int number = panel.number;
    form_.at(panel.nav.name).on_click([this, number](Control&) { show_panel(number); });
    for (const DriveLink& link : panel.drive_links) {
      form_.at(link.drive_list).on_change([this, link](Control&) {
        drive_link_Change(form_, link);
      });
    }
  }
  form_.at("imgsave").on_click([this](Control&) { imgsave_Click(); });
  form_.at("imgcerrar").on_click([this](Control&) { imgcerrar_Click(); });
  form_.at("Tm1").on_click([this](Control&) { Tm1_Timer(); });
  form_.at("picbarraalta").on_mouse_move([this](Control&, int buttons) {
    picbarraalta_MouseMove(buttons);
  });

  for (const auto& control : form_.controls()) {
    if (control->name() == "lblvideo_1") {
      control->on_click([this](Control& label) { lblvideo_1_Click(label.index()); });
    } else if (control->name() == layout::kGlobalSwitches) {
      control->on_click([this](Control& box) { ch_global_Click(box.index()); });
    } else if (control->name() == layout::kLockSwitches) {
      control->on_click([this](Control& box) { ch_glolock_Click(box.index()); });
    }
  }

  form_.at("img_intro_a").on_click([this](Control&) { ws_.open_url(links::kEmulatorSite); });
  form_.at("img_intro_b").on_click([this](Control&) { ws_.open_url(links::kDeveloperSite); });
  form_.at("img_intro_c").on_click([this](Control&) { ws_.open_url(links::kCommunitySite); });
}

void MainWindow::Form_Load() {
  const ReadOutcome outcome = config_.read_config(table_);
  if (outcome.backup_error) {
    ws_.show_message(MessageKind::Warning, kWindowTitle,
                     std::string("The backup copy of the settings could not be made.\n\n") +
                         outcome.backup_error->what() + "\n\nThe editor goes on without it.");
  }
  fill_controls(form_, table_);
  cur_panel_ = kNoPanel;
}

void MainWindow::Form_Unload() { ws_.end_program(); }

void MainWindow::show_panel(int n) {
  collect_panel(cur_panel_);
  cur_panel_ = n;
  // Sub-pages are hidden too, so a panel always comes back at its first page.
  for (const PanelEntry& panel : panel_registry()) {
    form_.at(panel.page).set_visible(false);
    if (!panel.sub_page.empty()) form_.at(panel.sub_page).set_visible(false);
  }
  if (const PanelEntry* panel = find_panel(n)) form_.at(panel->page).set_visible(true);
  form_.at("imgsave").set_visible(true);
}

void MainWindow::collect_panel(int n) {
  // The intro page and "no panel chosen yet" have nothing to collect.
  if (const PanelEntry* panel = find_panel(n)) collect_panel_rows(form_, *panel, table_);
}

void MainWindow::imgsave_Click() {
  collect_panel(cur_panel_);
  try {
    config_.write_config(table_);
  } catch (const FileError& error) {
    // The old VOZ.INI is still whole and every edit is still in the window: tell the user why,
    // and leave them the choice to fix the cause and save again, or to close. A fade already
    // under way (an earlier close or save) stops first, or it would close the window behind the
    // message and take the edits with it.
    stop_fade();
    ws_.show_message(MessageKind::Error, kWindowTitle,
                     std::string("The settings could not be saved.\n\n") + error.what() +
                         "\n\nVOZ.INI is unchanged and your changes are still in the window.");
    return;
  }
  close_with_fade();
}

void MainWindow::imgcerrar_Click() { close_with_fade(); }

void MainWindow::lblvideo_1_Click(int index) {
  for (const PanelEntry& panel : panel_registry()) {
    for (const PageFlip& flip : panel.flips) {
      if (flip.label == index) form_.at(panel.sub_page).set_visible(flip.shows_sub_page);
    }
  }
}

void MainWindow::ch_global_Click(int index) {
  Control& box = form_.at(layout::kGlobalSwitches, index);
  box.set_caption(std::string(codec::kSwitch.caption(box.value())));
}

void MainWindow::ch_glolock_Click(int index) {
  Control& box = form_.at(layout::kLockSwitches, index);
  box.set_caption(std::string(codec::kLockSwitch.caption(box.value())));
}

void MainWindow::close_with_fade() {
  if (!ws_.supports_opacity()) {
    ws_.close_window();
    return;
  }
  // A second request while fading starts the fade again from full opacity.
  fade_level_ = 100;
  ws_.prepare_for_opacity();
  form_.at("Tm1").set_enabled(true);
}

void MainWindow::stop_fade() {
  if (fade_level_ == 0 && !form_.at("Tm1").enabled()) return;
  form_.at("Tm1").set_enabled(false);
  fade_level_ = 0;
  ws_.set_opacity(255);
}

void MainWindow::Tm1_Timer() {
  if (fade_level_ != 0) {
    ws_.set_opacity(fade_alpha(fade_level_));
    fade_level_ -= 10;
  } else {
    form_.at("Tm1").set_enabled(false);
    ws_.set_opacity(fade_alpha(1));
    ws_.close_window();
    return;  // the close ends the program; nothing may run after it
  }
  ws_.process_pending_events();
}

void MainWindow::picbarraalta_MouseMove(int buttons) {
  if (buttons == 1) ws_.start_window_move();
}

}  // namespace quorvane
