#include "camera/platform/CapturePlatform.h"

namespace tavelo::platform {

Result CapturePlatform::CreatePropertyFrame(const PropertyFrameRequest& request) {
  if (!propertyFrameHandler_) return kNotImplemented;
  return propertyFrameHandler_(request);
}

}  // namespace tavelo::platform
