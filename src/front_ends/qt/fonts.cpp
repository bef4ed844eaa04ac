#include "front_ends/qt/fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>
#include <cmath>

namespace quorvane::fonts {
namespace {

// Qt scales the layout's pixels to the screen itself.
constexpr int kLayoutDpi = 96;

}  // namespace

QString resolve_family(const QString& family) {
  static QHash<QString, QString> cache;
  if (auto it = cache.constFind(family); it != cache.constEnd()) return *it;
  const QStringList installed = QFontDatabase::families();
  QString chosen = family;
  for (const std::string& name : font_stand_ins(family.toStdString())) {
    const QString candidate = QString::fromStdString(name);
    if (installed.contains(candidate, Qt::CaseInsensitive)) {
      chosen = candidate;
      break;
    }
  }
  cache.insert(family, chosen);
  return chosen;
}

QFont font_for(const FontSpec& wanted, FontStep step) {
  QFont font(resolve_family(QString::fromStdString(wanted.family)));
  font.setPixelSize(step.pixels);
  font.setStretch(step.stretch);
  font.setBold(wanted.bold);
  font.setStyleHint(wanted.family == "Times New Roman" ? QFont::Serif : QFont::SansSerif);
  return font;
}

QFont font_for(const FontSpec& wanted) {
  return font_for(wanted, FontStep{font_pixels(wanted, kLayoutDpi), 100});
}

QFont fit(const FontSpec& wanted, const std::function<int(const QFont&)>& needed, int width) {
  return font_for(
      wanted, fit_font(
                  wanted, kLayoutDpi, [&](FontStep step) { return needed(font_for(wanted, step)); },
                  width));
}

QFont fit_width(const FontSpec& wanted, const QString& text, int extra, int width) {
  return fit(
      wanted,
      [&](const QFont& f) {
        return static_cast<int>(std::ceil(QFontMetricsF(f).horizontalAdvance(text))) + extra;
      },
      width);
}

}  // namespace quorvane::fonts
