#include "camera/platform/simulated/PropertyNames.h"

#include "camera/platform/common/RangedPropertyNames.h"
#include "camera/platform/simulated/TextUtil.h"

namespace tavelo::platform::simulated {

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
  for (const auto& entry : kRangedPropertyNames) {
    const std::string_view family = FamilyName(entry.family);
    if (qualifiedName.size() == family.size() + 1 + entry.key.size() && qualifiedName[family.size()] == '.' &&
        EqualsIgnoreCase(qualifiedName.substr(0, family.size()), family) &&
        EqualsIgnoreCase(qualifiedName.substr(family.size() + 1), entry.key)) {
      return PropertyKey{entry.family, entry.id};
    }
  }
  return std::nullopt;
}

std::string PropertyName(PropertyFamily family, std::int32_t id) {
  for (const auto& entry : kRangedPropertyNames) {
    if (entry.family == family && entry.id == id) {
      return std::string(FamilyName(family)) + "." + std::string(entry.key);
    }
  }
  return "";
}

}  // namespace tavelo::platform::simulated
