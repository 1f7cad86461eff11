// Resizing: the window's height is held, and its width decides which parts of the rows and which
// regions are shown.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include <functional>

#include "app/Unit1.h"

namespace {

constexpr int kOuterHeight = 740;
constexpr int kBackToFullWidth = 734;
constexpr int kCompactBelow = 300;  // narrower: only icons and sliders, with the "Back to full" bar

// Parts of every row that show from a minimum outer width on.
struct TRowWidthBand {
  int MinimumWidth;
  QWidget* (*Part)(const TPropertyRowControls& row);
};
const TRowWidthBand kRowWidthBands[] = {
    {450, [](const TPropertyRowControls& row) -> QWidget* { return row.CheckBox; }},
    {550, [](const TPropertyRowControls& row) -> QWidget* { return row.ValueBox; }},
    {650, [](const TPropertyRowControls& row) -> QWidget* { return row.Label; }},
};

}  // namespace

void TFormMain::FormResize(QObject*) {
  Trace(QString::number(frameGeometry().width()));
  try {
    const int frameHeight = frameGeometry().height() - height();
    if (frameGeometry().height() != kOuterHeight) resize(width(), kOuterHeight - frameHeight);

    const int outerWidth = frameGeometry().width();
    const bool compact = outerWidth < kCompactBelow;
    LayoutListe->setVisible(!compact);
    MessagePanel->setVisible(!compact);
    BackButton->setVisible(compact);
    for (const TRowWidthBand& band : kRowWidthBands) {
      for (const TPropertyRow& row : PropertyRows()) band.Part(row.Controls)->setVisible(outerWidth >= band.MinimumWidth);
    }
  } catch (...) {
  }
}

void TFormMain::BackButtonClick(QObject*) {
  const int frameWidth = frameGeometry().width() - width();
  resize(kBackToFullWidth - frameWidth, height());
  FormResize();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  TMainFormDesign::resizeEvent(event);
  RunHandler([this] { FormResize(this); });
}
