#pragma once

// IControlEvents of a V4L2 camera: control events (V4L2_EVENT_CTRL) subscribed on the camera's open node
// for every control behind a property, value and automatic companion alike. The kernel leaves out the
// changes made through the same node, so whatever arrives was changed by another program or by the
// camera itself.

#include <memory>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {

class V4l2ControlEvents final : public IControlEvents {
 public:
  // Subscribes at once: changes made from then on are kept by the kernel until they are taken.
  explicit V4l2ControlEvents(std::shared_ptr<V4l2Device> device);
  ~V4l2ControlEvents() override;
  V4l2ControlEvents(const V4l2ControlEvents&) = delete;
  V4l2ControlEvents& operator=(const V4l2ControlEvents&) = delete;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;
  // A driver without control events (or a node that did not open) answers kNotImplemented.
  Result GetEventWait(int& fd, short& pollEvents) override;
  Result TakeChangedProperties(std::vector<ChangedProperty>& out) override;

 private:
  const std::shared_ptr<V4l2Device> device_;
  bool subscribed_ = false;  // at least one control accepted the subscription
};

}  // namespace tavelo::platform::v4l2
