#pragma once

// What the main window does about a failed camera request, decided without widgets; TFormMain carries
// it out. Only a camera that has gone rebuilds the camera list, only a selected camera that cannot be
// used leaves a standing line in the status strip, and a driver that refuses one change is told apart
// from both (the form shows what the camera holds instead).

#include <QString>
#include <QStringList>

#include "camera/CameraFailure.h"

// What the window was doing when the camera failed.
enum class TCameraRequest {
  crSelect,  // reading a camera just selected (start-up, list click, list rebuild)
  crChange,  // a change the user made to the selected camera
};

struct TCameraFailureResponse {
  bool RebuildCameraList = false;  // the camera has gone: the list must drop it at once
  QString Notice;                  // said once; in the message window, or the status strip before it exists
  QString StandingText;            // stays in the status strip while this camera is selected
  bool Report = false;             // nothing the window can explain: the general error report

  static TCameraFailureResponse For(TFCameraFailure failure, TCameraRequest request, const QString& cameraName,
                                    const QString& reason);
};

// The status message after a refresh pass that could not read some rows; the rows are named by their
// labels, the reason is the first row's.
QString UnreadableRowsText(const QStringList& rowLabels, const QString& reason);

// The status message after the camera refused a change of one row.
QString RefusedChangeText(const QString& rowLabel, const QString& reason);

// The notice when a camera reports an automatic mode as supported but refuses to switch it.
QString InconsistentDriverNotice(const QString& cameraName);
