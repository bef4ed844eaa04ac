// Start-up on files no editor would write: it finishes within a few seconds, shows the settings
// it could find, backs the file up byte for byte, and "Save & Quit" then writes a whole file of
// 612 lines that reads back to the values on show.

#include "odd_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "panels/bindings.h"
#include "panels/registry.h"
#include "recording_window_system.h"
#include "settings/config_file.h"
#include "shell/main_window.h"
#include "support.h"

namespace quorvane::robustness {
namespace {

using quorvane::testing::RecordingWindowSystem;
using Clock = std::chrono::steady_clock;

constexpr Row kConfigRow = row::config_path;
// Wide enough for a loaded machine, where these starts share two cores with the other tests (on
// Windows under Wine, with children being started and killed beside them), and far too narrow for
// work that grows faster than the file.
#ifdef _WIN32
constexpr double kFewSeconds = 10.0;
#else
constexpr double kFewSeconds = 5.0;
#endif

double seconds_since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The text of the control that shows `row`.
std::string shown(const MainWindow& window, Row row) {
  const auto bindings = window.declared().bindings();
  const auto it = std::find_if(bindings.begin(), bindings.end(),
                               [row](const Binding* b) { return b->row == row; });
  if (it == bindings.end()) return "(no control)";
  return (*it)->control->text();
}

// A whole file: 612 lines, each ending in CR LF, and nothing after the last.
bool is_whole_file(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n') == 612 &&
         std::count(text.begin(), text.end(), '\r') == 612 && text.ends_with("\r\n") &&
         text.find("\r\n[path]\r\n") != std::string::npos;
}

TEST(OddFiles, StartQuicklyShowWhatTheyCanAndSaveAWholeFile) {
  for (const OddFile& odd : odd_files()) {
    SCOPED_TRACE(odd.name);
    TempFolder folder;
    write_bytes(folder / "VOZ.INI", odd.bytes);
    RecordingWindowSystem<> ws;
    MainWindow window(folder.str(), ws);

    const auto start = Clock::now();
    window.Form_Load();
    const double load = seconds_since(start);
    EXPECT_LT(load, kFewSeconds);
    EXPECT_TRUE(ws.messages.empty());
    EXPECT_EQ(window.form().at("com_sound_fre").text(), odd.frequency);
    EXPECT_EQ(window.table().value(kConfigRow), odd.config_path);
    EXPECT_EQ(shown(window, kConfigRow), odd.config_path);
    EXPECT_TRUE(read_bytes(folder / "VOZ_backup.INI") == odd.bytes) << "backup is not a copy";

    const auto save_start = Clock::now();
    window.imgsave_Click();
    const double save = seconds_since(save_start);
    EXPECT_TRUE(ws.messages.empty());
    const std::string saved = read_bytes(folder / "VOZ.INI");
    EXPECT_TRUE(is_whole_file(saved)) << saved.size() << " bytes";
    EXPECT_TRUE(saved == build_config_text(window.table()));
    SettingsTable back;
    parse_config_text(saved, back);
    EXPECT_TRUE(back == window.table());

    std::printf("[figures] %-32s %9zu bytes: Form_Load %.3f s, save %.3f s, saved %zu bytes\n",
                odd.name.c_str(), odd.bytes.size(), load, save, saved.size());
  }
}

}  // namespace
}  // namespace quorvane::robustness
