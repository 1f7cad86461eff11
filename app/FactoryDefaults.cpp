// The factory-defaults command: every property the camera supports is set to the default its driver
// reports, straight through the camera component (the rows' change handling does not run), and the rows
// are then re-read in one pass. Automatic modes and the power-line frequency are left as they are.

#include <QLabel>

#include "app/Unit1.h"
#include "camera/CameraFailure.h"
#include "camera/PropertyList.h"

namespace {

// A camera that has gone is no single property's failure: it ends the command and is explained as one.
void PassOnIfGone(std::exception_ptr error) {
  if (error && CameraFailureOf(error) == TFCameraFailure::cfDisconnected) std::rethrow_exception(error);
}

}  // namespace

void TFormMain::ButtonDefaultValuesClick(QObject*) {
  Trace(QStringLiteral("ButtonDefaultValuesClick Step 01"));
  const QString camera = SelectedCameraName();
  if (SupportLevel != 2) {
    ShowStatusMessage(camera + QStringLiteral(" does not support setting default values"));
    return;
  }
  if (!MessageDlgSimple(QStringLiteral("Reset settings for ") + camera)) {
    ShowStatusMessage(QStringLiteral("Nothing changed"));
    return;
  }
  Trace(QStringLiteral("ButtonDefaultValuesClick Step 02"));
  for (const TFCameraProperty property : kPropertyList) {
    // Each property on its own: one the driver refuses keeps its value, the others are still reset. The
    // default is written as reported, unheld, with the mode the property already has.
    PassOnIfGone(SwallowCameraError(QStringLiteral("Default of ") + PropertyName(property), [&] {
      if (FCamera->PropertySupported(property)) {
        FCamera->SetPropertyValue(property, FCamera->PropertyRange(property).Default);
      }
    }));
  }
  Trace(QStringLiteral("ButtonDefaultValuesClick - calling SetTrackBars"));
  PassOnIfGone(SwallowCameraError(QStringLiteral("SetTrackBars"), [this] { SetTrackBars(); }));
  Trace(QStringLiteral("### Returned from SetTrackBars"));
  Trace(QStringLiteral("### und weiter"));
  Trace(QStringLiteral("ButtonDefaultValuesClick Step 03"));
  SetSupportStatus();
  SetCaptionToApplicationTitle();
  StatusLabel->setText(QStringLiteral(" "));
  ShowStatusMessage(QStringLiteral("Factory defaults loaded"));
  Trace(QStringLiteral(" ButtonDefaultValuesClick Step 04"));
}
