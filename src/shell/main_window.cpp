#include "shell/main_window.h"

#include <utility>

#include "files/drives.h"
#include "files/files.h"
#include "panels/bindings.h"
#include "panels/help.h"
#include "panels/registry.h"
#include "settings/setting_notes.h"
#include "settings/text_encoding.h"
#include "shell/changes.h"
#include "shell/drive_lists.h"
#include "shell/form_layout.h"
#include "shell/path_check.h"

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
  return "Start-up failed.\n\n" + failure_reason(error);
}

std::string no_program_folder_text() {
  return "The editor cannot find the folder it was started from, where VOZ.INI lives (the system "
         "does not tell it), so it does not start. It never falls back to the working folder, "
         "which may hold some other VOZ.INI.";
}

MainWindow::MainWindow(std::string program_folder, WindowSystem& window_system)
    : ws_(window_system), program_folder_(program_folder), config_(std::move(program_folder)) {
  build_form1(form_, declared_);
  wire_handlers();
  // Started through a link, or from a second copy, the editor may work on another folder than
  // the user thinks; the title bar says which. The title text lies on the bar and takes the
  // pointer over its own area, so it says it too, with every character of the path.
  for (const char* shows_path : {"picbarraalta", "Label1"}) {
    Control& c = form_.at(shows_path);
    c.tooltip = config_.cfg_path();
    c.tooltip_utf8 = true;
  }
  // Its tooltip lists what a save would change; its name stays what it does.
  Control& save = form_.at("imgsave");
  save.accessible_name = save.tooltip;
}

void MainWindow::wire_handlers() {
  for (const PanelEntry& panel : panel_registry()) {
    const int number = panel.number;
    form_.at(panel.nav.name).on_click([this, number](Control&) { show_panel(number); });
    for (const IntroLink& link : panel.links) {
      const std::string url(link.url);
      form_.at(link.image).on_click([this, url](Control&) { open_link(url); });
    }
  }
  form_.at("imgsave").on_click([this](Control&) { imgsave_Click(); });
  form_.at("imgcerrar").on_click([this](Control&) { imgcerrar_Click(); });
  form_.at("Tm1").on_click([this](Control&) { Tm1_Timer(); });
  form_.at("picbarraalta").on_mouse_move([this](Control&, int buttons) {
    picbarraalta_MouseMove(buttons);
  });
  for (const PageFlip& flip : declared_.flips()) {
    flip.label->on_click(
        [flip](Control&) { flip.sub_page->set_visible(flip.direction == Flip::ShowsSubPage); });
  }
  wire_settings();
}

void MainWindow::wire_settings() {
  for (const Binding* binding : declared_.bindings()) {
    for (Control* c : bound_controls(*binding)) {
      c->on_context_menu([this, binding] { return setting_menu(*binding); });
    }
    if (std::holds_alternative<codec::Switch>(binding->codec)) {
      binding->control->on_click([binding](Control&) { switch_Click(*binding); });
    }
    if (binding->warning_sign != nullptr) {
      binding->control->on_change([this, binding](Control&) {
        check_range(*binding);
        check_path(*binding);
      });
    }
    if (binding->drive_list != nullptr) {
      binding->drive_list->on_change([binding](Control&) { drive_list_Change(*binding); });
    }
    if (binding->browse_button != nullptr) {
      binding->browse_button->on_click([this, binding](Control&) { browse(*binding); });
      for (Control* target : {binding->control, binding->browse_button}) {
        target->on_drop([this, binding](Control&, const std::vector<std::string>& paths) {
          path_dropped(*binding, paths);
        });
      }
    }
  }
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
  read_table_ = table_;
  text_read_ = outcome.text_read;
  read_utf16_ = outcome.utf16;
  if (outcome.backup_error) {
    ws_.show_message(MessageKind::Warning, kWindowTitle,
                     std::string("The backup copy of the settings could not be made.\n\n") +
                         outcome.backup_error->what() + "\n\nThe editor goes on without it.");
  }
  fill_controls(declared_, table_);
  cur_panel_ = kNoPanel;
  show_changes();
}

