#include "app/CameraTestRules.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include "camera/platform/Result.h"

namespace {

constexpr std::int64_t kUnitsPerMillisecond = 10000;  // 100 ns units

}  // namespace

int FrameClockInterval(std::int64_t avgTimePerFrame) {
  if (avgTimePerFrame < kUnitsPerMillisecond) return 0;
  return static_cast<int>(
      std::min<std::int64_t>(avgTimePerFrame / kUnitsPerMillisecond, std::numeric_limits<int>::max()));
}

QString CameraTestCaption(const QString& cameraText, const QString& formatText) {
  return cameraText + QStringLiteral(" @ ") + formatText;
}

QString CameraInUseNotice(const QString& cameraText) {
  return cameraText + QStringLiteral(" used in another app. Change settings here, observe results there!");
}

bool MeansStreamingElsewhere(std::int32_t resultCode) {
  using namespace tavelo::platform;
  const auto result = static_cast<Result>(resultCode);
  return result == kErrorNotStopped || result == kErrorDeviceInUse || result == ResultFromErrno(EBUSY);
}
