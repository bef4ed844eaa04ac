// quorvane-config: the settings editor of the Quorvane emulator. It edits VOZ.INI in its own
// folder and takes no command line, environment or settings of its own.

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <exception>
#include <string>

#include "platform/front_end.h"
#include "platform/qt/cp1252.h"
#include "platform/qt/qt_view.h"
#include "platform/qt/qt_window_system.h"
#include "shell/drive_lists.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"

namespace {

using namespace quorvane;

std::string utf8(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void report_start_failure(const std::string& text) {
  QMessageBox::critical(nullptr, QString::fromUtf8(kWindowTitle),
                        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kWindowTitle));
  const std::string folder = utf8(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));

  QtWindowSystem window_system;
  MainWindow main_window(folder, window_system);
  if (const auto failure = front_end::form_load_failure(main_window)) {
    report_start_failure(*failure);
    return 1;
  }
  try {
    fill_drive_lists(main_window.form(), visible_drives(folder), folder, cp1252::from_utf8);
    QtView view(main_window, window_system);
    view.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    // The view reports what escapes a handler itself; this is what escapes building it.
    report_start_failure(front_end::start_failure_text(error.what()));
    return 1;
  }
}
