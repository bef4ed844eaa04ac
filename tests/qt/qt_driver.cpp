// The view suite's driver over the Qt view: real widgets on Qt's offscreen platform, driven with
// QTest's mouse and keyboard events.

#include "qt_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <memory>

#include "front_ends/qt/qt_view.h"
#include "view_driver.h"
#include "view_suite.h"

namespace quorvane::testing {
namespace {

QString q(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string u(const QString& text) { return text.toStdU16String(); }

Rect rect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

Qt::MouseButton qt_button(Button b) {
  switch (b) {
    case Button::Right:
      return Qt::RightButton;
    case Button::Middle:
      return Qt::MiddleButton;
    case Button::Left:
      break;
  }
  return Qt::LeftButton;
}

Role role(QAccessible::Role role) {
  switch (role) {
    case QAccessible::PushButton:
      return Role::PushButton;
    case QAccessible::CheckBox:
      return Role::CheckBox;
    case QAccessible::RadioButton:
      return Role::OptionButton;
    case QAccessible::ComboBox:
      return Role::ComboBox;
    case QAccessible::EditableText:
      return Role::Text;
    case QAccessible::StaticText:
      return Role::StaticText;
    case QAccessible::Grouping:
      return Role::Grouping;
    case QAccessible::Graphic:
      return Role::Graphic;
    case QAccessible::Link:
      return Role::Link;
    default:
      return Role::Other;
  }
}

// What AT-SPI hands a screen reader: Qt's accessible interface of the widget.
ScreenReading reading(QWidget* w) {
  ScreenReading read;
  QAccessibleInterface* object = w != nullptr ? QAccessible::queryAccessibleInterface(w) : nullptr;
  if (object == nullptr) return read;
  read.name = u(object->text(QAccessible::Name));
  read.description = u(object->text(QAccessible::Description));
  read.role = role(object->role());
  read.checked = object->state().checked;
  read.invisible = object->state().invisible;
  if (QAccessibleActionInterface* actions = object->actionInterface()) {
    if (!actions->actionNames().isEmpty()) read.action = u(actions->actionNames().first());
  }
  return read;
}

class QtDriver : public ViewDriver {
 public:
  QtDriver(Form& form, QtWindowSystem& ws, ViewEvents events)
      : form_(form), view_(form, ws, std::move(events)) {
    view_.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view_.window()));
    QApplication::setActiveWindow(view_.window());
    EXPECT_TRUE(QTest::qWaitForWindowActive(view_.window()));
  }
  // A program that ended asked the application to quit, which every event loop started later in
  // this process (a menu's, a dialog's) would obey at once; the next test's window is another
  // program. A loop of the application's own takes the request and clears it.
  ~QtDriver() override {
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
  }
  QtDriver(const QtDriver&) = delete;
  QtDriver& operator=(const QtDriver&) = delete;

  QtView& native() { return view_; }

  void sync() override { view_.sync(); }
  void wait(int ms) override { QTest::qWait(ms); }
  bool wait_until(const std::function<bool()>& done, int ms) override {
    return QTest::qWaitFor(done, ms);
  }

  Rect window_rect() override { return rect(view_.window()->frameGeometry()); }
  Rect client_rect() override { return rect(view_.window()->rect()); }
  Rect work_area() override { return rect(view_.window()->screen()->availableGeometry()); }
  std::u16string title() override { return u(view_.window()->windowTitle()); }
  bool frameless() override {
    return (view_.window()->windowFlags() & Qt::FramelessWindowHint) != 0;
  }
  bool window_visible() override { return view_.window()->isVisible(); }
  void close_window() override { view_.window()->close(); }

  void click(const Control& c) override {
    if (QWidget* w = widget(c)) QTest::mouseClick(w, Qt::LeftButton);
  }
  // A press reaches the widget that lies at the point, and from there its parents if it does
  // not take it.
  void click_at(Point at, Button button) override {
    QWidget* window = view_.window();
    QWidget* target = window->childAt(at.x, at.y);
    if (target == nullptr) target = window;
    const QPoint local = target->mapFrom(window, QPoint(at.x, at.y));
    QTest::mousePress(target, qt_button(button), {}, local);
    QTest::mouseRelease(target, qt_button(button), {}, local);
  }
  void press_and_release_off(const Control& c) override {
    QWidget* w = widget(c);
    if (w == nullptr) return;
    QTest::mousePress(w, Qt::LeftButton);
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(-20, 5));
  }
  void move_over(Point at, std::vector<Button> held) override {
    QWidget* window = view_.window();
    QWidget* target = window->childAt(at.x, at.y);
    if (target == nullptr) target = window;
    Qt::MouseButtons buttons;
    for (Button b : held) buttons |= qt_button(b);
    const QPointF local = target->mapFrom(window, QPointF(at.x, at.y));
    QMouseEvent move(QEvent::MouseMove, local, target->mapToGlobal(local), Qt::NoButton, buttons,
                     Qt::NoModifier);
    QApplication::sendEvent(target, &move);
  }
  bool takes_the_mouse(const Control& c) override {
    QWidget* w = widget(c);
    return w != nullptr && !w->testAttribute(Qt::WA_TransparentForMouseEvents);
  }
  bool hand_pointer(const Control& c) override {
    QWidget* w = widget(c);
    return w != nullptr && w->cursor().shape() == Qt::PointingHandCursor;
  }

