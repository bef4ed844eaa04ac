#include "front_ends/qt/widgets.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>
#include <algorithm>
#include <optional>

#include "shell/view_core.h"

namespace quorvane::widgets {
namespace {

int button_mask(Qt::MouseButtons buttons) {
  int mask = 0;
  if (buttons & Qt::LeftButton) mask |= 1;
  if (buttons & Qt::RightButton) mask |= 2;
  if (buttons & Qt::MiddleButton) mask |= 4;
  return mask;
}

}  // namespace

QPixmap render_art(const QString& name, QSize size, qreal device_pixel_ratio) {
  const QString path = QStringLiteral(":/art/%1.svg").arg(name);
  if (name.isEmpty() || size.isEmpty() || !QFile::exists(path)) return {};
  QSvgRenderer renderer(path);
  if (!renderer.isValid()) return {};
  QPixmap pixmap(size * device_pixel_ratio);
  pixmap.setDevicePixelRatio(device_pixel_ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  return pixmap;
}

void ArtCache::draw(QWidget& widget, QPainter& painter, const QRect& area) {
  if (name_.isEmpty() || area.isEmpty()) return;
  const qreal dpr = widget.devicePixelRatioF();
  if (area.size() != size_ || dpr != dpr_) {
    // A missing artwork leaves a null pixmap, and the control shows its background only.
    pixmap_ = render_art(name_, area.size(), dpr);
    size_ = area.size();
    dpr_ = dpr;
  }
  if (!pixmap_.isNull()) painter.drawPixmap(area.topLeft(), pixmap_);
}

PictureBoxWidget::PictureBoxWidget(QWidget* parent, QColor background, bool border, QString picture)
    : QWidget(parent),
      background_(background),
      border_(border),
      client_(border ? new QWidget(this) : this),
      art_(std::move(picture)) {}

void PictureBoxWidget::resizeEvent(QResizeEvent*) {
  if (client_ != this) client_->setGeometry(rect().adjusted(1, 1, -1, -1));
}

void PictureBoxWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  const int b = border_ ? 1 : 0;
  art_.draw(*this, painter, rect().adjusted(b, b, -b, -b));
  if (border_) {
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void PictureBoxWidget::mousePressEvent(QMouseEvent* event) {
  if (on_mouse_) on_mouse_(button_mask(event->buttons()));
  event->accept();
}

void PictureBoxWidget::mouseMoveEvent(QMouseEvent* event) {
  if (on_mouse_) on_mouse_(button_mask(event->buttons()));
  event->accept();
}

ImageWidget::ImageWidget(QWidget* parent, QString picture)
    : Clickable<QWidget>(parent), art_(std::move(picture)) {
  setAttribute(Qt::WA_TranslucentBackground);
}

void draw_focus_frame(QWidget& widget, QPainter& painter, const QRect& area) {
  QPen pen(widget.palette().color(QPalette::WindowText));
  pen.setStyle(Qt::DotLine);
  pen.setWidth(1);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void ImageWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (plate_.isValid()) painter.fillRect(rect(), plate_);
  art_.draw(*this, painter, rect());
  if (shows_focus()) draw_focus_frame(*this, painter, rect());
}

LabelWidget::LabelWidget(QWidget* parent) : Clickable<QLabel>(parent) {}

void LabelWidget::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!shows_focus()) return;
  // Around the caption itself, which may be narrower than the label's box.
  const QRect text = fontMetrics().boundingRect(contentsRect(), int(alignment()), this->text());
  QPainter painter(this);
  draw_focus_frame(*this, painter, text.adjusted(-1, 0, 1, 0).intersected(rect()));
}

RuleWidget::RuleWidget(QWidget* parent) : QWidget(parent) {}

void RuleWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.drawLine(0, 0, width() - 1, 0);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawLine(0, 1, width() - 1, 1);
}

WindowWatch::WindowWatch(QWidget* window, std::function<void()> key_pressed,
                         std::function<bool()> tips_allowed)
    : QObject(window),
      window_(window),
      key_pressed_(std::move(key_pressed)),
      tips_allowed_(std::move(tips_allowed)) {
  // Keys and tooltips go to whichever widget is under them: only the application sees them all.
  QCoreApplication::instance()->installEventFilter(this);
}

void WindowWatch::watch_list(QWidget* popup, std::function<void(bool)> changed) {
  popup->installEventFilter(this);
  lists_.emplace_back(popup, std::move(changed));
}

