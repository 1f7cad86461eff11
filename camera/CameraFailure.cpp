#include "camera/CameraFailure.h"

#include "camera/CameraErrors.h"
#include "camera/platform/Result.h"

TFCameraFailure CameraFailureOf(std::exception_ptr error) {
  if (!error) return TFCameraFailure::cfOther;
  try {
    std::rethrow_exception(error);
  } catch (const EOleSysError& e) {
    if (tavelo::platform::IsDeviceGone(e.ErrorCode())) return TFCameraFailure::cfDisconnected;
    if (tavelo::platform::IsAccessDenied(e.ErrorCode())) return TFCameraFailure::cfNoPermission;
    return TFCameraFailure::cfRefused;
  } catch (const EFCameraDeviceNotFound&) {
    return TFCameraFailure::cfDisconnected;
  } catch (...) {
    return TFCameraFailure::cfOther;
  }
}
