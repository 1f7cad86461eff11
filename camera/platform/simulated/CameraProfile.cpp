#include "camera/platform/simulated/CameraProfile.h"

#include <algorithm>

namespace tavelo::platform::simulated {

std::int32_t PropertyProfile::DefaultInRange() const { return std::clamp(defaultValue, min, std::max(min, max)); }

const PropertyProfile* CameraProfile::FindProperty(PropertyFamily family, std::int32_t id) const {
  const auto it = std::find_if(properties.begin(), properties.end(),
                               [&](const PropertyProfile& p) { return p.family == family && p.id == id; });
  return it == properties.end() ? nullptr : &*it;
}

bool KsRecordAcceptable(PropertyFamily family, const KsRecordProfile& record) {
  const std::uint32_t maxMode = family == PropertyFamily::Flash ? 2 : 4;
  return record.mode <= maxMode &&
         (record.capabilities == kPropertyFlagsAuto || record.capabilities == kPropertyFlagsManual);
}

bool CameraProfile::HasFamily(PropertyFamily family) const {
  return std::any_of(properties.begin(), properties.end(),
                     [&](const PropertyProfile& p) { return p.family == family; });
}

}  // namespace tavelo::platform::simulated
