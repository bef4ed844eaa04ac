// quorvane-config: the settings editor of the Quorvane emulator. It edits VOZ.INI in its own
// folder and takes no command line, environment or settings of its own.

#include <unistd.h>

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPointer>
#include <optional>
#include <string>

#include "files/files.h"
#include "front_ends/qt/qt_view.h"
#include "front_ends/qt/qt_window_system.h"
#include "shell/form_layout.h"
#include "shell/start_up.h"

namespace {

// How long a second start waits for the first to answer. The first answers from its event loop,
// which is busy for a moment only while it starts.
constexpr int kAnswerMs = 3000;

// Asks the editor already open on this folder, if there is one, to come to the front; whether
// there is one.
bool raise_open_editor(const QString& name) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(kAnswerMs)) return false;
  socket.write("raise\n");
  socket.flush();
  // It answers once its window is up front, so that this start ends after it. One that does not
  // answer in time (busy with a save that waits for another editor's) is there all the same,
  // and a second window would only stand over it.
  socket.waitForReadyRead(kAnswerMs);
  return true;
}

// Brings `window` (once there is one) to the front for each second start on the same folder.
void answer_second_starts(QLocalServer& server, const QPointer<QWidget>& window) {
  QObject::connect(&server, &QLocalServer::newConnection, &server, [&server, &window] {
    while (QLocalSocket* socket = server.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, &window] {
        if (!socket->readAll().startsWith("raise")) return;
        if (window) {
          window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
          window->show();
          window->raise();
          window->activateWindow();
        }
        socket->write("raised\n");
        socket->flush();
      });
    }
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace quorvane;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kWindowTitle));
  // Not Qt's application folder: where the system cannot say, Qt works one out from argv[0]
  // and the working folder.
  const std::optional<std::string> folder = files::program_folder(files::executable_path());

  // One window per folder: a second start on it brings the open editor to the front and ends.
  // The name is the user's own, so that another user's editor on a shared folder is not asked.
  QLocalServer server;
  QPointer<QWidget> shown;
  if (folder) {
    const QString name =
        QString::fromStdString(instance_name(*folder, false)) + QStringLiteral("-%1").arg(getuid());
    if (raise_open_editor(name)) return 0;
    // Nobody answered: a name left behind by an editor that was killed is taken over.
    QLocalServer::removeServer(name);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    if (server.listen(name)) answer_second_starts(server, shown);
  }

  QtWindowSystem window_system;
  return run_editor(folder,
                    {window_system,
                     [](const std::string& text) {
                       QMessageBox::critical(
                           nullptr, QString::fromUtf8(kWindowTitle),
                           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
                     },
                     [&window_system, &shown](Form& form, ViewEvents events) {
                       QtView view(form, window_system, std::move(events));
                       shown = view.window();
                       view.show();
                       return QApplication::exec();
                     }});
}