bool WindowWatch::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::Show || type == QEvent::Hide) {
    for (const auto& [popup, changed] : lists_) {
      if (popup == watched) changed(type == QEvent::Show);
    }
    return false;
  }
  if (type != QEvent::KeyPress && type != QEvent::ToolTip) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != window_) return false;
  if (type == QEvent::KeyPress) {
    key_pressed_();
    return false;
  }
  if (tips_allowed_()) return false;
  event->ignore();
  return true;
}

QIcon app_icon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64}) {
    const QPixmap pixmap = render_art(QStringLiteral("app_icon"), QSize(size, size), 1.0);
    if (!pixmap.isNull()) icon.addPixmap(pixmap);
  }
  return icon;
}

MenuKeys::MenuKeys(QWidget* widget, std::function<void(QPoint)> open)
    : QObject(widget), open_(std::move(open)) {
  widget->installEventFilter(this);
}

bool MenuKeys::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool menu_key = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
  const bool shift_f10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
  if (!menu_key && !shift_f10) return false;
  // Below the field's top edge, a little in, where a mouse would leave it.
  const auto* widget = static_cast<QWidget*>(watched);
  open_(QPoint(4, std::min(widget->height() - 2, 4 + widget->height() / 2)));
  return true;
}

namespace {

// The local paths of what is dragged, when it is files or folders and nothing else.
std::optional<std::vector<std::string>> dragged_paths(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return std::nullopt;
  std::vector<std::string> paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return std::nullopt;
    // As the chooser gives them: UTF-8, the system's separators.
    const QByteArray bytes = QDir::toNativeSeparators(url.toLocalFile()).toUtf8();
    paths.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  }
  return paths;
}

}  // namespace

DropTarget::DropTarget(QWidget* widget, std::function<void(const std::vector<std::string>&)> take)
    : QObject(widget), take_(std::move(take)) {
  widget->setAcceptDrops(true);
  widget->installEventFilter(this);
}

void DropTarget::set_cue(QWidget* widget, bool on) {
  if (on == cued_) return;
  cued_ = on;
  if (!on) {
    widget->setPalette(plain_);
    return;
  }
  plain_ = widget->palette();
  QPalette tinted = plain_;
  // A third of the way to the highlight colour: plainly marked, the text still easy to read.
  for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window}) {
    const QColor from = plain_.color(role);
    const QColor to = plain_.color(QPalette::Highlight);
    tinted.setColor(role,
                    QColor((from.red() * 2 + to.red()) / 3, (from.green() * 2 + to.green()) / 3,
                           (from.blue() * 2 + to.blue()) / 3));
  }
  widget->setPalette(tinted);
}

bool DropTarget::eventFilter(QObject* watched, QEvent* event) {
  auto* widget = static_cast<QWidget*>(watched);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (!dragged_paths(drag->mimeData())) return false;
      drag->acceptProposedAction();
      set_cue(widget, true);
      return true;
    }
    case QEvent::DragLeave:
      set_cue(widget, false);
      return false;
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const auto paths = dragged_paths(drop->mimeData());
      set_cue(widget, false);
      if (!paths) return false;
      drop->acceptProposedAction();
      take_(*paths);
      return true;
    }
    default:
      return false;
  }
}

ListKeys::ListKeys(QWidget* widget, std::function<bool(ListKey)> take)
    : QObject(widget), take_(std::move(take)) {
  widget->installEventFilter(this);
}

bool ListKeys::eventFilter(QObject*, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  switch (key->key()) {
    case Qt::Key_Up:
      return take_(ListKey::Up);
    case Qt::Key_Down:
      return take_(ListKey::Down);
    case Qt::Key_PageUp:
      return take_(ListKey::PageUp);
    case Qt::Key_PageDown:
      return take_(ListKey::PageDown);
    case Qt::Key_Home:
      return take_(ListKey::Home);
    case Qt::Key_End:
      return take_(ListKey::End);
    default:
      return false;
  }
}

FormWindow::FormWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}

void FormWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (on_close_) on_close_();
}

Cp1252Validator::Cp1252Validator(QObject* parent) : QValidator(parent) {}

QValidator::State Cp1252Validator::validate(QString& input, int& pos) const {
  if (passive_) return Acceptable;
  const CleanText clean =
      clean_typed_text(std::u16string_view(reinterpret_cast<const char16_t*>(input.utf16()),
                                           static_cast<std::size_t>(input.size())),
                       static_cast<std::size_t>(std::max(pos, 0)));
  input = QString(reinterpret_cast<const QChar*>(clean.shown.data()),
                  static_cast<qsizetype>(clean.shown.size()));
  pos = static_cast<int>(clean.caret);
  if (!clean.refused.empty() && on_refused_) on_refused_(clean.refused);
  return Acceptable;
}

}  // namespace quorvane::widgets
