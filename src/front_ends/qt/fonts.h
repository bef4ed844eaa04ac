#pragma once

#include <QFont>
#include <QString>
#include <functional>

#include "model/controls.h"

namespace quorvane::fonts {

// The font for a control. The window was drawn for "MS Sans Serif" and "Times New Roman" at
// 96 dpi; where those are missing (most Linux desktops) a metric-compatible or close family
// stands in. Sizes are set in pixels of the 96-dpi layout, so text keeps its size relative to
// the twip positions whatever DPI the system reports.
QFont font_for(const FontSpec& wanted);

// The family that stands in for `family` on this system.
QString resolve_family(const QString& family);

// `font`, made narrower and then smaller in small steps (down to a limit) until `needed(font)`,
// the width something drawn in it takes, is at most `width`. Returns the first font that fits,
// or the smallest one tried.
QFont fit(QFont font, const std::function<double(const QFont&)>& needed, int width);

// fit() for a line of text with `extra` pixels beside it.
QFont fit_width(QFont font, const QString& text, int extra, int width);

}  // namespace quorvane::fonts
