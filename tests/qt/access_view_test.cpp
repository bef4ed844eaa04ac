// What only the Qt view does for the keyboard and AT-SPI: buddies and label relations, the roles
// of flips and groups, option groups under Tab and the arrow keys, the focus drawn on images.
// The rest is the view suite's (tests/view/).

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

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
// is its buddy, and a drive list ("d: -> /media/cd") keeps the label over it, which the box
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

TEST_F(AccessViewTest, TheFocusIsDrawnOnImagesAndLabels) {
  click("imgpanel");
  for (QWidget* w : {widget("imgsonido"), widget("lblvideo_1", 51)}) {
    widget("ch_global", 10)->setFocus();
    const QImage without = w->grab().toImage();
    w->setFocus();
    ASSERT_TRUE(w->hasFocus());
    EXPECT_NE(w->grab().toImage(), without) << w->objectName().toStdString();
  }
}

}  // namespace
}  // namespace quorvane::testing
