#include "ui/Image.h"

#include <QIconEngine>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "ui/Icons.h"

namespace {
// Below this the control has no real size yet (a hidden picture store, before layout): render the icon
// large enough to be scaled down cleanly wherever the bitmap is copied to.
constexpr int kSmallestRenderEdge = 8;
constexpr int kDetachedRenderEdge = 96;

// Stands for QIcon(picture->Bitmap()), built on first use.
class TPictureIconEngine : public QIconEngine {
 public:
  explicit TPictureIconEngine(const TImage* picture) : FPicture(picture) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return Icon().pixmap(size, scale, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  bool isNull() override { return Icon().isNull(); }
  QIconEngine* clone() const override { return new TPictureIconEngine(FPicture); }
  QString key() const override { return QStringLiteral("TPictureIconEngine"); }

 private:
  const QIcon& Icon() {
    if (!FLoaded) {
      if (FPicture) FIcon = QIcon(FPicture->Bitmap());
      FLoaded = true;
    }
    return FIcon;
  }

  QPointer<const TImage> FPicture;
  QIcon FIcon;
  bool FLoaded = false;
};

}  // namespace

TImage::TImage(QWidget* parent) : QLabel(parent) {}

QIcon TImage::Icon() const { return QIcon(new TPictureIconEngine(this)); }

const QPixmap& TImage::Bitmap() const {
  if (!FIconName.isEmpty()) {
    const QSize box = IconBox();
    if (box != FRenderedBox) {
      FBitmap = TaveloPixmap(FIconName, FittedIconSize(FIconName, box));
      FRenderedBox = box;
    }
  }
  return FBitmap;
}

void TImage::SetBitmap(const QPixmap& bitmap) {
  FBitmap = bitmap;
  FIconName.clear();
  FRenderedBox = QSize();
  Render();
}

void TImage::LoadIcon(const QString& iconName) {
  FBitmap = QPixmap();
  FIconName = iconName;
  FRenderedBox = QSize();
  Render();
}

QSize TImage::IconBox() const {
  return (width() >= kSmallestRenderEdge && height() >= kSmallestRenderEdge)
             ? size()
             : QSize(kDetachedRenderEdge, kDetachedRenderEdge);
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
  if (!FIconName.isEmpty()) Render();  // drawing renders it for the new size
}

void TImage::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);  // frame and style-sheet background, if any
  const QPixmap& bitmap = Bitmap();
  if (bitmap.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  if (!isEnabled()) painter.setOpacity(0.45);
  const QSize logical = bitmap.deviceIndependentSize().toSize().scaled(contentsRect().size(), Qt::KeepAspectRatio);
  QRect target(QPoint(0, 0), logical);
  target.moveCenter(contentsRect().center());
  painter.drawPixmap(target, bitmap);
}

void TImage::Render() { update(); }
