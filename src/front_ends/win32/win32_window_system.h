#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "front_ends/win32/win.h"
#include "model/window_system.h"

namespace quorvane::win32 {

// The window system as the Windows API offers it. The view attaches its top-level window
// before anything is asked of it; every call comes on the thread that made that window.
class Win32WindowSystem : public WindowSystem {
 public:
  void attach(HWND window) { window_ = window; }
  HWND window() const { return window_; }

  int exit_code() const { return exit_code_; }

  // Runs the message loop until the program ends; returns its exit code.
  int run();
  // Sees every message of the loop first; one it returns true for goes no further. The view
  // takes the keys whose meaning the model decides (Tab, Enter on an image, the menu key) here,
  // before the dialog navigation gives them its own.
  void set_key_filter(std::function<bool(const MSG&)> filter) { key_filter_ = std::move(filter); }

  // Layered windows came with the NT family; the 9x family closes at once.
  bool supports_opacity() const override;
  // Adds the layered style and sets full opacity at once, so the window stays as it was until
  // the first tick of the fade lowers it.
  void prepare_for_opacity() override;
  void set_opacity(int alpha) override;
  void process_pending_events() override;
  // Destroys the window; the view reports that as Form_Unload.
  void close_window() override;
  void end_program_with(int exit_code) override;
  bool ended() const override { return ended_; }
  // The system's own move, as for a press on a title bar.
  void start_window_move() override;
  bool open_url(const std::string& url) override;
  void show_message(MessageKind kind, const std::string& title, const std::string& text) override;
  bool ask(const std::string& title, const std::string& text, const std::string& proceed,
           const std::string& go_back) override;
  // The system's own Open dialog. A dialog that cannot be opened says so in a message and
  // counts as cancelled, so the box keeps its path.
  std::optional<std::string> choose_file(const std::string& title, const std::string& start,
                                         const std::vector<FileFilter>& filters) override;
  std::optional<std::string> choose_folder(const std::string& title,
                                           const std::string& start) override;
  // The choosers a Windows without the Open dialog object (before Vista) gets instead; tests
  // ask for them where that object is there.
  void use_classic_choosers(bool classic) { classic_choosers_ = classic; }
  std::optional<std::string> to_model_text(const std::string& utf8) override;
  std::string from_model_text(const std::string& bytes) override;

 private:
  // One message through the keyboard navigation of the window, then to its window.
  void deliver(MSG& message);
  HWND owner() const;
  std::optional<std::string> choose(bool folder, const std::string& title, const std::string& start,
                                    const std::vector<FileFilter>& filters);
  // nullopt when the host has no such chooser either; otherwise what was chosen (nullopt when
  // cancelled), with `failure` set when the chooser failed.
  std::optional<std::optional<std::string>> choose_classic(bool folder, const std::string& title,
                                                           const std::string& start,
                                                           const std::vector<FileFilter>& filters,
                                                           std::string& failure);

  HWND window_ = nullptr;
  bool ended_ = false;
  int exit_code_ = 0;
  std::function<bool(const MSG&)> key_filter_;
  bool classic_choosers_ = false;
};

}  // namespace quorvane::win32
