#pragma once

// Graphic effects of the windows: grey-out (monochrome), glow and a drop shadow. Each attaches to one
// widget (Qt allows one effect per widget) and can be switched on and off without being re-attached.

#include <QColor>
#include <QGraphicsEffect>

// Renders the widget (children included) in grey tones while enabled.
class TMonochromeEffect : public QGraphicsEffect {
  Q_OBJECT

 public:
  explicit TMonochromeEffect(QObject* parent = nullptr);

 protected:
  void draw(QPainter* painter) override;
};

// A soft coloured halo around the widget's opaque pixels.
class TGlowEffect : public QGraphicsEffect {
  Q_OBJECT

 public:
  explicit TGlowEffect(QObject* parent = nullptr);
  QColor GlowColor() const { return FColor; }
  void SetGlowColor(const QColor& color);
  void SetSoftness(double softness);  // blur radius in pixels

 protected:
  QRectF boundingRectFor(const QRectF& rect) const override;
  void draw(QPainter* painter) override;

 private:
  QColor FColor{Qt::white};
  double FSoftness = 6;
};

// Drop shadow with distance, direction (degrees), softness and opacity.
QGraphicsEffect* MakeDropShadow(QObject* parent, const QColor& color, double distance, double directionDegrees,
                                double softness, double opacity);
