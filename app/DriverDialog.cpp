// TFormMain: the "System Dialog" command, the driver's own settings panel. The panel writes to the driver
// directly, so whatever happens in it the window reads the camera again afterwards.

#include <exception>

#include "app/PropertyFramePages.h"
#include "app/Unit1.h"

void TFormMain::InstallPropertyFrame() {
  tavelo::platform::CapturePlatform* platform = &FCamera->Platform();
  // The platform keeps the handler, so the handler must not keep the platform.
  platform->SetPropertyFrameHandler(
      [platform](const tavelo::platform::PropertyFrameRequest& request) { return ShowPropertyFrame(*platform, request); });
}

void TFormMain::ButtonWindowsClick(QObject* Sender) {
  try {
    FCamera->ShowPropertyDialog();
  } catch (const std::exception&) {
    // Whatever went wrong, including a camera without a panel, the user learns only that there is none.
    ShowStatusMessage(SelectedCameraName() + QStringLiteral(" does not support this dialog function"));
    Trace(QStringLiteral("ButtonWindowsClick Error"));
  }
  ComboBoxCameraChange(Sender);
}
