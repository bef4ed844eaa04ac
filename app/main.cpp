// quorvane-config: the settings editor of the Quorvane emulator. It edits VOZ.INI in its own
// folder and takes no command line, environment or settings of its own.

#include <QApplication>
#include <QMessageBox>
#include <string>

#include "files/files.h"
#include "front_ends/qt/qt_view.h"
#include "front_ends/qt/qt_window_system.h"
#include "shell/form_layout.h"
#include "shell/start_up.h"

int main(int argc, char* argv[]) {
  using namespace quorvane;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kWindowTitle));
  QtWindowSystem window_system;
  // Not Qt's application folder: where the system cannot say, Qt works one out from argv[0]
  // and the working folder.
  return run_editor(files::program_folder(files::executable_path()),
                    {window_system,
                     [](const std::string& text) {
                       QMessageBox::critical(
                           nullptr, QString::fromUtf8(kWindowTitle),
                           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
                     },
                     [&window_system](Form& form, ViewEvents events) {
                       QtView view(form, window_system, std::move(events));
                       view.show();
                       return QApplication::exec();
                     }});
}
