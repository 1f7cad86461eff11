#pragma once

// A paint surface: whoever owns it draws on it in its Paint signal, which is raised from the widget's
// paint event with a painter already open on it. The surface is opaque: a repaint does not clear the
// background first, so a picture redrawn every frame does not flicker.

#include <QWidget>

class QPainter;

class TPaintBox : public QWidget {
  Q_OBJECT

 public:
  explicit TPaintBox(QWidget* parent = nullptr);

 signals:
  // Raised on the GUI thread, inside the paint event; connect directly. `canvas` lives for the call only.
  void Paint(QObject* sender, QPainter* canvas);

 protected:
  void paintEvent(QPaintEvent* event) override;
};
