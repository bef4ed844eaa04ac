#include "shell/start_up.h"

#include <exception>

#include "settings/text_encoding.h"
#include "shell/drive_lists.h"
#include "shell/main_window.h"

namespace quorvane {

int run_editor(const std::optional<std::string>& program_folder, const FrontEndStart& front_end) {
  if (!program_folder) {
    front_end.report_failure(no_program_folder_text());
    return 1;
  }
  MainWindow main_window(*program_folder, front_end.window_system);
  try {
    main_window.Form_Load();
    fill_drive_lists(main_window.form(), visible_drives(*program_folder), *program_folder,
                     utf8_to_cp1252_for_display);
    return front_end.show_and_run(main_window.form(), main_window.view_events());
  } catch (const std::exception& error) {
    // The view reports what escapes a handler itself; this is what escapes start-up.
    front_end.report_failure(start_failure_text(error));
    return 1;
  }
}

}  // namespace quorvane
