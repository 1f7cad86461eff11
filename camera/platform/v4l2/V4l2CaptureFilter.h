#pragma once

// The camera filter a bound V4L2 camera becomes (CameraFilter.h): one capture pin, and the two property
// interfaces carried out on the camera's controls (V4l2PropertyMap, V4l2PropertyAccess), and the settings
// page's controls, which are all the driver offers (V4l2Controls), and the changes made outside this
// program (V4l2ControlEvents). V4L2 has no flash or stabilisation controls for webcams, so those
// property sets are missing. Every object it hands out shares its open node.

#include <memory>
#include <mutex>
#include <string>

#include "camera/platform/common/CameraFilter.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {

class V4l2CaptureFilter final : public CameraFilter {
 public:
  V4l2CaptureFilter(std::shared_ptr<V4l2Device> device, std::string friendlyName);

 protected:
  // RangedPropertySource
  Result GetPropertyRange(PropertyFamily family, std::int32_t id, PropertyRange& out) override;
  Result GetProperty(PropertyFamily family, std::int32_t id, std::int32_t& value, std::int32_t& flags) override;
  Result SetProperty(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags) override;
  // Every control the driver lists (V4l2Controls.h), not only those behind the property table.
  Result DescribeDeviceControls(std::vector<ControlClass>& out) override;
  Result GetDeviceControl(std::uint32_t id, std::int64_t& value) override;
  Result SetDeviceControl(std::uint32_t id, std::int64_t value) override;
  // Subscribed when first asked for, and kept for the filter's life (V4l2ControlEvents.h).
  std::shared_ptr<IControlEvents> ControlEvents() override;

 private:
  const std::shared_ptr<V4l2Device> device_;
  std::mutex eventsMutex_;
  std::shared_ptr<IControlEvents> events_;
};

}  // namespace tavelo::platform::v4l2
