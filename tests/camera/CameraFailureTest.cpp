// What a failed camera request means, told from the exception whichever backend raised it.

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <stdexcept>

#include "camera/CameraErrors.h"
#include "camera/CameraFailure.h"
#include "camera/platform/Result.h"

namespace {

using namespace tavelo::platform;

std::exception_ptr Raised(const std::function<void()>& raise) {
  try {
    raise();
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

std::exception_ptr PlatformFailure(Result code) {
  return Raised([code] { throw EOleSysError(QStringLiteral("driver text"), code); });
}

TEST(CameraFailureOf, TellsAGoneCameraFromNoPermissionFromOneRefusedRequest) {
  const struct {
    const char* what;
    std::exception_ptr error;
    TFCameraFailure expected;
  } cases[] = {
      {"media code: device gone", PlatformFailure(kErrorNoDevice), TFCameraFailure::cfDisconnected},
      {"ENODEV on a request", PlatformFailure(ResultFromErrno(ENODEV)), TFCameraFailure::cfDisconnected},
      {"no longer listed", Raised([] { throw EFCameraDeviceNotFound(CameraMessages::DeviceNotFound("Cam")); }),
       TFCameraFailure::cfDisconnected},
      {"EACCES at open", PlatformFailure(ResultFromOpenErrno(EACCES)), TFCameraFailure::cfNoPermission},
      {"EPERM at open", PlatformFailure(ResultFromOpenErrno(EPERM)), TFCameraFailure::cfNoPermission},
      // The same errno on a request means a locked control, not a locked camera.
      {"EACCES on a control", PlatformFailure(ResultFromErrno(EACCES)), TFCameraFailure::cfRefused},
      {"EIO on a control", PlatformFailure(ResultFromErrno(EIO)), TFCameraFailure::cfRefused},
      {"EBUSY at open", PlatformFailure(ResultFromOpenErrno(EBUSY)), TFCameraFailure::cfRefused},
      {"media code: in use", PlatformFailure(kErrorDeviceInUse), TFCameraFailure::cfRefused},
      {"component check", Raised([] { throw EFCameraError(CameraMessages::DeviceNotSelected); }),
       TFCameraFailure::cfOther},
      {"no camera error", Raised([] { throw std::runtime_error("x"); }), TFCameraFailure::cfOther},
      {"nothing", nullptr, TFCameraFailure::cfOther},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(CameraFailureOf(c.error), c.expected);
  }
}

}  // namespace
