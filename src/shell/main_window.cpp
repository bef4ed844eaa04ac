#include "shell/main_window.h"

#include <array>
#include <utility>

#include "panels/panels.h"
#include "platform/front_end.h"
#include "settings/text_encoding.h"
#include "shell/form_layout.h"

namespace quorvane {
namespace {

// Hidden in this order whenever a panel is shown; both sub-pages are among them, so a panel
// always comes back at its first page.
constexpr std::array<const char*, 9> kPagesToHide{
    "pic_cdrom", "Pic_key",      "Pic_pad",   "pic_panel", "pic_panel_b",
    "pic_video", "pic_video_tv", "pic_sound", "pic_intro",
};

constexpr std::array<const char*, 7> kPanelByNumber{
    "pic_panel", "pic_video", "pic_sound", "Pic_pad", "Pic_key", "pic_cdrom", "pic_intro",
};

struct NavTarget {
  const char* image;
  int panel;
};
constexpr std::array<NavTarget, 7> kNavTargets{{
    {"imgpanel", 0},
    {"picpantalla", 1},
    {"imgsonido", 2},
    {"imgcontrol", 3},
    {"imgteclado", 4},
    {"imgcd", 5},
    {"imgabout", 6},
}};

constexpr int kGlobalSwitches = 18;
constexpr int kLockSwitches = 3;

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

std::string other_writer_question(const std::string& cfg_path) {
  return "\"" + cfg_path +
         "\"\n\nwas changed by another program since the editor opened it (the emulator or a "
         "second editor may have saved it).\n\nReplace it with the settings in this window, or go "
         "back and leave it as it is?";
}

std::string start_failure_text(const std::exception& error) {
  const auto* file = dynamic_cast<const FileError*>(&error);
  if (file != nullptr && file->action() == file_action::kCreate) {
    return std::string(
               "VOZ.INI could not be created, and the editor cannot start without it.\n\n") +
           file->what();
  }
  if (file != nullptr) {
    return std::string(
               "The settings could not be read, so the editor does not start. Nothing "
               "was written.\n\n") +
           file->what();
  }
  return "Start-up failed.\n\n" + front_end::failure_reason(error);
}

std::string no_program_folder_text() {
  return "The editor cannot find the folder it was started from, where VOZ.INI lives (the system "
         "does not tell it), so it does not start. It never falls back to the working folder, "
         "which may hold some other VOZ.INI.";
}

MainWindow::MainWindow(std::string program_folder, WindowSystem& window_system)
    : ws_(window_system), config_(std::move(program_folder)) {
  build_form1(form_);
  wire_handlers();
  // Started through a link, or from a second copy, the editor may work on another folder than
  // the user thinks; the title bar says which. The title text lies on the bar and takes the
  // pointer over its own area, so it says it too.
  const std::string where = utf8_to_cp1252_for_display(config_.cfg_path());
  form_.at("picbarraalta").tooltip = where;
  form_.at("Label1").tooltip = where;
}

void MainWindow::wire_handlers() {
  for (const NavTarget& nav : kNavTargets) {
    const int panel = nav.panel;
    form_.at(nav.image).on_click([this, panel](Control&) { show_panel(panel); });
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
    }
  }
  for (int i = 0; i < kGlobalSwitches; ++i) {
    form_.at("ch_global", i).on_click([this](Control& box) { ch_global_Click(box.index()); });
  }
  for (int i = 0; i < kLockSwitches; ++i) {
    form_.at("ch_glolock", i).on_click([this](Control& box) { ch_glolock_Click(box.index()); });
  }

  form_.at("Dri_panel_list").on_change([this](Control&) { Dri_panel_list_Change(form_); });
  form_.at("dr_cdrom_letter").on_change([this](Control&) { dr_cdrom_letter_Change(form_); });

  form_.at("img_intro_a").on_click([this](Control&) { open_link(links::kEmulatorSite); });
  form_.at("img_intro_b").on_click([this](Control&) { open_link(links::kDeveloperSite); });
  form_.at("img_intro_c").on_click([this](Control&) { open_link(links::kCommunitySite); });
}

void MainWindow::open_link(const std::string& url) {
  if (ws_.open_url(url)) return;
  ws_.show_message(MessageKind::Warning, kWindowTitle,
                   "No web browser could be started to open this link. To visit it, copy the "
                   "address into a browser:\n\n" +
                       url);
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
  for (const char* page : kPagesToHide) form_.at(page).set_visible(false);
  if (n >= 0 && n < static_cast<int>(kPanelByNumber.size())) {
    form_.at(kPanelByNumber[static_cast<std::size_t>(n)]).set_visible(true);
  }
  form_.at("imgsave").set_visible(true);
}

void MainWindow::collect_panel(int n) {
  switch (n) {
    case 0:
      collect_emulation(form_, table_);
      break;
    case 1:
      collect_video(form_, table_);
      break;
    case 2:
      collect_sound(form_, table_);
      break;
    case 3:
      collect_gamepad(form_, table_);
      break;
    case 4:
      collect_keyboard(form_, table_);
      break;
    case 5:
      collect_cdrom(form_, table_);
      break;
    default:  // the intro page, or no panel chosen yet
      break;
  }
}

void MainWindow::imgsave_Click() {
  collect_panel(cur_panel_);
  if (config_.changed_on_disk()) {
    // The question lets window events run; a fade under way would close the window behind it
    // and take the edits along. Saving after all starts the fade again.
    stop_fade();
    if (!ws_.ask(kWindowTitle, other_writer_question(config_.cfg_path()), "Replace it",
                 "Go back")) {
      return;
    }
  }
  try {
    config_.write_config(table_);
  } catch (const FileError& error) {
    // The old VOZ.INI is still whole and every edit is still in the window: tell the user why,
    // and leave them the choice to fix the cause and save again, or to close. A fade already
    // under way (an earlier close or save) stops first, or it would close the window behind the
    // message and take the edits with it.
    stop_fade();
    const std::string why =
        error.action() == file_action::kNoNewFileIn
            ? "\n\nSaving writes the new VOZ.INI beside the old one before it takes its place, so "
              "the folder must let a new file be made there."
            : "";
    ws_.show_message(MessageKind::Error, kWindowTitle,
                     std::string("The settings could not be saved.\n\n") + error.what() + why +
                         "\n\nVOZ.INI is unchanged and your changes are still in the window.");
    return;
  }
  close_with_fade();
}

void MainWindow::imgcerrar_Click() { close_with_fade(); }

void MainWindow::lblvideo_1_Click(int index) {
  switch (index) {
    case 20:
      form_.at("pic_video_tv").set_visible(true);
      break;
    case 21:
      form_.at("pic_video_tv").set_visible(false);
      break;
    case 51:
      form_.at("pic_panel_b").set_visible(true);
      break;
    case 52:
      form_.at("pic_panel_b").set_visible(false);
      break;
    default:
      break;
  }
}

void MainWindow::ch_global_Click(int index) {
  Control& box = form_.at("ch_global", index);
  box.set_caption(box.value() == 0 ? "Disable" : "Enable");
}

void MainWindow::ch_glolock_Click(int index) {
  Control& box = form_.at("ch_glolock", index);
  box.set_caption(box.value() == 0 ? "Unlock" : "Locked");
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