  void focus(const Control& c) override {
    if (QWidget* w = widget(c)) w->setFocus();
  }
  const Control* focused() override {
    QWidget* focus = QApplication::focusWidget();
    for (const auto& c : form_.controls()) {
      QWidget* w = view_.widget(*c);
      if (w != nullptr && (w == focus || w->focusProxy() == focus)) return c.get();
    }
    return nullptr;
  }
  void key(Key key) override {
    // An open list takes the keys while it is up.
    QWidget* target = QApplication::activePopupWidget();
    if (target != nullptr && target->focusWidget() != nullptr) target = target->focusWidget();
    if (target == nullptr) target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr) << "no widget has the focus";
    switch (key) {
      case Key::Tab:
        return QTest::keyClick(target, Qt::Key_Tab);
      case Key::ShiftTab:
        return QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
      case Key::Enter:
        return QTest::keyClick(target, Qt::Key_Return);
      case Key::KeypadEnter:
        return QTest::keyClick(target, Qt::Key_Enter, Qt::KeypadModifier);
      case Key::Space:
        return QTest::keyClick(target, Qt::Key_Space);
      case Key::Up:
        return QTest::keyClick(target, Qt::Key_Up);
      case Key::Down:
        return QTest::keyClick(target, Qt::Key_Down);
      case Key::PageDown:
        return QTest::keyClick(target, Qt::Key_PageDown);
      case Key::F4:
        return QTest::keyClick(target, Qt::Key_F4);
      case Key::Escape:
        return QTest::keyClick(target, Qt::Key_Escape);
      case Key::Menu:
        return QTest::keyClick(target, Qt::Key_Menu);
      case Key::ShiftF10:
        return QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
    }
  }
  // One key per character (QTest::keyClicks knows Latin-1 only); a surrogate pair is one
  // character, as a keyboard (or an input method) sends it.
  void type(const Control& c, std::u16string_view text) override {
    QLineEdit* edit = field(c);
    if (edit == nullptr) return;
    edit->setFocus();
    const QString all = q(text);
    for (qsizetype i = 0; i < all.size(); ++i) {
      QString one(all[i]);
      if (all[i].isHighSurrogate() && i + 1 < all.size()) one.append(all[++i]);
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, one);
      QApplication::sendEvent(edit, &press);
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, one);
      QApplication::sendEvent(edit, &release);
    }
  }
  void retype(const Control& c, std::u16string_view text) override {
    QLineEdit* edit = field(c);
    if (edit == nullptr) return;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    type(c, text);
  }
  void paste(const Control& c, std::u16string_view text) override {
    QLineEdit* edit = field(c);
    if (edit == nullptr) return;
    QGuiApplication::clipboard()->setText(q(text));
    edit->setFocus();
    edit->selectAll();
    edit->paste();
  }
  void set_caret(const Control& c, int at) override {
    if (QLineEdit* edit = field(c)) edit->setCursorPosition(at);
  }
  std::pair<int, int> selection(const Control& c) override {
    QLineEdit* edit = field(c);
    if (edit == nullptr) return {-1, -1};
    if (!edit->hasSelectedText()) return {edit->cursorPosition(), edit->cursorPosition()};
    return {edit->selectionStart(), edit->selectionEnd()};
  }
  std::u16string refusal() override { return u(QToolTip::text()); }

  // Drops the list down and clicks the item in it, as a mouse would.
  void choose(const Control& c, std::u16string_view item) override {
    auto* combo = qobject_cast<QComboBox*>(widget(c));
    ASSERT_NE(combo, nullptr) << c.display_name() << " is no list";
    const int row = combo->findText(q(item), Qt::MatchExactly);
    ASSERT_GE(row, 0) << "no item \"" << q(item).toStdString() << "\"";
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    const QModelIndex index = combo->model()->index(row, combo->modelColumn());
    list->scrollTo(index);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(QTest::qWaitFor([list] { return !list->isVisible(); }, 1000))
        << "the list stayed open";
  }
  int item_count(const Control& c) override {
    auto* combo = qobject_cast<QComboBox*>(widget(c));
    return combo != nullptr ? combo->count() : -1;
  }
  int current_item(const Control& c) override {
    auto* combo = qobject_cast<QComboBox*>(widget(c));
    return combo != nullptr ? combo->currentIndex() : -1;
  }

  std::u16string text(const Control& c) override {
    QWidget* w = widget(c);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return u(combo->currentText());
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return u(edit->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return u(button->text());
    if (auto* label = qobject_cast<QLabel*>(w)) return u(label->text());
    return {};
  }
  bool checked(const Control& c) override {
    auto* button = qobject_cast<QAbstractButton*>(widget(c));
    return button != nullptr && button->isChecked();
  }
  bool visible(const Control& c) override {
    QWidget* w = view_.widget(c);
    return w != nullptr && w->isVisible();
  }
  bool enabled(const Control& c) override {
    QWidget* w = widget(c);
    return w != nullptr && w->isEnabled();
  }
  // Nothing shown after it among its siblings (which Qt draws over it) overlaps it.
  bool on_top(const Control& c) override {
    QWidget* w = widget(c);
    if (w == nullptr || w->parentWidget() == nullptr) return false;
    const QObjectList& siblings = w->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
      auto* above = qobject_cast<QWidget*>(siblings[i]);
      if (above != nullptr && above->isVisible() && above->geometry().intersects(w->geometry())) {
        return false;
      }
    }
    return true;
  }
  std::u16string tooltip(const Control& c) override {
    QWidget* w = widget(c);
    return w != nullptr ? u(w->toolTip()) : std::u16string();
  }
  Rect geometry(const Control& c) override {
    QWidget* w = widget(c);
    if (w == nullptr) return {};
    return {w->mapTo(view_.window(), QPoint(0, 0)).x(), w->mapTo(view_.window(), QPoint(0, 0)).y(),
            w->width(), w->height()};
  }
  // The widget that the control's children stand in, inside its frame.
  Rect client_area(const Control& c) override {
    QWidget* inner = widget(c);
    for (const auto& child : form_.controls()) {
      QWidget* w = child->parent() == &c ? view_.widget(*child) : nullptr;
      if (w != nullptr && w->parentWidget() != nullptr) {
        inner = w->parentWidget();
        break;
      }
    }
    if (inner == nullptr) return {};
    const QRect contents = inner->contentsRect();
    const QPoint at = inner->mapTo(view_.window(), contents.topLeft());
    return {at.x(), at.y(), contents.width(), contents.height()};
  }
  std::optional<CaptionFit> caption_fit(const Control& c) override {
    QWidget* w = view_.widget(c);
    if (auto* label = qobject_cast<QLabel*>(w)) {
      return CaptionFit{label->fontMetrics().horizontalAdvance(label->text()), label->width(),
                        label->fontMetrics().height(), label->height()};
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      return CaptionFit{button->sizeHint().width(), button->width(), std::nullopt,
                        button->height()};
    }
    return std::nullopt;
  }
  Pixels pixels(const Control& c) override {
    QWidget* w = widget(c);
    if (w == nullptr) return {};
    // Taken from the window, as the screen shows it: what lies beneath the control included.
    QWidget* window = w->window();
    const QImage image = window->grab(QRect(w->mapTo(window, QPoint(0, 0)), w->size()))
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    Pixels out{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) out.rgb.push_back(image.pixel(x, y) & 0xFFFFFF);
    }
    return out;
  }
  void drop_list(const Control& c, bool open) override {
    auto* combo = qobject_cast<QComboBox*>(widget(c));
    ASSERT_NE(combo, nullptr) << c.display_name();
    if (open) {
      combo->showPopup();
    } else {
      combo->hidePopup();
    }
    QTest::qWait(50);
  }
  bool help_comes_up(const Control& c, int ms) override {
    auto* combo = qobject_cast<QComboBox*>(widget(c));
    QWidget* w = combo != nullptr && combo->lineEdit() != nullptr ? combo->lineEdit() : widget(c);
    if (w == nullptr) return false;
    QToolTip::hideText();
    QTest::qWait(20);
    // What the pointer resting there makes Qt send.
    const QPoint middle = w->rect().center();
    QHelpEvent help(QEvent::ToolTip, middle, w->mapToGlobal(middle));
    QApplication::sendEvent(w, &help);
    return wait_until([] { return QToolTip::isVisible(); }, ms);
  }
  Menu menu(const Control& c, MenuOpener opener, std::size_t pick) override {
    QWidget* target = widget(c);
    if (auto* combo = qobject_cast<QComboBox*>(target); combo != nullptr && combo->isEditable()) {
      target = combo->lineEdit();
    }
    Menu seen;
    if (target == nullptr) return seen;
    // The menu runs its own event loop while it is up: look at it from there, once it shows.
    QTimer poll;
    poll.setInterval(5);
    int tries = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* up = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (up == nullptr || !up->isVisible()) {
        if (++tries > 40) poll.stop();
        return;
      }
      poll.stop();
      seen.shown = true;
      for (QAction* a : up->actions()) {
        bool marked = false;
        seen.entries.push_back(a->isSeparator() ? u"--" : drawn_entry(u(a->text()), &marked));
        seen.enabled.push_back(a->isEnabled());
        seen.mnemonic.push_back(marked);
      }
      if (pick >= 1 && pick <= static_cast<std::size_t>(up->actions().size())) {
        up->actions()[static_cast<qsizetype>(pick - 1)]->trigger();
      }
      up->close();
    });
    poll.start();
    switch (opener) {
      case MenuOpener::RightClick: {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &event);
        break;
      }
      case MenuOpener::MenuKey:
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Menu);
        break;
      case MenuOpener::ShiftF10:
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
        break;
    }
    EXPECT_TRUE(QTest::qWaitFor([&poll] { return !poll.isActive(); }, 1000));
    return seen;
  }
  DragOver drag_over(const Control& c, const std::vector<std::string>& paths) override {
    QWidget* w = widget(c);
    if (w == nullptr) return {};
    const auto data = file_urls(paths);
    const QColor before = face(w);
    const QPoint middle(w->width() / 2, w->height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(w, &enter);
    DragOver over;
    over.taken = enter.isAccepted();
    over.cue_shown = face(w) != before;
    QDragLeaveEvent leave;
    QApplication::sendEvent(w, &leave);
    over.cue_gone = face(w) == before;
    return over;
  }
  void drop(const Control& c, const std::vector<std::string>& paths) override {
    QWidget* w = widget(c);
    if (w == nullptr) return;
    const auto data = file_urls(paths);
    const QPoint middle(w->width() / 2, w->height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    QDropEvent dropped(QPointF(middle), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &dropped);
  }
  ScreenReading read(const Control& c) override { return reading(widget(c)); }
  ScreenReading read_field(const Control& c) override {
    QWidget* w = widget(c);
    if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && combo->isEditable()) {
      w = combo->lineEdit();
    }
    return reading(w);
  }
  void press_as_screen_reader(const Control& c) override {
    QAccessibleInterface* object = QAccessible::queryAccessibleInterface(widget(c));
    ASSERT_NE(object, nullptr);
    ASSERT_NE(object->actionInterface(), nullptr) << c.display_name() << " cannot be pressed";
    object->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  }
  // Qt scales the whole window itself; the view lays it out once.
  std::vector<int> scales() override { return {96}; }
  void set_scale(int) override {}

 private:
  // What a file manager hands over: the paths as file URLs.
  static std::unique_ptr<QMimeData> file_urls(const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths) {
      urls.push_back(
          QUrl::fromLocalFile(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()))));
    }
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
  }
  // A widget's own colours, where a drop target's tint shows.
  static QColor face(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) != nullptr ? w->palette().color(QPalette::Base)
                                                        : w->palette().color(QPalette::Button);
  }

  QWidget* widget(const Control& c) {
    QWidget* w = view_.widget(c);
    EXPECT_NE(w, nullptr) << c.display_name() << " has no widget (yet)";
    return w;
  }
  // The field the user types into: an editable combo box's line edit.
  QLineEdit* field(const Control& c) {
    QWidget* w = widget(c);
    if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
    auto* edit = qobject_cast<QLineEdit*>(w);
    EXPECT_NE(edit, nullptr) << c.display_name() << " has no field";
    return edit;
  }

  Form& form_;
  QtView view_;
};

}  // namespace

std::unique_ptr<ViewDriver> drive(Form& form, NativeWindowSystem& ws, ViewEvents events) {
  return std::make_unique<QtDriver>(form, ws, std::move(events));
}

QtView& native_view(ViewDriver& driver) { return dynamic_cast<QtDriver&>(driver).native(); }

}  // namespace quorvane::testing
