// What the Qt view makes of the model's help, names, roles, Tab order, menus, browse buttons and
// range signs: real widgets on the offscreen platform, driven by mouse and keyboard events.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <string>
#include <vector>

#include "shell/form_layout.h"
#include "view_fixture.h"

namespace quorvane {
namespace {

using testing::QtViewTest;

class AccessViewTest : public QtViewTest {
 protected:
  void SetUp() override {
    QtViewTest::SetUp();
    QApplication::setActiveWindow(view->window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(view->window()));
  }
  static QWidget* focus() { return QApplication::focusWidget(); }
  // The widget that stands for `c` when it has the focus (a combo box's edit field).
  QWidget* focus_of(const Control& c) {
    QWidget* w = view->widget(c);
    return w != nullptr && w->focusProxy() != nullptr ? w->focusProxy() : w;
  }
  void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(focus(), static_cast<Qt::Key>(key), modifiers);
  }
  // Opens `target`'s context menu with `open` and hands the menu, while it is up, to `inspect`.
  void with_menu(const std::function<void()>& open, const std::function<void(QMenu*)>& inspect) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      seen = menu != nullptr;
      if (menu != nullptr) inspect(menu);
      if (QApplication::activePopupWidget() != nullptr) QApplication::activePopupWidget()->close();
    });
    open();
    QTest::qWait(10);
    EXPECT_TRUE(seen) << "no menu came up";
  }
  // What a right click sends.
  static void right_click(QWidget* w) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), w->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w, &event);
  }
  static std::vector<QString> texts(QMenu* menu) {
    std::vector<QString> out;
    for (QAction* a : menu->actions()) out.push_back(a->isSeparator() ? "--" : a->text());
    return out;
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

TEST_F(AccessViewTest, TheMenuOfASettingRestoresAndAnEditFieldKeepsItsOwnEntries) {
  click("imgsonido");
  retype(field("txt_sound_delay"), "12");
  QLineEdit* delay = field("txt_sound_delay");
  with_menu([&] { right_click(delay); },
            [&](QMenu* menu) {
              const std::vector<QString> entries = texts(menu);
              ASSERT_GT(entries.size(), 4u);
              EXPECT_EQ(entries[0], "Restore default (empty)");
              EXPECT_EQ(entries[1], "Restore the value read from VOZ.INI (empty)");
              EXPECT_EQ(entries[2], "--");
              EXPECT_NE(std::find_if(entries.begin(), entries.end(),
                                     [](const QString& t) { return t.contains("Paste"); }),
                        entries.end())
                  << "the field's own entries follow";
              menu->actions()[0]->trigger();
            });
  EXPECT_EQ(at("txt_sound_delay").text(), "");
  EXPECT_EQ(delay->text(), "");

  // From the keyboard: Shift+F10 and the menu key open the same menu on a check box.
  QWidget* box = widget("ch_global", 14);
  QTest::mouseClick(box, Qt::LeftButton);
  ASSERT_EQ(at("ch_global", 14).value(), 0);
  box->setFocus();
  for (auto [k, modifiers] :
       {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
    with_menu([&, k = k, m = modifiers] { QTest::keyClick(box, k, m); },
              [&](QMenu* menu) {
                EXPECT_EQ(texts(menu), (std::vector<QString>{"Restore default (Enable)",
                                                             "Restore the value read from "
                                                             "VOZ.INI (Enable)"}));
                menu->actions()[1]->trigger();
              });
    EXPECT_EQ(at("ch_global", 14).value(), 1);
    EXPECT_TRUE(as<QCheckBox>("ch_global", 14)->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
  }
}

// A VOZ.INI whose drive list holds an ampersand, which a menu would take for a shortcut mark.
class AmpersandViewTest : public AccessViewTest {
 protected:
  void SetUp() override {
    folder.write("VOZ.INI", ::quorvane::testing::with_line(::quorvane::testing::default_file(),
                                                           "drive_list=CDEF", "drive_list=C&D"));
    AccessViewTest::SetUp();
  }
};

TEST_F(AmpersandViewTest, TheMenuShowsAnAmpersandInAValueAsItStands) {
  click("imgpanel");
  QLineEdit* list = field("txt_panel_list");
  ASSERT_EQ(list->text(), "C&D");
  with_menu([&] { right_click(list); },
            [&](QMenu* menu) {
              QAction* read = menu->actions()[1];
              // iconText() is the entry as the menu draws it, without its shortcut marks.
              EXPECT_EQ(read->iconText(), "Restore the value read from VOZ.INI (C&D)");
              EXPECT_TRUE(QKeySequence::mnemonic(read->text()).isEmpty()) << "no Alt+D";
            });
}

}  // namespace
}  // namespace quorvane
