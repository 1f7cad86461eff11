#include "ui/LiveCam.h"

#include <QHideEvent>
#include <QShowEvent>

TLivecamForm::TLivecamForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("LivecamForm"));
  setWindowTitle(QStringLiteral("Webcam test"));
  resize(897, 550);
}

void TLivecamForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FTag = 1;
}

void TLivecamForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Closing and hiding both end the test, so the main window's refresh resumes either way.
  if (!event->spontaneous()) FTag = 0;
}
