#include "ui/PaintBox.h"

#include <QPainter>

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Children of the window are painted into its backing store; without a system background of its own
  // the surface leaves what it does not draw as it was.
  setAttribute(Qt::WA_NoSystemBackground);
}

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter canvas(this);
  emit Paint(this, &canvas);
}
