#pragma once

// Get, Set and GetRange of one property on a camera, in the component's model (a value plus flags 1
// automatic / 2 manual), carried out on the property's V4L2 value control and its automatic companion.
//
// The order of writes is the one uvcvideo needs: a value control is inactive while its companion is
// automatic, and newer kernels refuse writes to inactive controls. So a manual write turns the companion
// off first, and nothing writes a value while the companion is on.

#include <cstdint>

#include "camera/platform/Result.h"
#include "camera/platform/common/RangedProperties.h"
#include "camera/platform/v4l2/V4l2Device.h"
#include "camera/platform/v4l2/V4l2PropertyMap.h"

namespace tavelo::platform::v4l2 {

Result GetProperty(V4l2Device& device, const PropertyMapping& mapping, std::int32_t& value, std::int32_t& flags);
Result SetProperty(V4l2Device& device, const PropertyMapping& mapping, std::int32_t value, std::int32_t flags);
Result GetPropertyRange(V4l2Device& device, const PropertyMapping& mapping, PropertyRange& range);

}  // namespace tavelo::platform::v4l2
