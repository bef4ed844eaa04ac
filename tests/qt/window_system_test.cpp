// The Qt window system's own dialogs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>
#include <string>

#include "front_ends/qt/qt_window_system.h"

namespace quorvane {
namespace {

TEST(WindowSystemMessages, ShowTheirTextAsItStandsNotAsMarkup) {
  // A folder may well be called "<b>"; the message must name it as it is.
  const std::string text = "\"/home/u/<b>roms</b>/card.pce\" is not written into System card 1.";
  QtWindowSystem ws;
  for (bool asking : {false, true}) {
    QString shown;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      if (auto* label = box->findChild<QLabel*>("qt_msgbox_label")) {
        // What the label draws: its text as plain text, or the text of the markup it parsed.
        QTextDocument drawn;
        if (label->textFormat() == Qt::PlainText) {
          drawn.setPlainText(label->text());
        } else {
          drawn.setHtml(label->text());
        }
        shown = drawn.toPlainText();
      }
      box->reject();
    });
    if (asking) {
      ws.ask("Quorvane Configuration", text, "Replace it", "Go back");
    } else {
      ws.show_message(MessageKind::Warning, "Quorvane Configuration", text);
    }
    EXPECT_EQ(shown.toStdString(), text) << (asking ? "asking" : "telling");
  }
}

}  // namespace
}  // namespace quorvane
