#include "ui/Image.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/Icons.h"

namespace {
// Below this the control has no real size yet (a hidden picture store, before layout): render the icon
// large enough to be scaled down cleanly wherever the bitmap is copied to.
constexpr int kSmallestRenderEdge = 8;
constexpr int kDetachedRenderEdge = 96;
}  // namespace

TImage::TImage(QWidget* parent) : QLabel(parent) {}

void TImage::SetBitmap(const QPixmap& bitmap) {
  FBitmap = bitmap;
  FIconName.clear();
  Render();
}

void TImage::LoadIcon(const QString& iconName) {
  const QSize box = (width() >= kSmallestRenderEdge && height() >= kSmallestRenderEdge)
                        ? size()
                        : QSize(kDetachedRenderEdge, kDetachedRenderEdge);
  const QSize fitted = TaveloIcon(iconName).actualSize(box);
  FBitmap = TaveloPixmap(iconName, fitted.isEmpty() ? box : fitted);
  FIconName = iconName;
  Render();
}

void TImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) FPressed = true;
  event->accept();  // keeps the mouse grab, so the release comes here too
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = FPressed;
  if (event->button() == Qt::LeftButton) FPressed = false;
  event->accept();
  if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit Click(this);
}

void TImage::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  if (!FIconName.isEmpty()) LoadIcon(FIconName);
}

void TImage::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);  // frame and style-sheet background, if any
  if (FBitmap.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!isEnabled()) painter.setOpacity(0.45);
  const QSize logical = FBitmap.deviceIndependentSize().toSize().scaled(contentsRect().size(), Qt::KeepAspectRatio);
  QRect target(QPoint(0, 0), logical);
  target.moveCenter(contentsRect().center());
  painter.drawPixmap(target, FBitmap);
}

void TImage::Render() { update(); }
