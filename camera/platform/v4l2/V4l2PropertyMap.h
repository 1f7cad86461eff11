#pragma once

// Which V4L2 controls stand behind each property id of the video processing amplifier and the camera
// control. One row per property; ids without a row have no V4L2 control and answer "not supported".

#include <cstdint>
#include <span>

#include "camera/platform/common/RangedProperties.h"

namespace tavelo::platform::v4l2 {

// How the automatic companion of a value control is driven.
enum class AutoKind {
  None,          // the property is always manual
  Boolean,       // 1 automatic, 0 manual
  ExposureMenu,  // V4L2_CID_EXPOSURE_AUTO: auto and aperture priority are automatic, manual and shutter priority manual
};

struct PropertyMapping {
  PropertyFamily family;
  std::int32_t id;             // VideoProcAmp_* or CameraControl_*
  std::uint32_t valueControl;  // V4L2_CID_*
  std::uint32_t autoControl;   // V4L2_CID_* of the automatic companion, 0 for none
  AutoKind autoKind;
};

std::span<const PropertyMapping> PropertyMappings();

// The row of a property id, or null when V4L2 has no control for it.
const PropertyMapping* FindPropertyMapping(PropertyFamily family, std::int32_t id);

}  // namespace tavelo::platform::v4l2
