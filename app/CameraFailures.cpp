// What the window does when a camera request fails and no row's handler answered it: the user is told
// once, and the window is brought in line with what is left of the camera.

#include <QLabel>

#include "app/ErrorReport.h"
#include "app/Unit1.h"
#include "camera/CameraFailure.h"
#include "ui/ListBox.h"

namespace {

bool IsCameraError(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const ECameraException&) {
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

void TFormMain::CameraFailed(std::exception_ptr error, TCameraRequest request) {
  if (!error) return;
  if (!IsCameraError(error)) {
    ReportError(error);
    return;
  }
  const TFCameraFailure failure = CameraFailureOf(error);
  const TCameraFailureResponse response =
      TCameraFailureResponse::For(failure, request, SelectedCameraName(), ErrorMessage(error));
  std::exception_ptr rebuildFailure;
  if (response.RebuildCameraList) {
    // Nothing of the gone camera is configurable any more; a camera the rebuilt list selects sets its own
    // level, and with none selected the window must not go on saying "Camera configurable".
    SupportLevel = 0;
    rebuildFailure = SwallowCameraError(QStringLiteral("Rebuilding the camera list"), [this] { RefreshDevices(); });
  }
  if (!response.StandingText.isEmpty()) ShowStandingText(response.StandingText);
  if (!response.Notice.isEmpty()) {
    // Before the message window exists (start-up) the status strip says it instead.
    if (FMessageForm) ShowMessageSimple(response.Notice);
    else ShowStatusMessage(response.Notice);
  }
  if (response.Report) ReportError(error);
  // The camera the rebuilt list selected failed in turn: that is its own story, unless it has gone as
  // well, which the next look at it tells (explaining it now could rebuild for ever).
  if (rebuildFailure && CameraFailureOf(rebuildFailure) != TFCameraFailure::cfDisconnected) {
    CameraFailed(rebuildFailure, TCameraRequest::crSelect);
  }
}

std::exception_ptr TFormMain::SwallowCameraError(const QString& step, const std::function<void()>& request) {
  try {
    request();
  } catch (const ECameraException& error) {
    Trace(step + QStringLiteral(" failed: ") + error.Message());
    return std::current_exception();
  }
  return nullptr;
}

void TFormMain::ReadSelectedCamera(const std::function<void()>& read) {
  try {
    read();
  } catch (...) {
    // A camera failing again keeps its explanation until it is given anew; another camera's goes.
    if (SelectedCameraName() != FStandingCamera) ClearStandingText();
    ShowCameraUnusable();
    throw;
  }
  ClearStandingText();
}

void TFormMain::ShowCameraUnusable() {
  // The level drops first, so that blanking the sliders writes nothing to the camera.
  SupportLevel = ComboBoxFormat->Count() > 0 ? 1 : 0;
  for (const TPropertyRow& row : PropertyRows()) InitTrackBar(row.Controls);
  LayoutFrequency->hide();
  SetSupportStatus();
  SetCaptionToApplicationTitle();
}

QString TFormMain::SelectedCameraName() const {
  const int index = ComboBoxCamera->ItemIndex();
  return index >= 0 ? ComboBoxCamera->ItemText(index) : QString();
}
