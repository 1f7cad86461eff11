#pragma once

// Graphic effects of the windows: grey-out (monochrome), glow and a drop shadow. Each attaches to one
// widget (Qt allows one effect per widget) and can be switched on and off without being re-attached.

#include <QColor>
#include <QGraphicsEffect>

// Renders the widget (children included) in grey tones while enabled. Made with the widget it goes on
// as its parent, it draws without the global pixmap cache (see Effects.cpp).
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
  void SetSoftness(double softness);  // blur radius in pixels (see SoftnessToBlurRadius)
  double Softness() const { return FSoftness; }
  void SetOpacity(double opacity);  // 0..1, multiplies the colour's own alpha
  double Opacity() const { return FOpacity; }

 protected:
  QRectF boundingRectFor(const QRectF& rect) const override;
  void draw(QPainter* painter) override;

 private:
  QColor FColor{Qt::white};
  double FSoftness = 6;
  double FOpacity = 1;
};

// Softness as a window design gives it (0..1, e.g. 0.3 for a button shadow, 0.7 for a glow) in pixels of
// blur radius: 10 px per unit.
double SoftnessToBlurRadius(double softness);

// Drop shadow with distance (pixels), direction (degrees, 0 = right, 45 = down-right), softness (0..1, as
// for SoftnessToBlurRadius) and opacity (0..1).
QGraphicsEffect* MakeDropShadow(QObject* parent, const QColor& color, double distance, double directionDegrees,
                                double softness, double opacity);
