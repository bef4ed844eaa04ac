#include "front_ends/qt/accessibility.h"

#include <QAccessibleWidget>
#include <QLabel>

#include "front_ends/qt/widgets.h"

namespace quorvane::accessibility {
namespace {

constexpr const char* kRoleProperty = "quorvaneAccessibleRole";

// A widget as the model presents it: the role it asks for, the caption as the name where no name
// is set, and "press" for what the keyboard activates.
class ModelAccessible : public QAccessibleWidget {
 public:
  ModelAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

  QString text(QAccessible::Text t) const override {
    QString text = QAccessibleWidget::text(t);
    if (t == QAccessible::Name && text.isEmpty()) {
      if (const auto* label = qobject_cast<const QLabel*>(widget())) text = label->text();
    }
    return text;
  }

  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (pressable()) names.prepend(pressAction());
    return names;
  }

  void doAction(const QString& action) override {
    if (action == pressAction() && pressable()) {
      activatable()->activate();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

  QStringList keyBindingsForAction(const QString& action) const override {
    if (action == pressAction() && pressable()) return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(action);
  }

 private:
  // Only what works as a button or a link is pressed; a picture is only looked at.
  bool pressable() const {
    return activatable() != nullptr &&
           (role() == QAccessible::PushButton || role() == QAccessible::Link);
  }
  widgets::Activatable* activatable() const {
    return dynamic_cast<widgets::Activatable*>(widget());
  }
};

QAccessibleInterface* factory(const QString&, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  const QVariant role = object->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new ModelAccessible(static_cast<QWidget*>(object),
                             static_cast<QAccessible::Role>(role.toInt()));
}

}  // namespace

void set_role(QWidget* widget, QAccessible::Role role) {
  static const bool installed = [] {
    QAccessible::installFactory(factory);
    return true;
  }();
  (void)installed;
  widget->setProperty(kRoleProperty, static_cast<int>(role));
}

}  // namespace quorvane::accessibility
