#pragma once

// The properties of the two ranged interfaces, in id order, with the two names each goes by: `key` in
// profile files ("VideoProcAmp.WhiteBalance") and `label` where a person reads it ("White Balance").

#include <array>
#include <cstdint>
#include <string_view>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/RangedProperties.h"

namespace tavelo::platform {

struct RangedPropertyName {
  PropertyFamily family;
  std::int32_t id;
  std::string_view key;
  std::string_view label;
};

inline constexpr std::array kRangedPropertyNames = {
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, "Brightness", "Brightness"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_Contrast, "Contrast", "Contrast"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_Hue, "Hue", "Hue"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_Saturation, "Saturation", "Saturation"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_Sharpness, "Sharpness", "Sharpness"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_Gamma, "Gamma", "Gamma"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_ColorEnable, "ColorEnable", "Colour Enable"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_WhiteBalance, "WhiteBalance", "White Balance"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_BacklightCompensation, "BacklightCompensation",
                       "Backlight Compensation"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_Gain, "Gain", "Gain"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_DigitalMultiplier, "DigitalMultiplier",
                       "Digital Multiplier"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_DigitalMultiplierLimit, "DigitalMultiplierLimit",
                       "Digital Multiplier Limit"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_WhiteBalanceComponent, "WhiteBalanceComponent",
                       "White Balance Component"},
    RangedPropertyName{PropertyFamily::VideoProcAmp, VideoProcAmp_PowerLineFrequency, "PowerLineFrequency",
                       "Power Line Frequency"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_Pan, "Pan", "Pan"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_Tilt, "Tilt", "Tilt"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_Roll, "Roll", "Roll"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_Zoom, "Zoom", "Zoom"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_Exposure, "Exposure", "Exposure"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_Iris, "Iris", "Iris"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_Focus, "Focus", "Focus"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_ScanMode, "ScanMode", "Scan Mode"},
    RangedPropertyName{PropertyFamily::CameraControl, CameraControl_FocalLength, "FocalLength", "Focal Length"},
};

}  // namespace tavelo::platform
