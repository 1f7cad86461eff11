#include "ui/Icons.h"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include <cmath>
#include <memory>

// The resources live in a static library; nothing else references their object file, so the linker would
// drop it unless it is pulled in explicitly (and Q_INIT_RESOURCE must be called outside any namespace).
static void EnsureIconResources() {
  static const bool registered = [] {
    Q_INIT_RESOURCE(icons);
    return true;
  }();
  (void)registered;
}

namespace {

// Parsing is most of what a picture costs, and every picture is asked for its size before it is drawn:
// one renderer per file serves both, for the whole run. An unknown name keeps its invalid renderer, so
// it is not looked up again either.
QSvgRenderer& Renderer(const QString& name) {
  static QHash<QString, std::shared_ptr<QSvgRenderer>> renderers;
  std::shared_ptr<QSvgRenderer>& renderer = renderers[name];
  if (!renderer) {
    renderer = std::make_shared<QSvgRenderer>(IconPath(name));
    renderer->setAspectRatioMode(Qt::KeepAspectRatio);
  }
  return *renderer;
}

qreal ScreenPixelRatio() { return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0; }

}  // namespace

QString IconPath(const QString& name) {
  EnsureIconResources();
  return QStringLiteral(":/icons/%1.svg").arg(name);
}

QSize TaveloIconSize(const QString& name) {
  const QSvgRenderer& renderer = Renderer(name);
  return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QSize FittedIconSize(const QString& name, const QSize& box) {
  const QSize own = TaveloIconSize(name);
  return own.isEmpty() ? box : own.scaled(box, Qt::KeepAspectRatio);
}

QPixmap TaveloPixmap(const QString& name, const QSize& size) {
  if (size.isEmpty()) return {};
  QSvgRenderer& renderer = Renderer(name);
  if (!renderer.isValid()) return {};
  const qreal ratio = ScreenPixelRatio();
  const QString key =
      QStringLiteral("tavelo-icon:%1:%2x%3@%4").arg(name).arg(size.width()).arg(size.height()).arg(ratio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;

  pixmap = QPixmap(QSize(std::lround(size.width() * ratio), std::lround(size.height() * ratio)));
  pixmap.fill(Qt::transparent);
  {
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
  }
  pixmap.setDevicePixelRatio(ratio);
  QPixmapCache::insert(key, pixmap);
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
