#include "shell/start_up.h"

#include <cstdint>
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

std::string instance_name(std::string_view program_folder, bool ignore_case) {
  std::string folder(program_folder);
  if (ignore_case) {
    for (char& c : folder) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c == '/') c = '\\';
    }
  }
  while (folder.size() > 1 && (folder.back() == '/' || (ignore_case && folder.back() == '\\'))) {
    folder.pop_back();
  }
  // FNV-1a: short, and the same in every build and on every machine.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : folder) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string name = "quorvane-config-";
  for (int shift = 60; shift >= 0; shift -= 4) name += kDigits[(hash >> shift) & 0xF];
  return name;
}

}  // namespace quorvane
