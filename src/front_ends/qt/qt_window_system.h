#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include "model/window_system.h"

namespace quorvane {

// The window system as Qt offers it. The view attaches its top-level window before anything is
// asked of it.
class QtWindowSystem : public WindowSystem, private QObject {
 public:
  QtWindowSystem();
  ~QtWindowSystem() override;

  void attach(QWidget* window) { window_ = window; }
  QWidget* window() const { return window_; }

  // Whole-window opacity is real on Windows and macOS, and on X11 where a compositing manager
  // runs. On X11 without one, setting it does no harm and shows nothing: the fade then runs as a
  // one-second pause before the close, which still tells the user the click was taken. Wayland,
  // the offscreen and minimal platforms have no window opacity, so they close at once.
  bool supports_opacity() const override;
  void prepare_for_opacity() override;
  void set_opacity(int alpha) override;
  void process_pending_events() override;
  void close_window() override;
  void end_program_with(int exit_code) override;
  bool ended() const override { return ended_; }
  // The window manager's own move where it offers one; otherwise the window follows the pointer
  // here until the button is released.
  void start_window_move() override;
  bool open_url(const std::string& url) override;
  void show_message(MessageKind kind, const std::string& title, const std::string& text) override;
  bool ask(const std::string& title, const std::string& text, const std::string& proceed,
           const std::string& go_back) override;
  // QFileDialog: the system's own dialog where the platform has one, Qt's elsewhere.
  std::optional<std::string> choose_file(const std::string& title, const std::string& start,
                                         const std::vector<FileFilter>& filters) override;
  std::optional<std::string> choose_folder(const std::string& title,
                                           const std::string& start) override;
  std::optional<std::string> to_model_text(const std::string& utf8) override;
  std::string from_model_text(const std::string& bytes) override;

  // Whether a move that follows the pointer by hand is under way.
  bool moving_by_hand() const { return moving_; }

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;

  QPointer<QWidget> window_;
  bool ended_ = false;
  bool moving_ = false;
  QPoint grab_offset_;
};

}  // namespace quorvane
