#include "ui/BarButton.h"

#include <QPainter>

TBarButton::TBarButton(QWidget* parent, const QColor& fill, const QColor& pressedFill)
    : QPushButton(parent), FFill(fill), FPressedFill(pressedFill) {}

void TBarButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), isDown() ? FPressedFill : FFill);
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}
