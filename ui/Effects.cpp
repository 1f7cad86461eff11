#include "ui/Effects.h"

#include <QGraphicsDropShadowEffect>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

TMonochromeEffect::TMonochromeEffect(QObject* parent) : QGraphicsEffect(parent) {}

namespace {

void Greyscale(QImage& image) {
  // Premultiplied pixels stay premultiplied when all three channels take the same grey.
  const int width = image.width(), height = image.height();
  for (int y = 0; y < height; ++y) {
    auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (QRgb* const end = pixel + width; pixel != end; ++pixel) {
      const int grey = qGray(*pixel);
      *pixel = qRgba(grey, grey, grey, qAlpha(*pixel));
    }
  }
}

}  // namespace

void TMonochromeEffect::draw(QPainter* painter) {
  // The widget the effect was made for renders itself into an image of the effect's own: sourcePixmap()
  // would file the picture of a whole property row in the global pixmap cache, where nothing ever looks
  // for it again.
  auto* target = qobject_cast<QWidget*>(parent());
  if (!target || target->graphicsEffect() != this) {
    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::NoPad);
    if (source.isNull()) return;
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Greyscale(image);
    const QTransform previous = painter->worldTransform();
    painter->setWorldTransform(QTransform());
    painter->drawImage(offset, image);
    painter->setWorldTransform(previous);
    return;
  }
  if (target->size().isEmpty()) return;
  const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
  QImage image(target->size() * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  target->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  Greyscale(image);
  painter->drawImage(QPoint(0, 0), image);
}

namespace {

// Three box-blur passes over the alpha channel approximate a Gaussian of the given radius.
void BlurAlpha(std::vector<float>& alpha, int width, int height, double radius) {
  const int box = std::max(1, static_cast<int>(std::lround(radius / 1.7)));
  std::vector<float> scratch(alpha.size());
  auto pass = [&](bool horizontal) {
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    for (int line = 0; line < lines; ++line) {
      auto at = [&](int i) -> float& {
        return horizontal ? alpha[static_cast<size_t>(line) * width + i] : alpha[static_cast<size_t>(i) * width + line];
      };
      float sum = 0;
      for (int i = -box; i <= box; ++i) sum += (i >= 0 && i < length) ? at(i) : 0;
      for (int i = 0; i < length; ++i) {
        const size_t out = horizontal ? static_cast<size_t>(line) * width + i : static_cast<size_t>(i) * width + line;
        scratch[out] = sum / (2 * box + 1);
        const int leaving = i - box, entering = i + box + 1;
        if (leaving >= 0) sum -= at(leaving);
        if (entering < length) sum += at(entering);
      }
    }
    alpha.swap(scratch);
  };
  for (int round = 0; round < 3; ++round) {
    pass(true);
    pass(false);
  }
}

}  // namespace

TGlowEffect::TGlowEffect(QObject* parent) : QGraphicsEffect(parent) {}

void TGlowEffect::SetGlowColor(const QColor& color) {
  if (color == FColor) return;
  FColor = color;
  update();
}

void TGlowEffect::SetSoftness(double softness) {
  if (!(softness >= 0) || !std::isfinite(softness)) softness = 0;
  if (softness == FSoftness) return;
  FSoftness = softness;
  updateBoundingRect();
  update();
}

void TGlowEffect::SetOpacity(double opacity) {
  opacity = std::isfinite(opacity) ? std::clamp(opacity, 0.0, 1.0) : 1.0;
  if (opacity == FOpacity) return;
  FOpacity = opacity;
  update();
}

QRectF TGlowEffect::boundingRectFor(const QRectF& rect) const {
  const double margin = std::ceil(FSoftness * 2);
  return rect.adjusted(-margin, -margin, margin, margin);
}

void TGlowEffect::draw(QPainter* painter) {
  QPoint offset;
  const QPixmap source = sourcePixmap(Qt::DeviceCoordinates, &offset, QGraphicsEffect::PadToEffectiveBoundingRect);
  if (source.isNull()) return;
  const QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  const int width = image.width(), height = image.height();

  std::vector<float> alpha(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < width; ++x) alpha[static_cast<size_t>(y) * width + x] = qAlpha(line[x]) / 255.f;
  }
  if (FSoftness > 0) BlurAlpha(alpha, width, height, FSoftness);

  // The halo is the glow colour shaped by the blurred outline, brightened so a thin shape still shines.
  QImage glow(width, height, QImage::Format_ARGB32_Premultiplied);
  const double strength = FColor.alphaF() * FOpacity;
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(glow.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const double a = std::min(1.0, alpha[static_cast<size_t>(y) * width + x] * 2.0) * strength;
      line[x] = qRgba(static_cast<int>(FColor.red() * a), static_cast<int>(FColor.green() * a),
                      static_cast<int>(FColor.blue() * a), static_cast<int>(255 * a));
    }
  }

  const QTransform previous = painter->worldTransform();
  painter->setWorldTransform(QTransform());
  painter->drawImage(offset, glow);
  painter->drawPixmap(offset, source);
  painter->setWorldTransform(previous);
}

double SoftnessToBlurRadius(double softness) {
  if (!(softness > 0) || !std::isfinite(softness)) return 0;
  return softness * 10;
}

QGraphicsEffect* MakeDropShadow(QObject* parent, const QColor& color, double distance, double directionDegrees,
                                double softness, double opacity) {
  auto* shadow = new QGraphicsDropShadowEffect(parent);
  const double radians = directionDegrees * M_PI / 180;
  // Direction 0 points right, 45 down-right: screen y grows downwards.
  shadow->setOffset(distance * std::cos(radians), distance * std::sin(radians));
  shadow->setBlurRadius(SoftnessToBlurRadius(softness));
  QColor shade = color;
  shade.setAlphaF(static_cast<float>(std::clamp(opacity, 0.0, 1.0) * color.alphaF()));
  shadow->setColor(shade);
  return shadow;
}
