// quorvane-config: the settings editor of the Quorvane emulator. It edits VOZ.INI in its own
// folder and takes no command line, environment or settings of its own.

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/drives.h"
#include "platform/file_error.h"
#include "platform/qt/cp1252.h"
#include "platform/qt/qt_view.h"
#include "platform/qt/qt_window_system.h"
#include "shell/form_layout.h"
#include "shell/main_window.h"

namespace {

using namespace quorvane;

std::string utf8(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Drive texts are UTF-8 paths; the model holds Windows-1252, which keeps the letter (all the
// logic reads) and as much of the path as it can show.
std::string model_text(const std::string& utf8_text) {
  QString text = QString::fromUtf8(utf8_text.data(), static_cast<qsizetype>(utf8_text.size()));
  for (QChar& c : text) {
    if (!cp1252::storable(c)) c = u'?';
  }
  return cp1252::encode(text);
}

void fill_drive_lists(Form& form, const std::string& program_folder) {
  const char* home = std::getenv("HOME");
  const std::vector<DriveEntry> drives =
      list_drives(program_folder, std::getenv("WINEPREFIX"), home != nullptr ? home : "");
  std::vector<std::string> texts;
  texts.reserve(drives.size());
  for (const DriveEntry& d : drives) texts.push_back(model_text(d.text));
  const auto own = drive_of_folder(drives, program_folder);
  const std::string initial = texts.empty() ? std::string() : texts[own.value_or(0)];

  for (const auto& control : form.controls()) {
    if (control->kind() != Kind::DriveList) continue;
    control->set_list(texts);
    control->set_drive(initial);
    if (texts.empty()) control->tooltip = model_text(no_drives_reason());
  }
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
  try {
    main_window.Form_Load();
  } catch (const FileError& error) {
    report_start_failure("The settings could not be read.\n\n" + std::string(error.what()));
    return 1;
  } catch (const std::exception& error) {
    report_start_failure("Start-up failed.\n\n" + std::string(error.what()));
    return 1;
  }
  try {
    fill_drive_lists(main_window.form(), folder);
    QtView view(main_window, window_system);
    view.show();
    return QApplication::exec();
  } catch (const std::exception& error) {
    // The view reports what escapes a handler itself; this is what escapes building it.
    report_start_failure("Start-up failed.\n\n" + std::string(error.what()));
    return 1;
  }
}
