#pragma once

// A picture control: shows a bitmap scaled to fit its size (aspect kept, centred) and raises Click when
// pressed and released on it with the left button. Pictures in the hidden picture store of a window are
// TImages too, so the bitmap can be copied from one control to another.

#include <QIcon>
#include <QLabel>
#include <QPixmap>

class TImage : public QLabel {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  // An icon's bitmap is rendered here, on first demand.
  const QPixmap& Bitmap() const;
  void SetBitmap(const QPixmap& bitmap);  // a copy; repaints
  // Shows an icon of the built-in set (see Icons.h) at the control's size. It is rendered when it is
  // first drawn or asked for, and afresh at a new size, so it stays crisp; a picture nobody looks at
  // (a hidden store, a hidden area) costs nothing.
  void LoadIcon(const QString& iconName);
  QString IconName() const { return FIconName; }  // empty unless the bitmap came from LoadIcon
  // The picture as an icon for lists, as QIcon(Bitmap()) would give it, but taken from this control only
  // when the icon is first drawn or measured: an entry of a list nobody sees costs no rendering.
  QIcon Icon() const;

 signals:
  void Click(QObject* sender);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Render();
  QSize IconBox() const;

  mutable QPixmap FBitmap;
  QString FIconName;
  mutable QSize FRenderedBox;  // the box the icon's bitmap was rendered for; empty: not rendered yet
  bool FPressed = false;
};
