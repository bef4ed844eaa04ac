#pragma once

#include <QAccessible>
#include <QWidget>

namespace quorvane::accessibility {

// Makes screen readers see `widget` as `role` (a push button, a link, a group) instead of what
// its class would make it, with a "press" action where the widget is Activatable. Call it before
// anything else is set on the widget: an interface that a screen reader already holds keeps the
// role it had.
void set_role(QWidget* widget, QAccessible::Role role);

}  // namespace quorvane::accessibility
