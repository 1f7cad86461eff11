#pragma once

// How a simulated camera's property values change its picture. Each property is judged against its own
// range and default, so the same value means the same thing on every profile: at the default the
// picture is neutral, towards the ends of the range the effect grows.
//
// Focus, sharpness and roll are accepted by the driver but leave the picture as it is.

#include <vector>

#include "camera/platform/simulated/CameraProfile.h"
#include "camera/platform/simulated/SimulatedTypes.h"
#include "camera/platform/simulated/TestPattern.h"

namespace tavelo::platform::simulated {

// `states` holds the live state of each of profile.properties, in the same order.
PictureAdjustments PictureFromProperties(const CameraProfile& profile, const std::vector<PropertyState>& states);

}  // namespace tavelo::platform::simulated
