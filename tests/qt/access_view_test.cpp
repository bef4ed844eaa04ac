// What only the Qt view does for the keyboard and AT-SPI: buddies and label relations, the roles
// of flips and groups, option groups under Tab and the arrow keys, the focus drawn on images.
// The rest is the view suite's (tests/view/).

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QTest>
#include <cstdlib>

#include "qstring_printer.h"
#include "qt_driver.h"
#include "shell/form_layout.h"
#include "view_suite.h"

namespace quorvane::testing {
namespace {

// The window through the driver, and the Qt view's own widgets for what only they show.
class AccessViewTest : public ViewTest {
 protected:
  QtView& qt() { return native_view(*view); }
  QWidget* widget(const char* name, int index = -1) { return qt().widget(name, index); }
  template <class W>
  W* as(const char* name, int index = -1) {
    auto* w = qobject_cast<W*>(widget(name, index));
    EXPECT_NE(w, nullptr) << name << "(" << index << ")";
    return w;
  }
  static QWidget* focus() { return QApplication::focusWidget(); }
  void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focus(), static_cast<Qt::Key>(key), modifiers);
  }
};

// Over AT-SPI a combo box is read by its label, its name being its text: the label over a list
// is its buddy, and a drive list ("d: [CD-ROM]") keeps the label over it, which the box
// below it names as well.
TEST_F(AccessViewTest, ListsAreReadByTheLabelOverThem) {
  click("imgsonido");
  EXPECT_EQ(as<QLabel>("lblvideo_1", 69)->buddy(), widget("com_sound_fre"));
  click("imgcd");
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(widget("dr_cdrom_letter"));
  ASSERT_NE(list, nullptr);
  const auto labels = list->relations(QAccessible::Label);
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels[0].first->object(), widget("lblvideo_1", 63));
  EXPECT_EQ(widget("txt_cdrom_letter")->accessibleName(), "CD - ROM drive letter");
}

// Over AT-SPI a page flip reads as the button it works as, an option group's frame as a group.
TEST_F(AccessViewTest, PageFlipsGroupsAndCaptionsReadAsWhatTheyAre) {
  click("picpantalla");
  QAccessibleInterface* flip = QAccessible::queryAccessibleInterface(widget("lblvideo_1", 20));
  EXPECT_EQ(flip->role(), QAccessible::PushButton);
  EXPECT_EQ(flip->text(QAccessible::Name), "More >>>");
  QAccessibleInterface* group = QAccessible::queryAccessibleInterface(widget("pic_video_winmode"));
  EXPECT_EQ(group->role(), QAccessible::Grouping);
  EXPECT_EQ(group->text(QAccessible::Name), "Windowed mode");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(widget("lblvideo_1", 7))->role(),
            QAccessible::StaticText)
      << "a plain caption stays a caption";
}

TEST_F(AccessViewTest, TabReachesAnOptionGroupAtItsChosenButton) {
  click("picpantalla");
  // Fullscreen (the second of the window modes) and 2x2 (the last stretch mode) are chosen.
  ASSERT_TRUE(as<QRadioButton>("op_video_winmodo", 1)->isChecked());
  widget("imgcerrar")->setFocus();
  key(Qt::Key_Tab);
  EXPECT_EQ(focus(), widget("op_video_winmodo", 1));
  key(Qt::Key_Tab);
  EXPECT_EQ(focus(), widget("ch_global", 1)) << "the group is passed in one step";
  key(Qt::Key_Backtab);
  EXPECT_EQ(focus(), widget("op_video_winmodo", 1));

  // The arrow keys choose within the group, and Tab then comes back to the new choice.
  key(Qt::Key_Up);
  EXPECT_TRUE(at("op_video_winmodo", 0).option_value());
  widget("imgcerrar")->setFocus();
  key(Qt::Key_Tab);
  EXPECT_EQ(focus(), widget("op_video_winmodo", 0));
}

TEST_F(AccessViewTest, TheFocusIsDrawnOnImagesAndLabelsOnceTheKeyboardIsUsed) {
  click("imgpanel");
  key(Qt::Key_Tab);
  for (QWidget* w : {widget("imgsonido"), widget("lblvideo_1", 51)}) {
    widget("ch_global", 10)->setFocus();
    const QImage without = w->grab().toImage();
    w->setFocus();
    ASSERT_TRUE(w->hasFocus());
    EXPECT_NE(w->grab().toImage(), without) << w->objectName().toStdString();
  }
}

// A desktop in a high-contrast theme, as its platform theme reports it to Qt: a palette of white
// on black. The window takes the theme's colours; the artwork keeps its own, on its own plate.
class HighContrastTest : public AccessViewTest {
 protected:
  QPalette before = QApplication::palette();
  void SetUp() override {
    QPalette theme;
    theme.setColor(QPalette::Window, Qt::black);
    theme.setColor(QPalette::WindowText, Qt::white);
    theme.setColor(QPalette::Base, Qt::black);
    theme.setColor(QPalette::Text, Qt::white);
    theme.setColor(QPalette::Button, Qt::black);
    theme.setColor(QPalette::ButtonText, Qt::white);
    theme.setColor(QPalette::Highlight, QColor(0x1A, 0xEB, 0xFF));
    QApplication::setPalette(theme);
    AccessViewTest::SetUp();
  }
  void TearDown() override {
    view.reset();
    QApplication::setPalette(before);
  }
};

TEST_F(HighContrastTest, TextAndSurfacesTakeTheThemesColoursAndArtworkStaysOnItsPlate) {
  click("picpantalla");
  QWidget* window = qt().window();
  const QImage shot = window->grab().toImage();
  // scripts/screenshots.sh keeps this picture of it.
  if (const char* file = std::getenv("QUORVANE_HIGH_CONTRAST_SHOT")) shot.save(file);

  EXPECT_EQ(as<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(Qt::white));
  EXPECT_EQ(as<QLabel>("lblvideo_1", 20)->palette().color(QPalette::WindowText), QColor(Qt::white));
  // The title bar's artwork gives way to the theme's plain background, beside the title.
  const Rect bar = view->geometry(at("picbarraalta"));
  const Rect title = view->geometry(at("Label1"));
  EXPECT_EQ(shot.pixelColor(title.right() + 20, bar.y + bar.height / 2), QColor(Qt::black));
  // A page's surface is the theme's too.
  const Rect page = view->geometry(at("pic_video"));
  EXPECT_EQ(shot.pixelColor(page.right() - 3, page.bottom() - 3), QColor(Qt::black));
  // The artwork of an image stands on the colours it was drawn for.
  const Rect image = view->geometry(at("picpantalla"));
  QWidget* nav = widget("picpantalla");
  const QImage art = nav->grab().toImage();
  bool plate = false;
  for (int x = 0; x < art.width() && !plate; ++x) {
    plate = art.pixelColor(x, 0) == QColor(0xEF, 0xEC, 0xDC);
  }
  EXPECT_TRUE(plate) << "no plate under the artwork at " << image.x << "," << image.y;
}

}  // namespace
}  // namespace quorvane::testing
