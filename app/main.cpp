// quorvane-config: the settings editor of the Quorvane emulator. It edits VOZ.INI in its own
// folder and takes no command line, environment or settings of its own.

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <optional>
#include <string>

#include "files/files.h"
#include "front_ends/qt/cp1252.h"
#include "front_ends/qt/qt_view.h"
#include "front_ends/qt/qt_window_system.h"
#include "shell/drive_lists.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"

namespace {

using namespace quorvane;

void report_start_failure(const std::string& text) {
  QMessageBox::critical(nullptr, QString::fromUtf8(kWindowTitle),
                        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kWindowTitle));
  // Not Qt's application folder: where the system cannot say, Qt works one out from argv[0]
  // and the working folder.
  const std::optional<std::string> folder = files::program_folder(files::executable_path());
  if (!folder) {
    report_start_failure(no_program_folder_text());
    return 1;
  }

  QtWindowSystem window_system;
  MainWindow main_window(*folder, window_system);
  try {
    main_window.Form_Load();
    fill_drive_lists(main_window.form(), visible_drives(*folder), *folder, cp1252::from_utf8);
    QtView view(main_window.form(), window_system, main_window.view_events());
    view.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    // The view reports what escapes a handler itself; this is what escapes start-up.
    report_start_failure(start_failure_text(error));
    return 1;
  }
}
