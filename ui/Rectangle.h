#pragma once

// A plain filled rectangle of a designed window: a background fill, or a colour held for code to read
// (the palette rectangles of the main window).

#include <QColor>
#include <QWidget>

class TRectangle : public QWidget {
  Q_OBJECT

 public:
  explicit TRectangle(QWidget* parent = nullptr, const QColor& fill = Qt::white);

  QColor Fill() const { return FFill; }
  void SetFill(const QColor& fill);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor FFill;
};
