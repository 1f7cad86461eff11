#include "ui/LiveCam.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHideEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "ui/Image.h"

namespace {

TImage* HiddenPicture(QWidget* parent, const QString& name, const QString& iconName, QPoint at) {
  auto* picture = new TImage(parent);
  picture->setObjectName(name);
  picture->setGeometry(QRect(at, QSize(41, 41)));
  picture->LoadIcon(iconName);
  picture->hide();
  return picture;
}

}  // namespace

TLivecamForm::TLivecamForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("LivecamForm"));
  setWindowTitle(QStringLiteral("Webcam test"));
  resize(kDesignClientSize);
  CentreOnScreen();

  CameraPanel = new QWidget(this);
  CameraPanel->setObjectName(QStringLiteral("CameraPanel"));
  CameraPanel->setGeometry(rect());

  ButtonClose = new QPushButton(QStringLiteral("Close Camera"), this);
  ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
  QFont bold = ButtonClose->font();
  bold.setBold(true);
  ButtonClose->setFont(bold);
  ButtonClose->setGeometry(16, 16, 105, 33);
  ButtonClose->hide();
  connect(ButtonClose, &QPushButton::clicked, this, [this] { ButtonCloseClick(ButtonClose); });

  ClosePicture = HiddenPicture(this, QStringLiteral("close"), QStringLiteral("x"), {24, 72});
  CloseDownPicture = HiddenPicture(this, QStringLiteral("closedown"), QStringLiteral("xdown"), {24, 120});
}

void TLivecamForm::CentreOnScreen() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

void TLivecamForm::FormShow(QObject*) {
  ButtonClose->raise();
  FTag = 1;
}

void TLivecamForm::FormClose(QObject*) {
  FModalResult = kModalResultClose;
  FTag = 0;
}

void TLivecamForm::ButtonCloseClick(QObject*) {}

void TLivecamForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow(this);
}

void TLivecamForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A hide from code (a click in the test area, a new format) ends the test as closing it does.
  if (!event->spontaneous()) FTag = 0;
}

void TLivecamForm::closeEvent(QCloseEvent* event) {
  FormClose(this);
  event->accept();
}

void TLivecamForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  CameraPanel->setGeometry(rect());
}
