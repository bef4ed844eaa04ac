// The yardstick for the start-up benchmark: an empty frameless Qt window of the editor's size,
// centred as the editor's is, doing nothing else. With --label it shows one bold caption as
// well, to tell apart what drawing any text at all costs (loading the fonts) from what is the
// editor's own.

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QWidget>
#include <cstring>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const bool with_label = argc > 1 && std::strcmp(argv[1], "--label") == 0;
  QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
  window.setWindowTitle(with_label ? "Label Window" : "Empty Window");
  window.setFixedSize(413, 332);
  if (with_label) {
    auto* label = new QLabel("Quorvane Configuration", &window);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->move(8, 2);
  }
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(0, 0), window.size());
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
  }
  window.show();
  return QApplication::exec();
}
