#pragma once

// The names profile files give the property ids of the two property interfaces, e.g.
// "VideoProcAmp.WhiteBalance" or "CameraControl.Focus".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "camera/platform/simulated/SimulatedTypes.h"

namespace tavelo::platform::simulated {

struct PropertyKey {
  PropertyFamily family = PropertyFamily::VideoProcAmp;
  std::int32_t id = 0;
};

// "VideoProcAmp.Brightness" -> {VideoProcAmp, 0}; nothing for an unknown name. Letter case is
// ignored, as INI names are.
std::optional<PropertyKey> PropertyKeyFromName(std::string_view qualifiedName);
// {CameraControl, 6} -> "CameraControl.Focus"; "" for an id without a name.
std::string PropertyName(PropertyFamily family, std::int32_t id);
// "VideoProcAmp", "CameraControl", "Flash", "VideoStabilization".
std::string_view FamilyName(PropertyFamily family);

}  // namespace tavelo::platform::simulated
