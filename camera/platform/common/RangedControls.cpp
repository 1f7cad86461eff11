#include "camera/platform/common/RangedControls.h"

#include <array>
#include <limits>
#include <optional>
#include <string>

#include "camera/platform/common/RangedPropertyNames.h"

namespace tavelo::platform {
namespace {

using F = PropertyFamily;

// The power-line frequency is a choice, not a number; its values are the property's own.
constexpr std::array<const char*, 4> kFrequencyItems = {"Disabled", "50 Hz", "60 Hz", "Auto"};

// A control id packs the property: family in bits 8..11, property id in bits 1..7, bit 0 set for the
// property's automatic switch. Property ids are below 64, so the packing never collides.
constexpr std::uint32_t kAutoSwitchBit = 1;
constexpr std::uint32_t FamilyBits(PropertyFamily family) { return family == F::VideoProcAmp ? 0x100u : 0x200u; }

std::uint32_t ControlId(PropertyFamily family, std::int32_t id, bool autoSwitch) {
  return FamilyBits(family) | (static_cast<std::uint32_t>(id) << 1) | (autoSwitch ? kAutoSwitchBit : 0u);
}

struct Decoded {
  PropertyFamily family;
  std::int32_t id;
  bool autoSwitch;
};

std::optional<Decoded> Decode(std::uint32_t controlId) {
  const std::uint32_t family = controlId & 0xF00u;
  if (family != FamilyBits(F::VideoProcAmp) && family != FamilyBits(F::CameraControl)) return std::nullopt;
  if ((controlId & ~0xFFFu) != 0) return std::nullopt;
  return Decoded{family == FamilyBits(F::VideoProcAmp) ? F::VideoProcAmp : F::CameraControl,
                 static_cast<std::int32_t>((controlId & 0xFEu) >> 1), (controlId & kAutoSwitchBit) != 0};
}

const char* ClassName(PropertyFamily family) {
  return family == F::VideoProcAmp ? "User Controls" : "Camera Controls";
}

ControlDescription ValueControl(const RangedPropertyName& entry, const PropertyRange& range, bool automatic) {
  ControlDescription control;
  control.id = ControlId(entry.family, entry.id, false);
  control.name = std::string(entry.label);
  control.minimum = range.min;
  control.maximum = range.max;
  control.step = range.step;
  control.defaultValue = range.defaultValue;
  if (entry.family == F::VideoProcAmp && entry.id == VideoProcAmp_PowerLineFrequency) {
    control.type = ControlType::Menu;
    for (std::int64_t index = 0; index < static_cast<std::int64_t>(kFrequencyItems.size()); ++index)
      if (index >= range.min && index <= range.max) control.menu.push_back({index, kFrequencyItems[index]});
  } else if (range.min == 0 && range.max == 1) {
    control.type = ControlType::Boolean;
  }
  if ((range.capsFlags & kPropertyFlagsManual) == 0) control.flags |= kControlReadOnly;
  if (automatic) control.flags |= kControlInactive;
  return control;
}

ControlDescription AutoSwitch(const RangedPropertyName& entry, const PropertyRange& range) {
  ControlDescription control;
  control.id = ControlId(entry.family, entry.id, true);
  control.type = ControlType::Boolean;
  control.name = std::string(entry.label) + ", Auto";
  control.maximum = 1;
  control.defaultValue = 1;
  // Without a manual mode the switch cannot be turned off.
  if ((range.capsFlags & kPropertyFlagsManual) == 0) control.flags |= kControlReadOnly;
  return control;
}

}  // namespace

Result DescribeRangedControls(RangedPropertySource& source, const std::function<bool(PropertyFamily)>& hasFamily,
                              std::vector<ControlClass>& out) {
  out.clear();
  for (const PropertyFamily family : {F::VideoProcAmp, F::CameraControl}) {
    if (!hasFamily(family)) continue;
    ControlClass group{ClassName(family), {}};
    for (const RangedPropertyName& entry : kRangedPropertyNames) {
      if (entry.family != family) continue;
      PropertyRange range;
      Result r = source.GetPropertyRange(family, entry.id, range);
      if (r == kErrorNotFound || r == kErrorSetNotFound) continue;
      if (Failed(r)) return r;
      std::int32_t value = 0;
      std::int32_t flags = 0;
      if (r = source.GetProperty(family, entry.id, value, flags); Failed(r)) return r;
      const bool automatic = (flags & kPropertyFlagsAuto) != 0;
      if ((range.capsFlags & kPropertyFlagsAuto) != 0) group.controls.push_back(AutoSwitch(entry, range));
      // A property with a step of 0 has no values, only its automatic switch.
      if (range.step != 0) group.controls.push_back(ValueControl(entry, range, automatic));
    }
    if (!group.controls.empty()) out.push_back(std::move(group));
  }
  return kOk;
}

Result GetRangedControl(RangedPropertySource& source, std::uint32_t id, std::int64_t& value) {
  const auto decoded = Decode(id);
  if (!decoded) return kErrorNotFound;
  std::int32_t current = 0;
  std::int32_t flags = 0;
  if (const Result r = source.GetProperty(decoded->family, decoded->id, current, flags); Failed(r)) return r;
  value = decoded->autoSwitch ? ((flags & kPropertyFlagsAuto) != 0 ? 1 : 0) : current;
  return kOk;
}

Result SetRangedControl(RangedPropertySource& source, std::uint32_t id, std::int64_t value) {
  const auto decoded = Decode(id);
  if (!decoded) return kErrorNotFound;
  if (!decoded->autoSwitch) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
      return kInvalidArg;
    return source.SetProperty(decoded->family, decoded->id, static_cast<std::int32_t>(value), kPropertyFlagsManual);
  }
  // The switch keeps the value the property holds; only the mode changes.
  std::int32_t current = 0;
  std::int32_t flags = 0;
  if (const Result r = source.GetProperty(decoded->family, decoded->id, current, flags); Failed(r)) return r;
  return source.SetProperty(decoded->family, decoded->id, current, value != 0 ? kPropertyFlagsAuto : kPropertyFlagsManual);
}

}  // namespace tavelo::platform
