#include "ui/ButtonImage.h"

#include <QMouseEvent>

namespace {
// A source counts only when it holds a picture: an empty one would blank the button.
void ShowPictureOf(TImage& button, const TImage* source) {
  if (source && !source->Bitmap().isNull()) button.SetBitmap(source->Bitmap());
}
}  // namespace

TButtonImage::TButtonImage(QWidget* parent) : TImage(parent) { setCursor(Qt::PointingHandCursor); }

void TButtonImage::SetImageUp(TImage* image) {
  if (image != fUpImage) fUpImage = image;
}

void TButtonImage::SetImageDown(TImage* image) {
  if (image != fDownImage) fDownImage = image;
}

void TButtonImage::Initialize() {
  ShowPictureOf(*this, fUpImage);
  repaint();
}

void TButtonImage::mousePressEvent(QMouseEvent* event) {
  TImage::mousePressEvent(event);
  ShowPictureOf(*this, fDownImage);
}

void TButtonImage::mouseReleaseEvent(QMouseEvent* event) {
  // Released first, then clicked: a click that opens a modal window must not leave the button drawn
  // pressed underneath it.
  ShowPictureOf(*this, fUpImage);
  TImage::mouseReleaseEvent(event);
}

void TButtonImage::leaveEvent(QEvent* event) {
  TImage::leaveEvent(event);
  ShowPictureOf(*this, fUpImage);
}