void MainWindow::show_changes() {
  const SettingsTable to_save = table_to_save(declared_, cur_panel_, table_);
  mark_changes(declared_, to_save, read_table_);
  Control& save = form_.at("imgsave");
  save.description = save_changes_text(to_save, text_read_, read_utf16_);
  save.description_utf8 = true;
  save.tooltip = save.accessible_name + "\n\n" + save.description;
  save.tooltip_utf8 = true;
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
  // The intro page and "no panel chosen yet" declare no settings, so nothing is collected.
  collect_panel_rows(declared_, n, table_);
}

void MainWindow::imgsave_Click() {
  collect_panel(cur_panel_);
  for (;;) {
    if (config_.changed_on_disk()) {
      // The question lets window events run; a fade under way would close the window behind it
      // and take the edits along. Saving after all starts the fade again.
      stop_fade();
      if (!ws_.ask(kWindowTitle, other_writer_question(config_.cfg_path()), "Replace it",
                   "Go back")) {
        return;
      }
      config_.accept_disk_version();
    }
    try {
      config_.write_config(table_);
      break;
    } catch (const ChangedOnDisk&) {
      // Another editor saved between the look and the write: the user is asked about its file.
      continue;
    } catch (const FileError& error) {
      // The old VOZ.INI is still whole and every edit is still in the window: tell the user why,
      // and leave them the choice to fix the cause and save again, or to close. A fade already
      // under way (an earlier close or save) stops first, or it would close the window behind
      // the message and take the edits with it.
      stop_fade();
      const std::string why =
          error.action() == file_action::kNoNewFileIn
              ? "\n\nSaving writes the new VOZ.INI beside the old one before it takes its place, "
                "so the folder must let a new file be made there."
              : "";
      ws_.show_message(MessageKind::Error, kWindowTitle,
                       std::string("The settings could not be saved.\n\n") + error.what() + why +
                           "\n\nVOZ.INI is unchanged and your changes are still in the window.");
      return;
    }
  }
  close_with_fade();
}

void MainWindow::imgcerrar_Click() { close_with_fade(); }

namespace {

// A menu entry shows a value whole only while it is short; a long path keeps its start.
std::string menu_value(std::string shown) {
  constexpr std::size_t kLongest = 40;
  if (shown.empty()) return "empty";
  if (shown.size() > kLongest) shown = shown.substr(0, kLongest - 1) + "\x85";
  return shown;
}

std::string utf8_list(const std::vector<DriveEntry>& drives) {
  std::string list;
  for (const DriveEntry& d : drives) {
    list += (list.empty() ? "" : ", ") + std::string(1, d.letter) + ": " + d.target;
  }
  return list;
}

// Where a chooser opens: the path itself, or the nearest folder above it that exists. Under Wine
// that folder must lie on a drive of the prefix: a box on a drive whose link leads nowhere would
// otherwise open at "/", where nothing the emulator can read is chosen.
std::string existing_start(const std::string& path, const std::vector<DriveEntry>& drives,
                           const std::string& fallback) {
  for (std::string p = path; !p.empty(); p = files::parent_folder(p)) {
    if (files::exists(p)) return drives.empty() || to_emulator_path(drives, p) ? p : fallback;
  }
  return fallback;
}

}  // namespace

std::vector<MenuEntry> MainWindow::setting_menu(const Binding& binding) {
  const std::string fallback(SettingsTable::default_value(binding.row));
  const std::string read = read_table_.value(binding.row);
  return {
      {"Restore default (" + menu_value(shown_as(binding, fallback)) + ")",
       [this, &binding, fallback] { restore_setting(binding, fallback); }},
      {"Restore the value read from VOZ.INI (" + menu_value(shown_as(binding, read)) + ")",
       [this, &binding, read] { restore_setting(binding, read); }},
      {"Restore this page's defaults",
       [this, &binding] { restore_page(binding, Restore::Defaults); }},
      {"Restore this page's values read from VOZ.INI",
       [this, &binding] { restore_page(binding, Restore::ValuesRead); }},
  };
}

