#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <stdexcept>
#include <string>
#include <vector>

#include "view_fixture.h"

namespace quorvane {
namespace {

using testing::RecordingWindowSystem;
using testing::ViewTest;

// Sends a mouse press to whatever widget lies at `pos` of the window, as a real press would
// reach it (and from there its parents, if it does not take it).
void press_at(QWidget* window, QPoint pos, Qt::MouseButton button) {
  QWidget* target = window->childAt(pos);
  if (target == nullptr) target = window;
  QTest::mousePress(target, button, {}, target->mapFrom(window, pos));
  QTest::mouseRelease(target, button, {}, target->mapFrom(window, pos));
}

TEST_F(ViewTest, WindowAndControlsStandWhereTheirTwipsSay) {
  QWidget* window = view->window();
  EXPECT_EQ(window->size(), QSize(413, 332));
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(window->windowTitle(), "Quorvane Configuration");
  // The body starts at 300 twips (20 px) and its client area one border pixel further in.
  QWidget* video = widget("picpantalla");
  EXPECT_EQ(QRect(video->mapTo(window, QPoint(0, 0)), video->size()), QRect(49, 24, 32, 32));
  click("picpantalla");
  QWidget* vsync = widget("ch_global", 0);
  EXPECT_EQ(QRect(vsync->mapTo(window, QPoint(0, 0)), vsync->size()), QRect(177, 208, 65, 17));

  EXPECT_EQ(video->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(widget("lblvideo_1", 20)->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_NE(widget("lblvideo_1", 7)->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(video->toolTip(), "Video Settings");
  // The title bar, and the title on it, say which VOZ.INI the window edits.
  const QString path = QString::fromStdString(folder.file("VOZ.INI"));
  EXPECT_EQ(widget("picbarraalta")->toolTip(), path);
  EXPECT_EQ(widget("Label1")->toolTip(), path);
}

TEST_F(ViewTest, ClickingACheckBoxFlipsItsCaptionInTheModelAndOnScreen) {
  click("picpantalla");
  ASSERT_TRUE(widget("pic_video")->isVisible());
  auto* vsync = as<QCheckBox>("ch_global", 0);
  ASSERT_FALSE(vsync->isChecked());

  QTest::mouseClick(vsync, Qt::LeftButton);
  EXPECT_EQ(at("ch_global", 0).value(), 1);
  EXPECT_EQ(at("ch_global", 0).caption(), "Enable");
  EXPECT_EQ(vsync->text(), "Enable");

  QTest::mouseClick(vsync, Qt::LeftButton);
  EXPECT_EQ(at("ch_global", 0).value(), 0);
  EXPECT_EQ(vsync->text(), "Disable");

  click("imgteclado");
  auto* lock = as<QCheckBox>("ch_glolock", 0);
  ASSERT_EQ(lock->text(), "Locked");
  QTest::mouseClick(lock, Qt::LeftButton);
  EXPECT_EQ(lock->text(), "Unlock");
  EXPECT_EQ(at("ch_glolock", 0).value(), 0);
}

TEST_F(ViewTest, OptionButtonsAreExclusiveWithinTheirGroupOnly) {
  click("picpantalla");
  auto* windowed = as<QRadioButton>("op_video_winmodo", 0);
  auto* software = as<QRadioButton>("op_video_winmodo", 4);
  QTest::mouseClick(software, Qt::LeftButton);
  QTest::mouseClick(windowed, Qt::LeftButton);
  EXPECT_TRUE(at("op_video_winmodo", 0).option_value());
  EXPECT_FALSE(at("op_video_winmodo", 1).option_value());
  EXPECT_FALSE(as<QRadioButton>("op_video_winmodo", 1)->isChecked());
  EXPECT_TRUE(software->isChecked()) << "another group keeps its choice";

  // The logic may leave a group with no choice; the widgets must follow it.
  at("op_video_fullm", 0).set_option_value(false);
  at("op_video_fullm", 1).set_option_value(false);
  at("op_video_fullm", 2).set_option_value(false);
  view->sync();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(as<QRadioButton>("op_video_fullm", i)->isChecked());
}

TEST_F(ViewTest, AHiddenPanelKeepsItsValuesAndShowsThemAgain) {
  click("picpantalla");
  retype(field("txt_video_full", 0), "800,600");
  QTest::mouseClick(as<QCheckBox>("ch_global", 1), Qt::LeftButton);

  click("imgsonido");
  EXPECT_FALSE(widget("pic_video")->isVisible());
  EXPECT_TRUE(widget("pic_sound")->isVisible());
  EXPECT_EQ(at("txt_video_full", 0).text(), "800,600");
  EXPECT_EQ(main.table().value(row::res_256), "800,600") << "leaving the panel collects it";

  click("picpantalla");
  EXPECT_TRUE(widget("pic_video")->isVisible());
  EXPECT_EQ(field("txt_video_full", 0)->text(), "800,600");
  EXPECT_TRUE(as<QCheckBox>("ch_global", 1)->isChecked());
}

TEST_F(ViewTest, PageFlipsShowAndHideTheSubPage) {
  click("imgpanel");
  click("lblvideo_1", 51);
  EXPECT_TRUE(widget("pic_panel_b")->isVisible());
  click("lblvideo_1", 52);
  EXPECT_FALSE(widget("pic_panel_b")->isVisible());
  EXPECT_TRUE(widget("pic_panel")->isVisible());
}

TEST_F(ViewTest, TypedTextReachesTheModelAsWindows1252Bytes) {
  click("imgpanel");
  click("lblvideo_1", 51);
  retype(field("txt_panel_b_card1"), QString::fromUtf8("C:\\Cartes\\Pâté €5.pce"));
  EXPECT_EQ(at("txt_panel_b_card1").text(),
            "C:\\Cartes\\P\xe2t\xe9 \x80"
            "5.pce");

  click("picpantalla");
  click("lblvideo_1", 20);
  retype(field("com_video_tvgamm"), QString::fromUtf8("ü"));
  EXPECT_EQ(at("com_video_tvgamm").text(), "\xfc");

  // And back: the logic's bytes show as the characters they stand for.
  at("txt_panel_b_card2").set_text("\x93quoted\x94");
  view->sync();
  EXPECT_EQ(field("txt_panel_b_card2")->text(), QString::fromUtf8("\u201cquoted\u201d"));
}

TEST_F(ViewTest, ACharacterWindows1252CannotHoldIsRefusedAndExplained) {
  click("imgpanel");
  QLineEdit* edit = field("txt_panel_list");
  retype(edit, QString::fromUtf8("CĀD→E"));
  EXPECT_EQ(edit->text(), "CDE");
  EXPECT_EQ(at("txt_panel_list").text(), "CDE");
  EXPECT_EQ(edit->cursorPosition(), 3);
  EXPECT_TRUE(QToolTip::text().contains(QString::fromUtf8("“→”")));
  EXPECT_TRUE(QToolTip::text().contains("Windows-1252"));

  // A character outside the Basic Multilingual Plane is one character, not two halves.
  edit->clear();
  edit->insert(QString::fromUtf8("a\U0001F600b"));
  EXPECT_EQ(at("txt_panel_list").text(), "ab");
  EXPECT_TRUE(QToolTip::text().contains(QString::fromUtf8("“\U0001F600”")));
}

TEST_F(ViewTest, PastedLineBreaksAreDropped) {
  click("imgpanel");
  QLineEdit* edit = field("txt_panel_list");
  QGuiApplication::clipboard()->setText("CD\r\nEF\n");
  edit->clear();
  edit->paste();
  EXPECT_EQ(edit->text(), "CDEF");
  EXPECT_EQ(at("txt_panel_list").text(), "CDEF");

  QLineEdit* combo = field("com_papel_statefile");
  QGuiApplication::clipboard()->setText("1\n6");
  combo->clear();
  combo->paste();
  EXPECT_EQ(at("com_papel_statefile").text(), "16");
}

TEST_F(ViewTest, EditableCombosKeepExactlyWhatWasTyped) {
  click("imgpanel");
  auto* combo = as<QComboBox>("com_panel_hz");
  const int items = combo->count();
  retype(combo->lineEdit(), "6");
  EXPECT_EQ(at("com_panel_hz").text(), "6") << "no completion from the list";
  type(combo->lineEdit(), "1 hz");
  QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(combo->currentText(), "61 hz") << "no case correction to the item \"61 Hz\"";
  EXPECT_EQ(at("com_panel_hz").text(), "61 hz");
  EXPECT_EQ(combo->count(), items) << "nothing typed is added to the list";

  // Choosing from the list is a text like any other.
  combo->setCurrentIndex(combo->findText("59 Hz"));
  EXPECT_EQ(at("com_panel_hz").text(), "59 Hz");
}

TEST_F(ViewTest, SyncLeavesAFieldAloneWhenItAlreadyMatches) {
  click("imgpanel");
  QLineEdit* edit = field("txt_panel_list");
  retype(edit, "CDEF");
  edit->setCursorPosition(2);
  view->sync();
  EXPECT_EQ(edit->cursorPosition(), 2);
  at("txt_panel_list").set_text("XYZ");
  view->sync();
  EXPECT_EQ(edit->text(), "XYZ");
}

TEST_F(ViewTest, DriveListsOfferTheModelsDrivesAndReportAPick) {
  for (const char* name : {"Dri_panel_list", "dr_cdrom_letter"}) {
    at(name).set_list({"c: -> /prefix/drive_c", "d: -> /media/cd"});
    at(name).set_drive("c: -> /prefix/drive_c");
  }
  view->sync();
  click("imgpanel");
  auto* drives = as<QComboBox>("Dri_panel_list");
  ASSERT_EQ(drives->count(), 2);
  EXPECT_EQ(drives->currentIndex(), 0);
  EXPECT_TRUE(drives->isEnabled());

  const std::string before = at("txt_panel_list").text();
  drives->setFocus();
  QTest::keyClick(drives, Qt::Key_Down);
  EXPECT_EQ(at("Dri_panel_list").drive(), "d: -> /media/cd");
  EXPECT_EQ(at("txt_panel_list").text(), before + "D");
  EXPECT_EQ(field("txt_panel_list")->text(), QString::fromStdString(before + "D"));

  at("dr_cdrom_letter").set_list({});
  at("dr_cdrom_letter").tooltip = "No drive letters found";
  view->sync();
  auto* empty = as<QComboBox>("dr_cdrom_letter");
  EXPECT_EQ(empty->count(), 0);
  EXPECT_FALSE(empty->isEnabled());
  EXPECT_EQ(empty->toolTip(), "No drive letters found");
}

TEST_F(ViewTest, OnlyTheBareTitleBarWithTheLeftButtonMovesTheWindow) {
  QWidget* window = view->window();
  press_at(window, QPoint(300, 10), Qt::RightButton);
  press_at(window, QPoint(300, 10), Qt::MiddleButton);
  EXPECT_EQ(ws.moves, 0);
  press_at(window, QPoint(60, 10), Qt::LeftButton);  // on the title text
  EXPECT_EQ(ws.moves, 0);
  press_at(window, QPoint(300, 10), Qt::LeftButton);
  EXPECT_EQ(ws.moves, 1);

  // Dragging from the title text or the close image moves nothing either: their moves must not
  // reach the title bar beneath them.
  for (QWidget* top : {widget("Label1"), widget("imgcerrar")}) {
    QMouseEvent drag(QEvent::MouseMove, QPointF(5, 5), top->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(top, &drag);
  }
  EXPECT_EQ(ws.moves, 1);

  // A press on the close image that is released off it neither moves nor closes.
  QWidget* close = widget("imgcerrar");
  QTest::mousePress(close, Qt::LeftButton);
  QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(-20, 5));
  EXPECT_EQ(ws.moves, 1);
  EXPECT_FALSE(ws.ended());
}

TEST_F(ViewTest, TheFadeRunsOnTheTimerAndEndsTheProgram) {
  ws.opacity = true;
  const std::string file = folder.read("VOZ.INI");
  click("imgcerrar");
  EXPECT_TRUE(QTest::qWaitFor([&] { return ws.ended(); }, 5000));
  EXPECT_EQ(ws.opacities, (std::vector<int>{255, 230, 204, 178, 153, 128, 102, 76, 51, 26, 3}));
  EXPECT_FALSE(view->window()->isVisible());
  EXPECT_EQ(folder.read("VOZ.INI"), file);
}

// The fade's timer was running when the save failed: ticks that arrive while the message is open
// must not finish the fade and close the window behind it.
TEST_F(ViewTest, AFailedSaveDuringAFadeKeepsTheWindowWhileItsMessageIsOpen) {
  ws.opacity = true;
  ws.message_ms = 600;
  click("picpantalla");
  QTest::mouseClick(as<QCheckBox>("ch_global", 0), Qt::LeftButton);
  testing::set_mode(folder.path() / "VOZ.INI", 0444);  // refused even as root
  click("imgcerrar");
  QTest::qWait(150);
  click("imgsave");
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("could not be saved"), std::string::npos) << ws.messages[0];
  QTest::qWait(300);
  EXPECT_FALSE(ws.ended());
  EXPECT_TRUE(view->window()->isVisible());
  EXPECT_EQ(as<QCheckBox>("ch_global", 0)->isChecked(), true);
  testing::set_mode(folder.path() / "VOZ.INI", 0644);
}

TEST_F(ViewTest, TheSystemCloseEndsTheProgramWithoutSaving) {
  click("picpantalla");
  QTest::mouseClick(as<QCheckBox>("ch_global", 0), Qt::LeftButton);
  const std::string file = folder.read("VOZ.INI");
  view->window()->close();
  EXPECT_TRUE(ws.ended());
  EXPECT_EQ(folder.read("VOZ.INI"), file);
}

TEST_F(ViewTest, EveryCaptionFitsItsBox) {
  for (const auto& control : main.form().controls()) {
    QWidget* w = view->widget(*control);
    if (auto* label = qobject_cast<QLabel*>(w)) {
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
          << control->display_name() << " \"" << control->caption() << "\"";
      EXPECT_LE(label->fontMetrics().height(), label->height()) << control->display_name();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      EXPECT_LE(button->sizeHint().width(), button->width())
          << control->display_name() << " \"" << control->caption() << "\"";
    }
  }
}

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

TEST(ViewFailure, AnErrorEscapingAHandlerIsReportedAndEndsTheProgram) {
  Form form;
  Control& image = form.add(Kind::Image, "imgboom", form.root(), Twips{0, 0, 480, 480});
  int clicks = 0;
  image.on_click([&clicks](Control&) {
    ++clicks;
    throw std::runtime_error("disk on fire");
  });
  RecordingWindowSystem ws;
  QtView view(form, ws, ViewEvents{});
  view.show();
  QTest::mouseClick(view.widget(image), Qt::LeftButton);
  ASSERT_EQ(ws.messages.size(), 1u);
  EXPECT_NE(ws.messages[0].find("disk on fire"), std::string::npos);
  EXPECT_NE(ws.messages[0].find("imgboom"), std::string::npos);
  EXPECT_TRUE(ws.ended());
  QTest::mouseClick(view.widget(image), Qt::LeftButton);
  EXPECT_EQ(clicks, 1) << "nothing reaches the logic after the end";
}

}  // namespace
}  // namespace quorvane
