#pragma once

// A push button drawn as a picture: the up picture at rest, the down picture while the mouse button is
// held on it. The pictures are other TImage controls that the button points at but does not own.

#include <QPointer>

#include "ui/Image.h"

class TButtonImage : public TImage {
  Q_OBJECT

 public:
  explicit TButtonImage(QWidget* parent = nullptr);

  TImage* ImageUp() const { return fUpImage; }
  void SetImageUp(TImage* image);
  TImage* ImageDown() const { return fDownImage; }
  void SetImageDown(TImage* image);

  // Shows the up picture (when there is one).
  void Initialize();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QPointer<TImage> fUpImage;
  QPointer<TImage> fDownImage;
};
