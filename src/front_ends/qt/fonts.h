#pragma once

#include <QFont>
#include <QString>
#include <functional>

#include "model/controls.h"
#include "shell/view_core.h"

namespace quorvane::fonts {

// The font for a control, at a step of fitting (the nominal one by default), in the first of the
// view core's stand-in families that is installed. Sizes are set in pixels of the 96-dpi layout,
// so text keeps its size relative to the twip positions whatever DPI the system reports.
QFont font_for(const FontSpec& wanted);
QFont font_for(const FontSpec& wanted, FontStep step);

// The family that stands in for `family` on this system.
QString resolve_family(const QString& family);

// The first of the view core's fitting steps of `wanted` at which `needed(font)`, the width
// something drawn in the font takes, is at most `width` (or the last step).
QFont fit(const FontSpec& wanted, const std::function<int(const QFont&)>& needed, int width);

// fit() for a line of text with `extra` pixels beside it.
QFont fit_width(const FontSpec& wanted, const QString& text, int extra, int width);

}  // namespace quorvane::fonts
