#include "ui/Icons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

// The resources live in a static library; nothing else references their object file, so the linker would
// drop it unless it is pulled in explicitly (and Q_INIT_RESOURCE must be called outside any namespace).
static void EnsureIconResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)registered;
}

QString IconPath(const QString& name) {
  EnsureIconResources();
  return QStringLiteral(":/icons/%1.svg").arg(name);
}

QIcon TaveloIcon(const QString& name) { return QIcon(IconPath(name)); }

QPixmap TaveloPixmap(const QString& name, const QSize& size) {
  if (size.isEmpty()) return {};
  QSvgRenderer renderer(IconPath(name));
  if (!renderer.isValid()) return {};
  const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  QPixmap pixmap(QSize(std::lround(size.width() * ratio), std::lround(size.height() * ratio)));
  pixmap.fill(Qt::transparent);
  renderer.setAspectRatioMode(Qt::KeepAspectRatio);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

QStringList TaveloIconNames() {
  static const QStringList names = {
      // left column and lists
      "logo", "webcam", "herz", "res_1080", "res_720", "res_pal", "res_vga", "res_ega",
      // command buttons, at rest and pressed
      "open", "opendown", "save", "savedown", "x", "xdown", "factory", "factorydown",
      // property rows
      "prop_backlight", "prop_brightness", "prop_colorenable", "prop_contrast", "prop_exposure", "prop_focus",
      "prop_gain", "prop_gamma", "prop_hue", "prop_iris", "prop_pan", "prop_roll", "prop_saturation",
      "prop_sharpness", "prop_tilt", "prop_whitebalance", "prop_zoom",
      // camera test area
      "camera", "cameraoff"};
  return names;
}
