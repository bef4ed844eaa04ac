// One of two editors that save one folder again and again at the same time, each its own setting:
// the Linux build and the .exe under Wine, run together by both_builds.sh. Each round it starts as
// the editor starts (read_config, which also clears the temporary files it judges stale), checks
// that its own last save is still in the file, and saves its next value. A save that finds the
// file changed under it (the other saved first) starts the round again, as the window's question
// would have the user do.
//
//   concurrent_saver <folder> <gamma|brightness> <rounds>
//
// It waits for a file "go" in the folder before the first round, so that both start together.
// Exit status: 0 every save kept; 1 a save of its own was lost; 2 usage; 3 a save or a read failed.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>

#include "platform/files.h"
#include "settings/config_file.h"

int main(int argc, char** argv) {
  using namespace quorvane;
  if (argc != 4 || (std::string(argv[2]) != "gamma" && std::string(argv[2]) != "brightness")) {
    std::fprintf(stderr, "usage: concurrent_saver <folder> <gamma|brightness> <rounds>\n");
    return 2;
  }
  const std::string folder = argv[1];
  const Row mine = std::string(argv[2]) == "gamma" ? row::gamma : row::brightness;
  const int rounds = std::atoi(argv[3]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!files::exists(files::join(folder, "go"))) {
    if (std::chrono::steady_clock::now() > deadline) return 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  std::string last = SettingsTable{}.value(mine);
  int again = 0;
  try {
    for (int round = 1; round <= rounds;) {
      ConfigFile config(folder);
      SettingsTable table;
      config.read_config(table);
      if (table.value(mine) != last) {
        std::printf("%s: round %d: the file holds %s=%s, not the %s this editor saved\n", argv[2],
                    round, argv[2], table.value(mine).c_str(), last.c_str());
        return 1;
      }
      table.set_value(mine, std::to_string(round));
      try {
        config.write_config(table);
      } catch (const ChangedOnDisk&) {
        ++again;
        continue;
      }
      last = std::to_string(round);
      ++round;
    }
  } catch (const std::exception& error) {
    std::printf("%s: %s\n", argv[2], error.what());
    return 3;
  }
  std::printf("%s: %d saves kept; %d found the other's save first and went again\n", argv[2],
              rounds, again);
  return 0;
}
