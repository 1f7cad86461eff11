// Questions and notices in the message window, and the status message that clears itself.

#include <QLabel>
#include <QMessageBox>

#include "ui/MessageUnit.h"
#include "ui/Timer.h"
#include "app/Unit1.h"

namespace {
constexpr int kStatusMessageMilliseconds = 4000;
}

bool TFormMain::MessageDlgSimple(const QString& AMessage) {
  if (FMessageForm) return ::MessageDlgSimple(FMessageForm, this, AMessage);
  // Before the message window exists (start-up) a standard box asks instead.
  return QMessageBox::question(this, QStringLiteral("Confirm"), AMessage, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

bool TFormMain::ShowMessageSimple(const QString& AMessage) {
  if (FMessageForm) return ::ShowMessageSimple(FMessageForm, this, AMessage);
  return QMessageBox::information(this, QStringLiteral("Information"), AMessage) == QMessageBox::Ok;
}

void TFormMain::ShowStatusMessage(const QString& Text) {
  MessageLabel->setText(Text);
  // A message shown while one is counting down keeps the first countdown.
  MessageTimer->SetInterval(kStatusMessageMilliseconds);
}

void TFormMain::MessageTimerTimer(QObject*) {
  MessageTimer->SetInterval(0);
  MessageLabel->setText(FStandingText);  // empty unless the selected camera cannot be used
}

void TFormMain::ShowStandingText(const QString& Text) {
  FStandingText = Text;
  FStandingCamera = SelectedCameraName();
  MessageLabel->setText(Text);
}

void TFormMain::ClearStandingText() {
  if (FStandingText.isEmpty()) return;
  // A status message shown over it stays for its own time.
  if (MessageLabel->text() == FStandingText) MessageLabel->clear();
  FStandingText.clear();
  FStandingCamera.clear();
}
