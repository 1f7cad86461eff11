#include "camera/CameraErrors.h"

#include "camera/platform/Result.h"

EOleSysError EOleSysError::FromSystem(std::int32_t errorCode) {
  return EOleSysError(QString::fromStdString(tavelo::platform::SystemErrorMessage(errorCode)), errorCode, 0);
}
