#include "front_ends/qt/fonts.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace quorvane::fonts {
namespace {

// Closest first. On Windows the classic sans face has an outline twin with the same metrics,
// which (unlike the bitmap original) scales to any DPI and can be condensed to fit. Elsewhere,
// families with Arial's or Times' metrics (the classic sans face is close to Arial's widths),
// then what every Linux has.
const QStringList& candidates_for(const QString& family) {
  static const QStringList sans{
      "Microsoft Sans Serif", "MS Sans Serif", "Liberation Sans", "Arimo", "Arial",
      "Nimbus Sans",          "Helvetica",     "DejaVu Sans"};
  static const QStringList serif{"Times New Roman", "Liberation Serif", "Tinos", "Nimbus Roman",
                                 "Times",           "DejaVu Serif"};
  static const QStringList none;
  if (family.compare("Times New Roman", Qt::CaseInsensitive) == 0) return serif;
  if (family.compare("MS Sans Serif", Qt::CaseInsensitive) == 0) return sans;
  return none;
}

// A caption may shrink to this share of its size before it is allowed to spill.
constexpr double kSmallestScale = 0.8;
constexpr int kNarrowestStretch = 88;
constexpr int kStretchStep = 3;

}  // namespace

QString resolve_family(const QString& family) {
  static QHash<QString, QString> cache;
  if (auto it = cache.constFind(family); it != cache.constEnd()) return *it;
  const QStringList installed = QFontDatabase::families();
  QString chosen = family;
  QStringList wanted = candidates_for(family);
  if (wanted.isEmpty()) wanted << family;
  for (const QString& name : wanted) {
    if (installed.contains(name, Qt::CaseInsensitive)) {
      chosen = name;
      break;
    }
  }
  cache.insert(family, chosen);
  return chosen;
}

QFont font_for(const FontSpec& wanted) {
  QFont font(resolve_family(QString::fromStdString(wanted.family)));
  // Points at 96 dpi, as pixels of the layout.
  font.setPixelSize(static_cast<int>(std::lround(wanted.points * 96.0 / 72.0)));
  font.setBold(wanted.bold);
  font.setStyleHint(wanted.family == "Times New Roman" ? QFont::Serif : QFont::SansSerif);
  return font;
}

QFont fit(QFont font, const std::function<double(const QFont&)>& needed, int width) {
  // Condense first (it keeps the caption's height, so it still lines up with its neighbours),
  // then go down a pixel and try again.
  const int nominal = font.pixelSize();
  const int smallest = std::max(1, static_cast<int>(std::floor(nominal * kSmallestScale)));
  QFont tried = font;
  for (int pixels = nominal; pixels >= smallest; --pixels) {
    for (int stretch = 100; stretch >= kNarrowestStretch; stretch -= kStretchStep) {
      tried.setPixelSize(pixels);
      tried.setStretch(stretch);
      if (needed(tried) <= width) return tried;
    }
  }
  return tried;
}

QFont fit_width(QFont font, const QString& text, int extra, int width) {
  return fit(
      std::move(font),
      [&](const QFont& f) { return std::ceil(QFontMetricsF(f).horizontalAdvance(text)) + extra; },
      width);
}

}  // namespace quorvane::fonts
