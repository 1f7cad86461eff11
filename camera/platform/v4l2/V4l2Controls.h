#pragma once

// Every control a V4L2 node offers, for the camera settings page (IDeviceControls): not only the ones
// behind the property table, but all the driver lists, under the driver's names and grouped by the
// driver's control classes.

#include <cstdint>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {

// Walks the controls with VIDIOC_QUERY_EXT_CTRL and V4L2_CTRL_FLAG_NEXT_CTRL (VIDIOC_QUERYCTRL on drivers
// that predate it), menus with VIDIOC_QUERYMENU. Types the page cannot set (strings, bitmasks, compound
// controls) are left out, and so are disabled controls.
Result DescribeV4l2Controls(V4l2Device& device, std::vector<ControlClass>& out);
// 64-bit controls through G/S_EXT_CTRLS, every other type through G/S_CTRL.
Result GetV4l2Control(V4l2Device& device, std::uint32_t id, std::int64_t& value);
Result SetV4l2Control(V4l2Device& device, std::uint32_t id, std::int64_t value);

}  // namespace tavelo::platform::v4l2
