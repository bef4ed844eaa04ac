#pragma once

// VOZ.INI files that no editor would write: huge, binary, one endless line. Shared by the start-up
// tests of the core and of the Qt window.

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace quorvane::robustness {

struct OddFile {
  std::string name;
  std::string bytes;
  // What start-up must show of it: the frequency field's text and the "config=" path.
  std::string frequency;
  std::string config_path;
};

inline std::vector<OddFile> odd_files() {
  std::vector<OddFile> files;

  {  // 50 MB of text: comments and unknown settings, the real ones at both ends.
    std::string text = "\r\n[sound]\r\nfrequency=22050\r\n[nowhere]\r\n";
    const std::string filler =
        "  ; a comment line that goes on for a while, as comments do, line after line\r\n"
        "unknown_key=some value that nobody reads\r\n";
    text.reserve(50u << 20);
    while (text.size() < (50u << 20) - 100) text += filler;
    text += "[path]\r\nconfig=D:\\end of fifty megabytes\r\n";
    files.push_back({"50 MB of text", std::move(text), "22050", "D:\\end of fifty megabytes"});
  }
  files.push_back({"only NUL bytes", std::string(1u << 20, '\0'), "44100", ""});
  {  // 100,000 lines: the first frequency line of its section wins.
    std::string text = "\r\n[sound]\r\n";
    for (int i = 0; i < 100000; ++i) text += "frequency=" + std::to_string(i + 8000) + "\r\n";
    text += "[path]\r\nconfig=after 100000 lines\r\n";
    files.push_back({"100,000 lines", std::move(text), "8000", "after 100000 lines"});
  }
  {  // One line of 1 MB, no line end at all: a path that goes on and on.
    std::string path = "C:\\";
    while (path.size() < (1u << 20)) path += "very long folder name\\";
    files.push_back({"a single 1 MB line", "[path]\r\nconfig=" + path, "44100", path});
  }
  files.push_back({"a single 1 MB line without '='", std::string(1u << 20, 'x'), "44100", ""});
  {  // Random bytes, with the same seed every time.
    std::mt19937 random(1234567);
    std::string bytes(1u << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    files.push_back({"1 MB of random bytes", std::move(bytes), "44100", ""});
  }
  return files;
}

}  // namespace quorvane::robustness
