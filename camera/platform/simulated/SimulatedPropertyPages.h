#pragma once

// The property pages the simulated objects name (ISpecifyPropertyPages). A property frame shows them
// for the object it is given: the camera filter's page holds its image and lens properties, the capture
// pin's page its video formats.

#include "platform/Guid.h"

namespace tavelo::platform::simulated {

inline constexpr Guid kCameraSettingsPage{0xEBE444A8, 0xCCBF, 0x4934, {0xB1, 0xA5, 0x85, 0xFF, 0x32, 0xFA, 0x79, 0x09}};
inline constexpr Guid kStreamFormatPage{0xF54A52AD, 0xB2D1, 0x4539, {0xB0, 0xD5, 0xC7, 0xD2, 0x92, 0xBD, 0xDA, 0x0F}};

}  // namespace tavelo::platform::simulated
