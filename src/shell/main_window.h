#pragma once

#include <exception>
#include <string>
#include <vector>

#include "files/drives.h"
#include "model/controls.h"
#include "model/window_system.h"
#include "panels/bindings.h"
#include "panels/registry.h"
#include "settings/config_file.h"
#include "settings/settings_table.h"
#include "shell/view_core.h"

namespace quorvane {

inline constexpr int kNoPanel = 99;

// What "Save & Quit" asks when VOZ.INI changed on disk since the editor read or wrote it.
std::string other_writer_question(const std::string& cfg_path);

// The message shown when start-up fails with `error` (what Form_Load or building the window
// threw); the program ends after it.
std::string start_failure_text(const std::exception& error);

// The message shown when the program's own folder, where VOZ.INI lives, cannot be found.
std::string no_program_folder_text();

// Form1: the window's control tree, its settings, and every handler of the window. The Qt view
// draws form() and forwards the user's actions to the controls (whose handlers land here) or,
// for the title bar, to picbarraalta_MouseMove.
class MainWindow {
 public:
  // program_folder: the folder of the program's own executable, where VOZ.INI lives.
  MainWindow(std::string program_folder, WindowSystem& window_system);

  Form& form() { return form_; }
  const Form& form() const { return form_; }
  SettingsTable& table() { return table_; }
  const SettingsTable& table() const { return table_; }
  // The bindings and page flips the panels declared.
  const Declarations& declared() const { return declared_; }

  int cur_panel() const { return cur_panel_; }
  int fade_level() const { return fade_level_; }

  // Start-up: reads VOZ.INI (creating it when missing), fills the controls. A failed backup copy
  // is shown as a warning and start-up goes on; a VOZ.INI that can be neither read nor created
  // throws FileError, and the caller reports it and ends without writing anything.
  void Form_Load();
  // The window has closed, for whatever reason: ends the program.
  void Form_Unload();
  // What a view of this window reports to it.
  ViewEvents view_events() {
    return ViewEvents{[this] { Form_Unload(); }, [this] { show_changes(); }};
  }
  // Brings the change marks and the list on "Save & Quit" in line with what a save would write
  // now. Run after every event.
  void show_changes();

  void show_panel(int n);
  void collect_panel(int n);

  void imgsave_Click();
  void imgcerrar_Click();

  // The context menu of a setting control: restore the row's default, or the value VOZ.INI held
  // at start, each shown as the control would show it.
  std::vector<MenuEntry> setting_menu(const Binding& binding);
  // Sets the binding's control as the start-up fill would from `value`. The row takes the value
  // too, so that a code the control cannot show (a frame delay of 16667) is restored as well.
  void restore_setting(const Binding& binding, const std::string& value);
  // Restores every setting on the page `binding`'s control stands on: to its default, or to the
  // value VOZ.INI held at start.
  enum class Restore { Defaults, ValuesRead };
  void restore_page(const Binding& binding, Restore what);
  // Shows the binding's warning sign while what its control would store lies outside the range
  // its comment states.
  void check_range(const Binding& binding);
  // The browse button of a path box: the system's chooser, opened where the box points; the
  // chosen path goes into the box as the emulator reads it.
  void browse(const Binding& binding);
  // Shows the path box's sign while its value leads nowhere the emulator could use, with the
  // path as resolved; the value itself is left as it is.
  void check_path(const Binding& binding);
  // Files or folders dropped on a path box or its browse button: one of the kind the box takes
  // goes in as the chooser's choice would, refused as the chooser's would be.
  void path_dropped(const Binding& binding, const std::vector<std::string>& paths);

  void close_with_fade();
  void Tm1_Timer();
  // buttons: 1 left, 2 right, 4 middle, added together.
  void picbarraalta_MouseMove(int buttons);

 private:
  void wire_handlers();
  // Opens an intro link; without a browser, tells the user the address instead.
  void open_link(const std::string& url);
  void wire_settings();
  // Back to the normal, opaque window with the timer off.
  void stop_fade();
  // A path chosen or dropped for the box, written into it as the emulator reads it, or refused
  // with the reason.
  void put_path(const Binding& binding, const std::string& chosen,
                const std::vector<DriveEntry>& drives);
  void refuse_path(const Binding& binding, const std::string& path, const std::string& why);

  WindowSystem& ws_;
  Form form_;
  Declarations declared_;
  SettingsTable table_;
  // The values as VOZ.INI held them at start, for "Restore the value read from VOZ.INI".
  SettingsTable read_table_;
  // The text the settings were read from, which a save's changes are told against.
  std::string text_read_;
  bool read_utf16_ = false;
  std::string program_folder_;
  ConfigFile config_;
  int cur_panel_ = 0;
  int fade_level_ = 0;
};

}  // namespace quorvane
