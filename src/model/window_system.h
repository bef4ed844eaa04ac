#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quorvane {

enum class MessageKind { Error, Warning };

// One entry of a file chooser's type list: the name "PC-Engine images" and its patterns, "*.pce".
struct FileFilter {
  std::string name;
  std::vector<std::string> patterns;
};

// What the window logic needs of the window system. The Qt front end implements it; tests use a
// recording fake. Every call happens on the user-interface thread.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Whether the window can take a whole-window opacity (the closing fade needs it).
  virtual bool supports_opacity() const = 0;
  // Prepares the window for opacity changes and repaints it at once.
  virtual void prepare_for_opacity() = 0;
  // Whole-window alpha, 0 (invisible) to 255 (opaque).
  virtual void set_opacity(int alpha) = 0;
  // Lets pending window events run from inside a handler.
  virtual void process_pending_events() = 0;
  // Closes the main window; the view then calls MainWindow::Form_Unload.
  virtual void close_window() = 0;
  // Ends the program at once with `exit_code` (0, or 1 for a failure): no question, no further
  // event handled. The first end counts; a later one changes nothing.
  virtual void end_program_with(int exit_code) = 0;
  void end_program() { end_program_with(0); }
  // True once the program has ended: a view then passes nothing more to the logic, even from
  // events that were already queued.
  virtual bool ended() const = 0;
  // Starts an interactive move of the window that follows the pointer until the left button is
  // released.
  virtual void start_window_move() = 0;
  // Opens a web address with the desktop's default handler without waiting for it. False when no
  // handler could be started (no browser); the caller then tells the user the address.
  virtual bool open_url(const std::string& url) = 0;
  // A modal message box. Texts are UTF-8.
  virtual void show_message(MessageKind kind, const std::string& title,
                            const std::string& text) = 0;
  // A modal question with two buttons, `proceed` and `go_back`. Going back is the default button
  // and what Escape or closing the box does. True only when the user chose `proceed`.
  virtual bool ask(const std::string& title, const std::string& text, const std::string& proceed,
                   const std::string& go_back) = 0;

  // The system's modal chooser of one existing file, opened at `start` (a file, which it
  // selects, or a folder), offering `filters` in that order. The chosen file's full path, or
  // nullopt when the user cancelled. Texts and paths are UTF-8.
  virtual std::optional<std::string> choose_file(const std::string& title, const std::string& start,
                                                 const std::vector<FileFilter>& filters) = 0;
  // The same for one existing folder.
  virtual std::optional<std::string> choose_folder(const std::string& title,
                                                   const std::string& start) = 0;
  // The model's texts are Windows-1252 bytes, the system's UTF-8; the front end converts, so
  // that conversion stays at the edge. nullopt for a text with a character that Windows-1252
  // has no byte for.
  virtual std::optional<std::string> to_model_text(const std::string& utf8) = 0;
  virtual std::string from_model_text(const std::string& bytes) = 0;
};

}  // namespace quorvane
