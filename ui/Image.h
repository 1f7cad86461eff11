#pragma once

// A picture control: shows a bitmap scaled to fit its size (aspect kept, centred) and raises Click when
// pressed and released on it with the left button. Pictures in the hidden picture store of a window are
// TImages too, so the bitmap can be copied from one control to another.

#include <QLabel>
#include <QPixmap>

class TImage : public QLabel {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  const QPixmap& Bitmap() const { return FBitmap; }
  void SetBitmap(const QPixmap& bitmap);  // a copy; repaints
  // Loads an icon of the built-in set (see Icons.h) at the control's size; it is rendered afresh when the
  // control is resized, so it stays crisp.
  void LoadIcon(const QString& iconName);
  QString IconName() const { return FIconName; }  // empty unless the bitmap came from LoadIcon

 signals:
  void Click(QObject* sender);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Render();

  QPixmap FBitmap;
  QString FIconName;
  bool FPressed = false;
};
