#include "camera/platform/simulated/PropertyNames.h"

#include <array>

#include "camera/platform/simulated/TextUtil.h"

namespace tavelo::platform::simulated {
namespace {

struct NamedProperty {
  PropertyFamily family;
  std::int32_t id;
  std::string_view name;
};

constexpr std::array kNamedProperties{
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, "Brightness"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_Contrast, "Contrast"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_Hue, "Hue"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_Saturation, "Saturation"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_Sharpness, "Sharpness"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_Gamma, "Gamma"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_ColorEnable, "ColorEnable"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_WhiteBalance, "WhiteBalance"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_BacklightCompensation, "BacklightCompensation"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_Gain, "Gain"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_DigitalMultiplier, "DigitalMultiplier"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_DigitalMultiplierLimit, "DigitalMultiplierLimit"},
    NamedProperty{PropertyFamily::VideoProcAmp, VideoProcAmp_PowerLineFrequency, "PowerLineFrequency"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_Pan, "Pan"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_Tilt, "Tilt"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_Roll, "Roll"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_Zoom, "Zoom"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_Exposure, "Exposure"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_Iris, "Iris"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_Focus, "Focus"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_ScanMode, "ScanMode"},
    NamedProperty{PropertyFamily::CameraControl, CameraControl_FocalLength, "FocalLength"},
};

}  // namespace

std::string_view FamilyName(PropertyFamily family) {
  switch (family) {
    case PropertyFamily::VideoProcAmp: return "VideoProcAmp";
    case PropertyFamily::CameraControl: return "CameraControl";
    case PropertyFamily::Flash: return "Flash";
    case PropertyFamily::VideoStabilization: return "VideoStabilization";
  }
  return "";
}

std::optional<PropertyKey> PropertyKeyFromName(std::string_view qualifiedName) {
  for (const auto& entry : kNamedProperties) {
    const std::string_view family = FamilyName(entry.family);
    if (qualifiedName.size() == family.size() + 1 + entry.name.size() && qualifiedName[family.size()] == '.' &&
        EqualsIgnoreCase(qualifiedName.substr(0, family.size()), family) &&
        EqualsIgnoreCase(qualifiedName.substr(family.size() + 1), entry.name)) {
      return PropertyKey{entry.family, entry.id};
    }
  }
  return std::nullopt;
}

std::string PropertyName(PropertyFamily family, std::int32_t id) {
  for (const auto& entry : kNamedProperties) {
    if (entry.family == family && entry.id == id) {
      return std::string(FamilyName(family)) + "." + std::string(entry.name);
    }
  }
  return "";
}

}  // namespace tavelo::platform::simulated
