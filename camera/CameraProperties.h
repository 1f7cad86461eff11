#pragma once

// The camera's adjustable properties, written once: every family (value, Auto, Range, Supported) and
// every caller (rows, settings file, factory defaults) is driven from this table.

#include <array>
#include <cstdint>
#include <string_view>

#include "camera/platform/Interfaces.h"

// X(Name, Interface, Id): Interface is VideoProcAmp or CameraControl.
#define TAVELO_CAMERA_RANGED_PROPERTIES(X)                                   \
  X(Brightness, VideoProcAmp, tavelo::platform::VideoProcAmp_Brightness)     \
  X(Contrast, VideoProcAmp, tavelo::platform::VideoProcAmp_Contrast)         \
  X(Hue, VideoProcAmp, tavelo::platform::VideoProcAmp_Hue)                   \
  X(Saturation, VideoProcAmp, tavelo::platform::VideoProcAmp_Saturation)     \
  X(Sharpness, VideoProcAmp, tavelo::platform::VideoProcAmp_Sharpness)       \
  X(Gamma, VideoProcAmp, tavelo::platform::VideoProcAmp_Gamma)               \
  X(ColorEnable, VideoProcAmp, tavelo::platform::VideoProcAmp_ColorEnable)   \
  X(WhiteBalance, VideoProcAmp, tavelo::platform::VideoProcAmp_WhiteBalance) \
  X(BacklightCompensation, VideoProcAmp, tavelo::platform::VideoProcAmp_BacklightCompensation) \
  X(Gain, VideoProcAmp, tavelo::platform::VideoProcAmp_Gain)                 \
  X(DigitalMultiplier, VideoProcAmp, tavelo::platform::VideoProcAmp_DigitalMultiplier) \
  X(DigitalMultiplierLimit, VideoProcAmp, tavelo::platform::VideoProcAmp_DigitalMultiplierLimit) \
  X(Pan, CameraControl, tavelo::platform::CameraControl_Pan)                 \
  X(Tilt, CameraControl, tavelo::platform::CameraControl_Tilt)               \
  X(Roll, CameraControl, tavelo::platform::CameraControl_Roll)               \
  X(Zoom, CameraControl, tavelo::platform::CameraControl_Zoom)               \
  X(Exposure, CameraControl, tavelo::platform::CameraControl_Exposure)       \
  X(Iris, CameraControl, tavelo::platform::CameraControl_Iris)               \
  X(Focus, CameraControl, tavelo::platform::CameraControl_Focus)

enum class TFCameraProperty {
#define TAVELO_PROPERTY_ENUM(Name, Interface, Id) Name,
  TAVELO_CAMERA_RANGED_PROPERTIES(TAVELO_PROPERTY_ENUM)
#undef TAVELO_PROPERTY_ENUM
};

enum class TFPropertyInterface { VideoProcAmp, CameraControl };

struct TFPropertyInfo {
  TFCameraProperty Property;
  std::string_view Name;
  TFPropertyInterface Interface;
  std::int32_t Id;
};

inline constexpr std::array kCameraProperties = {
#define TAVELO_PROPERTY_INFO(Name, Interface, Id) \
  TFPropertyInfo{TFCameraProperty::Name, #Name, TFPropertyInterface::Interface, Id},
    TAVELO_CAMERA_RANGED_PROPERTIES(TAVELO_PROPERTY_INFO)
#undef TAVELO_PROPERTY_INFO
};

inline constexpr const TFPropertyInfo& PropertyInfo(TFCameraProperty property) {
  return kCameraProperties[static_cast<std::size_t>(property)];
}
