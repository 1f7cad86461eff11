#pragma once

// Which V4L2 controls stand behind each property id of the video processing amplifier and the camera
// control. One row per property; ids without a row have no V4L2 control and answer "not supported".
// A row may name alternatives (drivers differ in which control they use for the same thing): of each
// list, the first control the driver has is the one used.

#include <cstddef>
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

inline constexpr std::size_t kMaxAlternatives = 2;

struct CompanionControl {
  std::uint32_t id = 0;  // V4L2_CID_*, 0 for none
  AutoKind kind = AutoKind::None;
};

struct PropertyMapping {
  PropertyFamily family;
  std::int32_t id;                                     // VideoProcAmp_* or CameraControl_*
  std::uint32_t valueControls[kMaxAlternatives] = {};  // V4L2_CID_*, first present wins; 0 ends the list
  CompanionControl companions[kMaxAlternatives] = {};  // automatic companions, first present wins

  // Whether `control` is one of this row's value controls or companions (a control event's concern).
  bool Names(std::uint32_t control) const;
};

std::span<const PropertyMapping> PropertyMappings();

// The row of a property id, or null when V4L2 has no control for it.
const PropertyMapping* FindPropertyMapping(PropertyFamily family, std::int32_t id);

}  // namespace tavelo::platform::v4l2
