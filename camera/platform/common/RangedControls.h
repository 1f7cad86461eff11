#pragma once

// The properties of a camera filter's two property interfaces, described as device controls
// (IDeviceControls): what a backend without a richer control model of its own offers the settings page.
// A property with an automatic mode becomes an "Auto" switch followed by its value control, which is
// inactive while the switch is on, the way drivers list such pairs.

#include <cstdint>
#include <functional>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/RangedProperties.h"

namespace tavelo::platform {

// `hasFamily` says which property interfaces the filter answers; the others are left out.
Result DescribeRangedControls(RangedPropertySource& source, const std::function<bool(PropertyFamily)>& hasFamily,
                              std::vector<ControlClass>& out);
Result GetRangedControl(RangedPropertySource& source, std::uint32_t id, std::int64_t& value);
Result SetRangedControl(RangedPropertySource& source, std::uint32_t id, std::int64_t value);

}  // namespace tavelo::platform
