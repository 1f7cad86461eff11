// Resizing: the window's height is held, and its width decides which parts of the rows and which
// regions are shown.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include "app/LayoutRules.h"
#include "app/Unit1.h"

void TFormMain::FormResize(QObject*) {
  Trace(QString::number(frameGeometry().width()));
  const int frameHeight = frameGeometry().height() - height();
  if (frameGeometry().height() != kOuterHeight) resize(width(), kOuterHeight - frameHeight);

  const TShownParts shown = PartsShownAt(frameGeometry().width());
  LayoutListe->setVisible(shown.LeftColumn);
  MessagePanel->setVisible(shown.LeftColumn);
  BackButton->setVisible(!shown.LeftColumn);
  for (const TPropertyRow& row : PropertyRows()) {
    row.Controls.CheckBox->setVisible(shown.AutoBoxes);
    row.Controls.ValueBox->setVisible(shown.ValueBoxes);
    row.Controls.Label->setVisible(shown.NameLabels);
  }
}

void TFormMain::BackButtonClick(QObject*) {
  const int frameWidth = frameGeometry().width() - width();
  resize(kBackToFullWidth - frameWidth, height());
  FormResize();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
  TMainFormDesign::resizeEvent(event);
  ReachStoredOuterSize();
  RunHandler([this] { FormResize(this); });
}
