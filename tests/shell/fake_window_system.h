#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace quorvane::testing {

// Records what the window logic asks of the window system.
class FakeWindowSystem : public WindowSystem {
 public:
  bool opacity_supported = true;
  bool url_opens = true;
  bool answer = false;  // what ask() answers
  // Runs while a question is open (what another program does meanwhile), before the answer.
  std::function<void()> while_asking;
  std::vector<std::string> questions;
  std::vector<int> opacities;
  std::vector<std::string> urls;
  std::vector<std::string> messages;
  int prepared = 0;
  int closed = 0;
  int ended = 0;
  int moves = 0;
  int event_runs = 0;

  bool supports_opacity() const override { return opacity_supported; }
  void prepare_for_opacity() override { ++prepared; }
  void set_opacity(int alpha) override { opacities.push_back(alpha); }
  void process_pending_events() override { ++event_runs; }
  void close_window() override { ++closed; }
  void end_program() override { ++ended; }
  void start_window_move() override { ++moves; }
  bool open_url(const std::string& url) override {
    urls.push_back(url);
    return url_opens;
  }
  void show_message(MessageKind, const std::string&, const std::string& text) override {
    messages.push_back(text);
  }
  bool ask(const std::string&, const std::string& text, const std::string&,
           const std::string&) override {
    questions.push_back(text);
    if (while_asking) while_asking();
    return answer;
  }

  // A chooser that records where it was opened and answers `chosen` (nullopt: cancelled).
  struct Choice {
    bool folder = false;
    std::string title;
    std::string start;
  };
  std::vector<Choice> choices;
  std::optional<std::string> chosen;
  std::optional<std::string> choose_file(const std::string& title, const std::string& start,
                                         const std::vector<FileFilter>&) override {
    choices.push_back({false, title, start});
    return chosen;
  }
  std::optional<std::string> choose_folder(const std::string& title,
                                           const std::string& start) override {
    choices.push_back({true, title, start});
    return chosen;
  }
  // Texts pass as they are, except that a byte of 0xFF stands for a character Windows-1252 has
  // no byte for.
  std::optional<std::string> to_model_text(const std::string& utf8) override {
    if (utf8.find('\xFF') != std::string::npos) return std::nullopt;
    return utf8;
  }
  std::string from_model_text(const std::string& bytes) override { return bytes; }
};

}  // namespace quorvane::testing
