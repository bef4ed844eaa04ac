#include "front_ends/qt/qt_window_system.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QWindow>

#include "front_ends/qt/cp1252.h"

namespace quorvane {

namespace {

QString from_utf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<std::string> chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  const QByteArray bytes = QDir::toNativeSeparators(path).toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

QtWindowSystem::QtWindowSystem() = default;

QtWindowSystem::~QtWindowSystem() {
  if (moving_ && qApp != nullptr) qApp->removeEventFilter(this);
}

bool QtWindowSystem::supports_opacity() const {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("windows") || platform == QLatin1String("cocoa") ||
         platform == QLatin1String("xcb");
}

void QtWindowSystem::prepare_for_opacity() {
  if (window_ != nullptr) window_->repaint();
}

void QtWindowSystem::set_opacity(int alpha) {
  if (window_ != nullptr) window_->setWindowOpacity(alpha / 255.0);
}

void QtWindowSystem::process_pending_events() { QCoreApplication::processEvents(); }

void QtWindowSystem::close_window() {
  if (window_ != nullptr) window_->close();
}

void QtWindowSystem::end_program_with(int exit_code) {
  if (ended_) return;
  ended_ = true;
  if (moving_) {
    moving_ = false;
    qApp->removeEventFilter(this);
  }
  if (window_ != nullptr) window_->hide();
  QCoreApplication::exit(exit_code);
}

void QtWindowSystem::start_window_move() {
  if (window_ == nullptr || moving_) return;
  QWindow* handle = window_->windowHandle();
  if (handle != nullptr && handle->startSystemMove()) return;
  // No window manager to hand the move to (a bare X server, say): follow the pointer ourselves.
  // The press that started this is still held, so the title bar keeps the mouse until release.
  moving_ = true;
  grab_offset_ = QCursor::pos() - window_->pos();
  qApp->installEventFilter(this);
}

bool QtWindowSystem::eventFilter(QObject*, QEvent* event) {
  if (!moving_) return false;
  if (event->type() == QEvent::MouseMove) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if ((mouse->buttons() & Qt::LeftButton) && window_ != nullptr) {
      window_->move(mouse->globalPosition().toPoint() - grab_offset_);
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonRelease ||
      (event->type() == QEvent::MouseMove &&
       !(static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton))) {
    moving_ = false;
    qApp->removeEventFilter(this);
  }
  return false;
}

bool QtWindowSystem::open_url(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void QtWindowSystem::show_message(MessageKind kind, const std::string& title,
                                  const std::string& text) {
  QWidget* parent = window_ != nullptr && window_->isVisible() ? window_.data() : nullptr;
  QMessageBox box(kind == MessageKind::Error ? QMessageBox::Critical : QMessageBox::Warning,
                  QString::fromStdString(title), from_utf8(text), QMessageBox::Ok, parent);
  // Messages carry paths, which may hold anything ("<b>" is a fine folder name): never markup.
  box.setTextFormat(Qt::PlainText);
  // Messages carry paths and web addresses that the user may want to copy.
  box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box.exec();
}

bool QtWindowSystem::ask(const std::string& title, const std::string& text,
                         const std::string& proceed, const std::string& go_back) {
  QWidget* parent = window_ != nullptr && window_->isVisible() ? window_.data() : nullptr;
  QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), from_utf8(text),
                  QMessageBox::NoButton, parent);
  box.setTextFormat(Qt::PlainText);
  QPushButton* yes = box.addButton(QString::fromStdString(proceed), QMessageBox::AcceptRole);
  QPushButton* no = box.addButton(QString::fromStdString(go_back), QMessageBox::RejectRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == yes;
}

std::optional<std::string> QtWindowSystem::choose_file(const std::string& title,
                                                       const std::string& start,
                                                       const std::vector<FileFilter>& filters) {
  QStringList names;
  for (const FileFilter& filter : filters) {
    QStringList patterns;
    for (const std::string& pattern : filter.patterns) patterns << from_utf8(pattern);
    names << QStringLiteral("%1 (%2)").arg(from_utf8(filter.name), patterns.join(u' '));
  }
  return chosen(QFileDialog::getOpenFileName(window_, from_utf8(title), from_utf8(start),
                                             names.join(QStringLiteral(";;"))));
}

std::optional<std::string> QtWindowSystem::choose_folder(const std::string& title,
                                                         const std::string& start) {
  return chosen(QFileDialog::getExistingDirectory(window_, from_utf8(title), from_utf8(start)));
}

std::optional<std::string> QtWindowSystem::to_model_text(const std::string& utf8) {
  const QString text = from_utf8(utf8);
  for (QChar c : text) {
    if (!cp1252::storable(c)) return std::nullopt;
  }
  return cp1252::encode(text);
}

std::string QtWindowSystem::from_model_text(const std::string& bytes) {
  const QByteArray utf8 = cp1252::decode(bytes).toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace quorvane
