// The keep-synchronised refresh: every tick of RefreshTimer re-reads the selected camera, so the rows
// follow changes made by the driver's panel or by other programs. The re-read rebuilds controls, which can
// take the keyboard focus away; the control that had it gets it back once the tick has returned.

#include <QApplication>
#include <QCheckBox>

#include "app/Unit1.h"
#include "camera/CameraFailure.h"
#include "ui/ListBox.h"
#include "ui/LiveCam.h"

namespace {

// The design control a focused widget belongs to: a slider's handle is part of its TTrackBar.
QWidget* NamedControlOf(QWidget* widget, const QWidget* window) {
  for (QWidget* control = widget; control && control != window; control = control->parentWidget()) {
    if (!control->objectName().isEmpty()) return control;
  }
  return widget;
}

}  // namespace

void TFormMain::RefreshTimerTimer(QObject*) {
  Trace(QStringLiteral(" "));
  Trace(QStringLiteral("RefreshTimer routine entered"));
  // The re-read deactivates the camera component, which would end a running test preview. It would also
  // rebuild the controls under a command that waits in a modal window for the user's answer.
  if (FLivecamForm && FLivecamForm->Tag() == 1) return;
  if (QApplication::activeModalWidget()) return;

  Trace(QStringLiteral(" Determining LastFocussedControl"));
  FormFocusChanged(this);
  Trace(QStringLiteral(" Determine LastFocussedControl successful"));
  if (KeepSynced->isChecked()) ReReadSelectedCamera();
  Trace(QStringLiteral("RefreshTimer routine successful"));
}

void TFormMain::ReReadSelectedCamera() {
  Trace(QStringLiteral(" Determining LastResolutionIndex"));
  LastResolutionIndex = ComboBoxFormat->ItemIndex();
  Trace(QStringLiteral("Timer event, ComboBoxFormat.ItemIndex=") + QString::number(LastResolutionIndex));
  Trace(QStringLiteral(" Determine successful"));

  Trace(QStringLiteral(" Attempting re-read of camera settings"));
  const std::exception_ptr readFailure =
      SwallowCameraError(QStringLiteral("Re-read of camera settings"), [this] { ComboBoxCameraChange(this); });
  if (!readFailure) {
    Trace(QStringLiteral(" Re-read of camera settings successful"));
  } else {
    // Typically the camera was unplugged: the list is rebuilt without it, and nobody is interrupted.
    Trace(QStringLiteral(" Re-read of camera settings NOT successful - now refreshing devices"));
    RebuildCameraList();
  }
  SetTheControl(LastFocussedControl);
}

void TFormMain::RebuildCameraList() {
  Trace(QStringLiteral("  Attempting to refresh devices"));
  const std::exception_ptr refreshFailure =
      SwallowCameraError(QStringLiteral("Refresh devices"), [this] { RefreshDevices(); });
  if (!refreshFailure) {
    Trace(QStringLiteral("  Refresh devices successful"));
    return;
  }
  Trace(QStringLiteral("  Refresh devices NOT successful"));
  // The camera the rebuilt list selected cannot be used: the status strip says why, quietly. One that
  // has gone as well is left for the next tick.
  if (CameraFailureOf(refreshFailure) != TFCameraFailure::cfDisconnected) {
    CameraFailed(refreshFailure, TCameraRequest::crSelect);
  }
}

void TFormMain::FormFocusChanged(QObject*) {
  // A window without a focused control keeps the control remembered before.
  if (QWidget* focused = focusWidget()) LastFocussedControl = NamedControlOf(focused, this);
  if (LastFocussedControl) {
    Trace(QStringLiteral("Aktives Control: ") + QString::fromLatin1(LastFocussedControl->metaObject()->className()) +
          QStringLiteral(" und auch ") + LastFocussedControl->objectName());
  }
}

void TFormMain::SetTheControl(QWidget* MyControl) { FFocusHandBack->Request(MyControl); }
