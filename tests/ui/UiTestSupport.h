#pragma once

// Small helpers shared by the widget tests: solid test pictures and pixel probes.

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QSize>

#include <cstdlib>

namespace tavelo::uitest {

inline QPixmap SolidPixmap(const QColor& colour, QSize size = QSize(16, 16)) {
  QPixmap pixmap(size);
  pixmap.fill(colour);
  return pixmap;
}

inline QColor CentreColour(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage();
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

inline QColor PixelAt(const QPixmap& pixmap, QPoint logical) {
  const QImage image = pixmap.toImage();
  const qreal ratio = pixmap.devicePixelRatio();
  return image.pixelColor(static_cast<int>(logical.x() * ratio), static_cast<int>(logical.y() * ratio));
}

inline bool IsGrey(const QColor& colour, int tolerance = 2) {
  return std::abs(colour.red() - colour.green()) <= tolerance && std::abs(colour.green() - colour.blue()) <= tolerance;
}

}  // namespace tavelo::uitest
