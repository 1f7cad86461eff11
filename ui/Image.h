#pragma once

// A picture control: shows a bitmap scaled to its size and raises Click. Pictures in the hidden picture
// store of a window are TImages too, so the bitmap can be copied from one control to another.

#include <QLabel>
#include <QPixmap>

class TImage : public QLabel {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  const QPixmap& Bitmap() const { return FBitmap; }
  void SetBitmap(const QPixmap& bitmap);  // a copy; repaints
  // Loads an icon of the built-in set (see Icons.h) at the control's size.
  void LoadIcon(const QString& iconName);

 signals:
  void Click(QObject* sender);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Render();

  QPixmap FBitmap;
  bool FPressed = false;
};
