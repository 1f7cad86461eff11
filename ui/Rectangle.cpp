#include "ui/Rectangle.h"

#include <QPainter>

TRectangle::TRectangle(QWidget* parent, const QColor& fill) : QWidget(parent), FFill(fill) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TRectangle::SetFill(const QColor& fill) {
  if (fill == FFill) return;
  FFill = fill;
  update();
}

void TRectangle::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), FFill);
}
