#include "app/CameraFailureResponse.h"

namespace {

QString CameraOrDefault(const QString& cameraName) {
  return cameraName.isEmpty() ? QStringLiteral("The camera") : cameraName;
}

}  // namespace

TCameraFailureResponse TCameraFailureResponse::For(TFCameraFailure failure, TCameraRequest request,
                                                   const QString& cameraName, const QString& reason) {
  TCameraFailureResponse response;
  switch (failure) {
    case TFCameraFailure::cfDisconnected:
      response.RebuildCameraList = true;
      response.Notice = CameraOrDefault(cameraName) + QStringLiteral(" was disconnected. The camera list has been updated.");
      break;
    case TFCameraFailure::cfNoPermission:
      // Whatever the user was doing, the fix is the same and lies outside this program.
      response.StandingText = QStringLiteral("No permission to open ") + CameraOrDefault(cameraName) +
                              QStringLiteral(": add your user to the \"video\" group, then log in again");
      break;
    case TFCameraFailure::cfRefused:
    case TFCameraFailure::cfOther:
      if (request == TCameraRequest::crSelect) {
        response.StandingText = CameraOrDefault(cameraName) + QStringLiteral(" cannot be used: ") + reason;
      } else {
        response.Report = true;
      }
      break;
  }
  return response;
}

QString UnreadableRowsText(const QStringList& rowLabels, const QString& reason) {
  return rowLabels.join(QStringLiteral(", ")) + QStringLiteral(" could not be read: ") + reason;
}

QString RefusedChangeText(const QString& rowLabel, const QString& reason) {
  return rowLabel + QStringLiteral(" was not changed: ") + reason;
}

QString InconsistentDriverNotice(const QString& cameraName) {
  return QStringLiteral("Tavelo detected an inconsistent cam driver implementation. ") + cameraName +
         QStringLiteral(" states this function is supported but returns an error when accessing it");
}
