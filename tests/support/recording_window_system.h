#pragma once

// The one test double of the window system. It records what the window logic (and a view) asks
// of the system, and answers from its fields. Over WindowSystem it stands alone; over a real one
// (QtWindowSystem, win32::Win32WindowSystem) it lets through what the tests need to be real (the
// window's opacity, its closing, the events, the text conversion) and keeps back only what would
// leave the test or wait for a person: message boxes, questions, links, choosers and the drag.
//
// The views take their toolkit's window system by its own type, so the double layers over it by
// deriving from it: RecordingWindowSystem<QtWindowSystem> is a QtWindowSystem.

#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "model/window_system.h"

namespace quorvane::testing {

template <class System = WindowSystem>
class RecordingWindowSystem : public System {
  static_assert(std::is_base_of_v<WindowSystem, System>);
  // Whether there is a real system beneath to pass calls on to.
  static constexpr bool kReal = !std::is_abstract_v<System>;

 public:
  bool opacity_supported = true;
  bool url_opens = true;
  bool answer = false;  // what ask() answers
  std::vector<std::string> questions;
  std::vector<int> opacities;
  std::vector<std::string> urls;
  std::vector<std::string> messages;
  int prepared = 0;
  int closed = 0;
  int ends = 0;
  int exit_code = -1;
  int moves = 0;
  int event_runs = 0;
  // Runs while a message or question "is open", as a real one's own event loop runs the
  // window's events (timer ticks among them) meanwhile.
  std::function<void()> while_open;

  bool supports_opacity() const override { return opacity_supported; }
  void prepare_for_opacity() override {
    ++prepared;
    if constexpr (kReal) System::prepare_for_opacity();
  }
  void set_opacity(int alpha) override {
    opacities.push_back(alpha);
    if constexpr (kReal) System::set_opacity(alpha);
  }
  void process_pending_events() override {
    ++event_runs;
    if constexpr (kReal) System::process_pending_events();
  }
  void close_window() override {
    ++closed;
    if constexpr (kReal) System::close_window();
  }
  void end_program_with(int code) override {
    if (ends++ == 0) exit_code = code;
    if constexpr (kReal) System::end_program_with(code);
  }
  bool ended() const override { return ends > 0; }
  void start_window_move() override { ++moves; }
  bool open_url(const std::string& url) override {
    urls.push_back(url);
    return url_opens;
  }
  void show_message(MessageKind, const std::string&, const std::string& text) override {
    messages.push_back(text);
    if (while_open) while_open();
  }
  bool ask(const std::string&, const std::string& text, const std::string&,
           const std::string&) override {
    questions.push_back(text);
    if (while_open) while_open();
    return answer;
  }

  // A chooser records where it was opened and answers `chosen` (nullopt: cancelled); over a real
  // system with `real_choosers` set, the system's own opens instead.
  struct Choice {
    bool folder = false;
    std::string title;
    std::string start;
  };
  std::vector<Choice> choices;
  std::optional<std::string> chosen;
  bool real_choosers = false;
  std::optional<std::string> choose_file(const std::string& title, const std::string& start,
                                         const std::vector<FileFilter>& filters) override {
    if constexpr (kReal) {
      if (real_choosers) return System::choose_file(title, start, filters);
    }
    choices.push_back({false, title, start});
    return chosen;
  }
  std::optional<std::string> choose_folder(const std::string& title,
                                           const std::string& start) override {
    if constexpr (kReal) {
      if (real_choosers) return System::choose_folder(title, start);
    }
    choices.push_back({true, title, start});
    return chosen;
  }

  // Alone, texts pass as they are, except that a byte of 0xFF stands for a character
  // Windows-1252 has no byte for; over a real system, its own conversion.
  std::optional<std::string> to_model_text(const std::string& utf8) override {
    if constexpr (kReal) {
      return System::to_model_text(utf8);
    } else {
      if (utf8.find('\xFF') != std::string::npos) return std::nullopt;
      return utf8;
    }
  }
  std::string from_model_text(const std::string& bytes) override {
    if constexpr (kReal) {
      return System::from_model_text(bytes);
    } else {
      return bytes;
    }
  }
};

}  // namespace quorvane::testing
