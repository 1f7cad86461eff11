#include "ui/SliderLook.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QSlider>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>
#include <map>

namespace {

const QColor kGroove(0xC9, 0xC8, 0xDE);
const QColor kAccent(0x63, 0x60, 0xE3);
const QColor kDisabled(0xB4, 0xB4, 0xC0);
const QColor kHandle(0xFF, 0xFF, 0xFF);
const QColor kHandleHover(0xEC, 0xEB, 0xFF);

struct SliderSizes {
  int groove;
  int handle;  // outer diameter, ring included
  int ring;

  explicit SliderSizes(double scale)
      : groove(std::max(2, static_cast<int>(std::lround(4 * scale)))),
        handle(std::max(8, static_cast<int>(std::lround(14 * scale)))),
        ring(std::max(1, static_cast<int>(std::lround(2 * scale)))) {}
};

class SliderLookStyle final : public QProxyStyle {
 public:
  explicit SliderLookStyle(double scale) : FSizes(scale) {}

  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    switch (metric) {
      case PM_SliderLength:
      case PM_SliderThickness:
      case PM_SliderControlThickness:
        return FSizes.handle;
      case PM_SliderTickmarkOffset:
        return 0;
      default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }

  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget) const override {
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_Slider || slider == nullptr || slider->orientation != Qt::Horizontal)
      return QProxyStyle::subControlRect(control, option, sub, widget);
    const QRect area = slider->rect;
    if (sub == SC_SliderHandle) {
      const int travel = std::max(0, area.width() - FSizes.handle);
      const int x = sliderPositionFromValue(slider->minimum, slider->maximum, slider->sliderPosition, travel,
                                            slider->upsideDown);
      return QRect(area.x() + x, area.center().y() - FSizes.handle / 2 + 1, FSizes.handle, FSizes.handle);
    }
    if (sub == SC_SliderGroove) return area;
    return QProxyStyle::subControlRect(control, option, sub, widget);
  }

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_Slider || slider == nullptr || slider->orientation != Qt::Horizontal) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    const bool enabled = slider->state & State_Enabled;
    const QRect handle = subControlRect(CC_Slider, slider, SC_SliderHandle, widget);
    const QRectF groove(slider->rect.x(), handle.center().y() + 1 - FSizes.groove / 2.0, slider->rect.width(),
                        FSizes.groove);
    const qreal radius = FSizes.groove / 2;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(kGroove);
    painter->drawRoundedRect(groove, radius, radius);
    QRectF filled = groove;
    filled.setRight(handle.center().x() + 1);
    painter->setBrush(enabled ? kAccent : kDisabled);
    painter->drawRoundedRect(filled, radius, radius);

    const bool hovered = enabled && (slider->state & State_MouseOver) && (slider->activeSubControls & SC_SliderHandle);
    const qreal inset = FSizes.ring / 2.0;
    painter->setPen(QPen(enabled ? kAccent : kDisabled, FSizes.ring));
    painter->setBrush(hovered ? kHandleHover : kHandle);
    painter->drawEllipse(QRectF(handle).adjusted(inset, inset, -inset, -inset));
    painter->restore();
  }

 private:
  SliderSizes FSizes;
};

// One style per scale, alive as long as the application; a scale is keyed in 1/1000 steps.
SliderLookStyle* StyleFor(double scale) {
  static std::map<long, QPointer<SliderLookStyle>> styles;
  QPointer<SliderLookStyle>& style = styles[std::lround(scale * 1000)];
  if (style.isNull()) {
    style = new SliderLookStyle(scale);
    style->setParent(qApp);  // deleted with the application, after every widget that uses it
  }
  return style;
}

}  // namespace

void ApplySliderLook(QSlider* slider, double scale) {
  slider->setAttribute(Qt::WA_Hover);  // the handle lightens under the pointer
  slider->setStyle(StyleFor(scale));
  slider->setMinimumHeight(SliderLookHeight(scale));
}

int SliderLookHeight(double scale) { return SliderSizes(scale).handle + 4; }
