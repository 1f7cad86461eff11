#pragma once

// A flat push button drawn as a bar: one fill colour, another while it is held down, its text centred
// in the text colour of its palette and in its own font. It draws itself rather than through a style
// sheet, which would give this one button a style of its own to build and keep.

#include <QColor>
#include <QPushButton>

class TBarButton : public QPushButton {
  Q_OBJECT

 public:
  TBarButton(QWidget* parent, const QColor& fill, const QColor& pressedFill);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor FFill;
  QColor FPressedFill;
};
