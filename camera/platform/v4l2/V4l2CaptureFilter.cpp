#include "camera/platform/v4l2/V4l2CaptureFilter.h"

#include "camera/platform/v4l2/V4l2CapturePin.h"
#include "camera/platform/v4l2/V4l2ControlEvents.h"
#include "camera/platform/v4l2/V4l2Controls.h"
#include "camera/platform/v4l2/V4l2PropertyAccess.h"
#include "camera/platform/v4l2/V4l2PropertyMap.h"

namespace tavelo::platform::v4l2 {

V4l2CaptureFilter::V4l2CaptureFilter(std::shared_ptr<V4l2Device> device, std::string friendlyName)
    : CameraFilter(std::move(friendlyName), std::make_shared<V4l2CapturePin>(device)), device_(std::move(device)) {}

Result V4l2CaptureFilter::GetPropertyRange(PropertyFamily family, std::int32_t id, PropertyRange& out) {
  const PropertyMapping* mapping = FindPropertyMapping(family, id);
  return mapping == nullptr ? kErrorNotFound : v4l2::GetPropertyRange(*device_, *mapping, out);
}

Result V4l2CaptureFilter::GetProperty(PropertyFamily family, std::int32_t id, std::int32_t& value,
                                      std::int32_t& flags) {
  const PropertyMapping* mapping = FindPropertyMapping(family, id);
  return mapping == nullptr ? kErrorNotFound : v4l2::GetProperty(*device_, *mapping, value, flags);
}

Result V4l2CaptureFilter::SetProperty(PropertyFamily family, std::int32_t id, std::int32_t value,
                                      std::int32_t flags) {
  const PropertyMapping* mapping = FindPropertyMapping(family, id);
  return mapping == nullptr ? kErrorNotFound : v4l2::SetProperty(*device_, *mapping, value, flags);
}

Result V4l2CaptureFilter::DescribeDeviceControls(std::vector<ControlClass>& out) {
  return DescribeV4l2Controls(*device_, out);
}

Result V4l2CaptureFilter::GetDeviceControl(std::uint32_t id, std::int64_t& value) {
  return GetV4l2Control(*device_, id, value);
}

Result V4l2CaptureFilter::SetDeviceControl(std::uint32_t id, std::int64_t value) {
  return SetV4l2Control(*device_, id, value);
}

std::shared_ptr<IControlEvents> V4l2CaptureFilter::ControlEvents() {
  const std::lock_guard lock(eventsMutex_);
  if (!events_) events_ = std::make_shared<V4l2ControlEvents>(device_);
  return events_;
}

}  // namespace tavelo::platform::v4l2