void MainWindow::restore_page(const Binding& binding, Restore what) {
  for (const Binding* on_page : page_bindings(declared_, binding)) {
    restore_setting(*on_page, what == Restore::Defaults
                                  ? std::string(SettingsTable::default_value(on_page->row))
                                  : read_table_.value(on_page->row));
  }
}

void MainWindow::restore_setting(const Binding& binding, const std::string& value) {
  table_.set_value(binding.row, value);
  fill_binding_value(binding, value);
  check_range(binding);
}

void MainWindow::check_range(const Binding& binding) {
  const std::optional<StatedRange>& range = setting_note(binding.row).range;
  if (!range || binding.warning_sign == nullptr) return;
  binding.warning_sign->set_visible(!range->contains(value_to_store(binding, table_)));
}

void MainWindow::check_path(const Binding& binding) {
  Control* sign = binding.warning_sign;
  if (binding.browse_button == nullptr || sign == nullptr) return;
  const std::optional<std::string> missing =
      path_not_found(ws_.from_model_text(binding.control->text()), binding.path_kind,
                     visible_drives(program_folder_), program_folder_);
  sign->tooltip = missing.value_or("");
  sign->tooltip_utf8 = true;
  sign->set_visible(missing.has_value());
}

void MainWindow::browse(const Binding& binding) {
  Control& box = *binding.control;
  const std::string title = ws_.from_model_text(caption_of(binding));
  const std::vector<DriveEntry> drives = visible_drives(program_folder_);
  std::string start = program_folder_;
  if (!box.text().empty()) {
    if (auto native =
            from_emulator_path(drives, ws_.from_model_text(box.text()), program_folder_)) {
      start = existing_start(*native, drives, program_folder_);
    }
  }
  const std::vector<FileFilter> filters = {{"PC-Engine images", {"*.pce"}}, {"All files", {"*"}}};
  const std::optional<std::string> chosen = binding.path_kind == PathKind::File
                                                ? ws_.choose_file(title, start, filters)
                                                : ws_.choose_folder(title, start);
  if (!chosen) return;

  put_path(binding, *chosen, drives);
}

void MainWindow::path_dropped(const Binding& binding, const std::vector<std::string>& paths) {
  // The chooser offers one thing of the kind the box takes; a drop can bring more, or the other
  // kind.
  const char* why = paths.size() != 1
                        ? "Several were dropped; drop one at a time."
                        : wrong_kind(binding.path_kind, files::entry_kind(paths.front()));
  if (why != nullptr) {
    refuse_path(binding, paths.front(), why);
    return;
  }
  put_path(binding, paths.front(), visible_drives(program_folder_));
}

void MainWindow::refuse_path(const Binding& binding, const std::string& path,
                             const std::string& why) {
  ws_.show_message(MessageKind::Warning, kWindowTitle,
                   "\"" + path + "\" is not written into " +
                       ws_.from_model_text(caption_of(binding)) + ".\n\n" + why);
}

void MainWindow::put_path(const Binding& binding, const std::string& chosen,
                          const std::vector<DriveEntry>& drives) {
  const std::optional<std::string> path = to_emulator_path(drives, chosen);
  if (!path) {
    refuse_path(binding, chosen,
                drives.empty()
                    ? no_drives_reason() + "."
                    : "It lies on no drive of the Wine prefix the emulator runs in (" +
                          utf8_list(drives) +
                          "), so the emulator could not open it. Choose one on those drives, "
                          "or give the prefix a drive that leads there (winecfg, Drives).");
    return;
  }
  const std::optional<std::string> bytes = ws_.to_model_text(*path);
  if (!bytes) {
    refuse_path(binding, *path,
                "Its name has characters that VOZ.INI (Windows-1252) cannot hold, and the "
                "emulator could not find it by a name changed to fit.");
    return;
  }
  binding.control->set_text(*bytes);
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
