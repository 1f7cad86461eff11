#include "ui/ControlStyle.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

void SetFontSize(QWidget* control, int size) {
  QFont font = control->font();
  font.setPixelSize(size);
  control->setFont(font);
}

int FontSize(const QWidget* control) { return control->font().pixelSize(); }

void SetFontColor(QWidget* control, const QColor& color) {
  QPalette palette = control->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      palette.setColor(group, role, color);
    }
  }
  control->setPalette(palette);
}

QColor FontColor(const QWidget* control) { return control->palette().color(QPalette::Active, QPalette::WindowText); }
