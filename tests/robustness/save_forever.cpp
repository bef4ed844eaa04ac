// The child of the Windows test of killed saves (Windows has no fork): it replaces a file with
// the bytes of two others in turn, for ever, until it is killed.
//
//   save_forever <target> <first> <second> <event>
//
// It sets the named event once it has read both files, just before its first save.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "files/files.h"
#include "windows_support.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: save_forever <target> <first> <second> <event>\n");
    return 2;
  }
  const auto utf8 = [](const wchar_t* text) {
    const std::u8string bytes = std::filesystem::path(text).u8string();
    return std::string(bytes.begin(), bytes.end());
  };
  try {
    const std::string target = utf8(argv[1]);
    const std::string first = quorvane::files::read_all(utf8(argv[2]));
    const std::string second = quorvane::files::read_all(utf8(argv[3]));
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]);
    if (ready == nullptr || !SetEvent(ready)) {
      std::fprintf(stderr, "save_forever: cannot signal the event\n");
      return 2;
    }
    for (;;) {
      quorvane::files::write_atomic(target, first);
      quorvane::files::write_atomic(target, second);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "save_forever: %s\n", error.what());
    return 3;
  }
}
