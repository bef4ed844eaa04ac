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

#include "front_ends/qt/cp1252.h"
#include "shell/form_layout.h"
#include "view_fixture.h"

namespace quorvane {
namespace {

using testing::ViewTest;

QString decoded(const std::string& bytes) { return cp1252::decode(bytes); }

class AccessViewTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
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

TEST_F(AccessViewTest, WidgetsCarryTheModelsHelpNamesAndRoles) {
  click("imgsonido");
  QWidget* delay = widget("txt_sound_delay");
  EXPECT_EQ(delay->toolTip(), decoded(at("txt_sound_delay").tooltip));
  EXPECT_TRUE(delay->toolTip().startsWith("delay\nadjust sound buffer delay (2 - 30)"));
  EXPECT_EQ(delay->accessibleDescription(), delay->toolTip());
  EXPECT_EQ(delay->accessibleName(), "Delay (2 - 30)");
  EXPECT_EQ(widget("lblvideo_1", 74)->toolTip(), delay->toolTip());
  EXPECT_EQ(field("com_sound_fre")->accessibleName(), "Frequency") << "the combo's edit field";
  EXPECT_EQ(as<QLabel>("lblvideo_1", 69)->buddy(), widget("com_sound_fre"));

  QAccessibleInterface* sound = QAccessible::queryAccessibleInterface(widget("ch_global", 14));
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(sound->role(), QAccessible::CheckBox);
  EXPECT_EQ(sound->text(QAccessible::Name), "Sound") << "not its caption, Enable";
  EXPECT_TRUE(sound->state().checked);

  QAccessibleInterface* image = QAccessible::queryAccessibleInterface(widget("picpantalla"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->role(), QAccessible::PushButton);
  EXPECT_EQ(image->text(QAccessible::Name), "Video Settings");
  ASSERT_NE(image->actionInterface(), nullptr);
  ASSERT_TRUE(
      image->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
  image->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(main.cur_panel(), 1) << "pressing it through the screen reader shows the panel";

  QAccessibleInterface* flip = QAccessible::queryAccessibleInterface(widget("lblvideo_1", 20));
  EXPECT_EQ(flip->role(), QAccessible::PushButton);
  EXPECT_EQ(flip->text(QAccessible::Name), "More >>>");
  QAccessibleInterface* group = QAccessible::queryAccessibleInterface(widget("pic_video_winmode"));
  EXPECT_EQ(group->role(), QAccessible::Grouping);
  EXPECT_EQ(group->text(QAccessible::Name), "Windowed mode");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(widget("lblvideo_1", 7))->role(),
            QAccessible::StaticText)
      << "a plain caption stays a caption";

  // On Linux a combo box is read by its label, its name being its text: a drive list ("d: ->
  // /media/cd") keeps the label over it, which the box below it names as well.
  click("imgcd");
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(widget("dr_cdrom_letter"));
  ASSERT_NE(list, nullptr);
  const auto labels = list->relations(QAccessible::Label);
  ASSERT_EQ(labels.size(), 1);
  EXPECT_EQ(labels[0].first->object(), widget("lblvideo_1", 63));
  EXPECT_EQ(widget("txt_cdrom_letter")->accessibleName(), "CD - ROM drive letter");
}

TEST_F(AccessViewTest, TheKeyboardStartsOnTheFirstImageAndTabFollowsTheModel) {
  EXPECT_EQ(focus(), widget("imgpanel"));
  key(Qt::Key_Space);
  EXPECT_EQ(main.cur_panel(), 0) << "Space clicks the image";
  EXPECT_EQ(focus(), widget("imgpanel")) << "and the focus stays on it";

  std::vector<QWidget*> expected;
  for (const Control* c : focus_order(main.form())) {
    // A drive list without drives is disabled, and Tab passes it by.
    if (main.form().on_screen(*c) && view->widget(*c)->isEnabled()) {
      expected.push_back(focus_of(*c));
    }
  }
  ASSERT_GT(expected.size(), 12u);
  std::vector<QWidget*> walked{focus()};
  for (std::size_t i = 1; i < expected.size(); ++i) {
    key(Qt::Key_Tab);
    walked.push_back(focus());
  }
  EXPECT_EQ(walked, expected);
  EXPECT_EQ(walked.back(), widget("lblvideo_1", 51)) << "the page flip comes last";
  key(Qt::Key_Tab);
  EXPECT_EQ(focus(), widget("imgpanel")) << "and Tab goes round";
  key(Qt::Key_Backtab);
  EXPECT_EQ(focus(), widget("lblvideo_1", 51));

  // Enter flips the page; the focus goes to the flip label on show, which flips back.
  key(Qt::Key_Return);
  EXPECT_TRUE(widget("pic_panel_b")->isVisible());
  EXPECT_EQ(focus(), widget("lblvideo_1", 52));
  EXPECT_TRUE(widget("ch_global", 10)->isHidden()) << "the page beneath is out of reach";
  key(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_FALSE(widget("pic_panel_b")->isVisible());
  EXPECT_EQ(focus(), widget("lblvideo_1", 51));
  EXPECT_FALSE(widget("ch_global", 10)->isHidden());
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

TEST_F(AccessViewTest, EachPathBoxHasItsBrowseButtonNextInTabOrder) {
  click("imgpanel");
  click("lblvideo_1", 51);
  auto* button = as<QToolButton>("cmd_panel_b_card1");
  EXPECT_EQ(button->text(), QString(QChar(0x2026)));
  EXPECT_EQ(button->accessibleName(), "Browse for System card 1");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(button)->role(), QAccessible::PushButton);
  field("txt_panel_b_card1")->setFocus();
  key(Qt::Key_Tab);
  EXPECT_EQ(focus(), button);
  key(Qt::Key_Tab);
  EXPECT_EQ(focus(), field("txt_panel_b_card2"));

  ws.chosen.reset();
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseClick(widget("cmd_panel_b_saved"), Qt::LeftButton);
  EXPECT_EQ(ws.chooser_titles,
            (std::vector<std::string>{"file: System card 1", "folder: Saved game path"}));
  EXPECT_EQ(field("txt_panel_b_card1")->text(), "") << "cancelled";
}

TEST_F(AccessViewTest, ASignShowsBesideAFieldWhileItsValueIsOutsideTheRange) {
  click("imgsonido");
  QWidget* sign = widget("warn_txt_sound_delay");
  EXPECT_TRUE(sign->isHidden());
  retype(field("txt_sound_delay"), "50");
  EXPECT_TRUE(sign->isVisible());
  EXPECT_EQ(sign->toolTip(), decoded(at("warn_txt_sound_delay").tooltip));
  EXPECT_EQ(sign->accessibleName(), sign->toolTip());
  EXPECT_EQ(at("txt_sound_delay").text(), "50") << "marked, never changed";
  retype(field("txt_sound_delay"), "30");
  EXPECT_TRUE(sign->isHidden());
}

}  // namespace
}  // namespace quorvane
