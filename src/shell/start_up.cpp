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
  const auto separator = [ignore_case](char c) { return c == '/' || (ignore_case && c == '\\'); };
  std::size_t end = program_folder.size();
  while (end > 1 && separator(program_folder[end - 1])) --end;
  // FNV-1a: short, and the same in every build and on every machine.
  std::uint64_t hash = 14695981039346656037ull;
  for (std::size_t i = 0; i < end; ++i) {
    char c = program_folder[i];
    if (ignore_case && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (ignore_case && c == '/') c = '\\';
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  char name[] = "quorvane-config-0123456789abcdef";
  for (int i = 0; i < 16; ++i) name[16 + i] = kDigits[(hash >> (60 - 4 * i)) & 0xF];
  return name;
}

}  // namespace quorvane
