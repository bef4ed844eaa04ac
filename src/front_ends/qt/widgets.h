#pragma once

#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QValidator>
#include <QWidget>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "shell/view_core.h"

namespace quorvane::widgets {

// The artwork `name` (":/art/<name>.svg") drawn at `size` logical pixels for a screen of
// `device_pixel_ratio`, so it stays sharp on high-DPI screens. A null pixmap when the artwork
// does not exist: the control then shows its background only.
QPixmap render_art(const QString& name, QSize size, qreal device_pixel_ratio);

// Draws the artwork of a picture box or image, re-rendering only when the size or the screen
// changes.
class ArtCache {
 public:
  explicit ArtCache(QString name) : name_(std::move(name)) {}
  void draw(QWidget& widget, QPainter& painter, const QRect& area);

 private:
  QString name_;
  QPixmap pixmap_;
  QSize size_;
  qreal dpr_ = 0;
};

// A picture box: a plain area in its background colour, with an optional single-line border
// and artwork. Children are laid out inside the border.
class PictureBoxWidget : public QWidget {
 public:
  PictureBoxWidget(QWidget* parent, QColor background, bool border, QString picture);

  // Where the children go: inside the border, which they may not draw over.
  QWidget* client() const { return client_; }
  // Mouse presses and moves with their button mask (1 left, 2 right, 4 middle).
  void on_mouse(std::function<void(int)> handler) { on_mouse_ = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  QColor background_;
  bool border_;
  QWidget* client_;
  ArtCache art_;
  std::function<void(int)> on_mouse_;
};

// Draws the focus rectangle, a dotted line in the text colour just inside `area`, as the classic
// buttons show theirs.
void draw_focus_frame(QWidget& widget, QPainter& painter, const QRect& area);

// What a screen reader's "press" does on an image or label that works as a button.
class Activatable {
 public:
  virtual ~Activatable() = default;
  virtual void activate() = 0;
};

// A widget that reports clicks as a button does: a left press and a release over it, so sliding
// off before releasing cancels the click. It keeps its own mouse presses and moves, so a press on
// the title text or the close image does not reach the title bar beneath and drag the window.
// Made activatable, it also takes the focus (by Tab or by the click), shows it, and Enter or
// Space clicks it.
template <class Base>
class Clickable : public Base, public Activatable {
 public:
  using Base::Base;
  void on_click(std::function<void()> handler) { on_click_ = std::move(handler); }
  void set_activatable(bool activatable) {
    activatable_ = activatable;
    this->setFocusPolicy(activatable ? Qt::StrongFocus : Qt::NoFocus);
  }
  bool activatable() const { return activatable_; }
  // Whether the focus cue is drawn while the widget has the keyboard (none is until the
  // keyboard has been used).
  void set_focus_cue(std::function<bool()> shown) { cue_ = std::move(shown); }
  bool shows_focus() const { return this->hasFocus() && (!cue_ || cue_()); }
  void activate() override {
    if (on_click_) on_click_();
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const int key = event->key();
    if (activatable_ && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      event->accept();
      if (!event->isAutoRepeat()) activate();
      return;
    }
    Base::keyPressEvent(event);
  }
  void focusInEvent(QFocusEvent* event) override {
    Base::focusInEvent(event);
    this->update();
  }
  void focusOutEvent(QFocusEvent* event) override {
    Base::focusOutEvent(event);
    this->update();
  }

  void mousePressEvent(QMouseEvent* event) override {
    pressed_ = event->button() == Qt::LeftButton;
    event->accept();
  }
  void mouseMoveEvent(QMouseEvent* event) override { event->accept(); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       this->rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) activate();
  }

 private:
  bool pressed_ = false;
  bool activatable_ = false;
  std::function<void()> on_click_;
  std::function<bool()> cue_;
};

// An image: artwork that can be clicked.
class ImageWidget : public Clickable<QWidget> {
 public:
  ImageWidget(QWidget* parent, QString picture);
  // A plate of colour under the artwork, where it must not show what lies beneath.
  void set_plate(QColor plate) { plate_ = plate; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ArtCache art_;
  QColor plate_;
};

// A caption that can be clicked (the page flips).
class LabelWidget : public Clickable<QLabel> {
 public:
  explicit LabelWidget(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A horizontal rule cut into the page: a dark line with a light one under it.
class RuleWidget : public QWidget {
 public:
  explicit RuleWidget(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Opens a widget's context menu from the keyboard: the menu key, and Shift+F10 as Windows has
// it. Qt makes a menu event of the first only on some platforms, and of the second on none.
class MenuKeys : public QObject {
 public:
  // `open` is called with the point in the widget where the menu should come up.
  MenuKeys(QWidget* widget, std::function<void(QPoint)> open);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(QPoint)> open_;
};

// Lets a widget take files and folders dragged from a file manager: while they are over it, its
// field and button faces take a tint of the highlight colour, so the user sees that it takes
// them; dropped, `take` gets their paths (UTF-8). Anything else dragged (text, a web address) is
// left to the widget.
class DropTarget : public QObject {
 public:
  DropTarget(QWidget* widget, std::function<void(const std::vector<std::string>&)> take);
  // Whether the tint is on: something the widget takes is over it.
  bool cued() const { return cued_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void set_cue(QWidget* widget, bool on);

  std::function<void(const std::vector<std::string>&)> take_;
  bool cued_ = false;
  QPalette plain_;
};

// The keys that move through a list (Up, Down, Page Up, Page Down, Home, End, without Ctrl, Alt
// or Shift), taken from a widget before it acts on them: `take` gets each and says whether it
// took it.
class ListKeys : public QObject {
 public:
  ListKeys(QWidget* widget, std::function<bool(ListKey)> take);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<bool(ListKey)> take_;
};

// What the view needs to hear of everything in its window: a key pressed anywhere in it, a list
// dropping down or closing up, and a help tooltip about to come up, which it may refuse.
class WindowWatch : public QObject {
 public:
  WindowWatch(QWidget* window, std::function<void()> key_pressed,
              std::function<bool()> tips_allowed);
  // `popup` is the frame a combo's list drops down in.
  void watch_list(QWidget* popup, std::function<void(bool open)> changed);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  std::function<void()> key_pressed_;
  std::function<bool()> tips_allowed_;
  std::vector<std::pair<QObject*, std::function<void(bool)>>> lists_;
};

// The window's icon for the task bar and Alt+Tab, drawn from the program's artwork at the sizes
// the desktop asks for most.
QIcon app_icon();

// The top-level window. Closing it, by the program or by the system, is reported once.
class FormWindow : public QWidget {
 public:
  FormWindow();
  void on_close(std::function<void()> handler) { on_close_ = std::move(handler); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> on_close_;
};

// Keeps a field's text storable in VOZ.INI: line breaks (which a paste can bring) are dropped,
// and characters that Windows-1252 has no byte for are taken out and reported, since they would
// otherwise be written as a wrong byte.
class Cp1252Validator : public QValidator {
 public:
  explicit Cp1252Validator(QObject* parent);
  // Called with the characters that were taken out, after the edit.
  void on_refused(std::function<void(const std::u16string&)> handler) {
    on_refused_ = std::move(handler);
  }

  // While the view writes the model's text into the field, nothing is filtered: the model is
  // the truth, even for a value read from the file with a stray line break in it.
  void set_passive(bool passive) { passive_ = passive; }

  State validate(QString& input, int& pos) const override;

 private:
  std::function<void(const std::u16string&)> on_refused_;
  bool passive_ = false;
};

}  // namespace quorvane::widgets
