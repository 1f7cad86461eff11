#include "camera/platform/v4l2/V4l2PropertyAccess.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <optional>
#include <span>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::platform::v4l2 {
namespace {

// The two controls behind a property; either may be missing, not both.
struct ResolvedProperty {
  std::optional<V4l2ControlInfo> value;
  std::optional<V4l2ControlInfo> companion;
  AutoKind kind = AutoKind::None;
};

// The first of `candidates` the driver has; an error other than "no such control" stops the search.
Result FindFirstPresent(V4l2Device& device, std::span<const std::uint32_t> candidates, bool askDriver,
                        std::optional<V4l2ControlInfo>& found, std::size_t& index) {
  found.reset();
  for (index = 0; index < candidates.size() && candidates[index] != 0; ++index) {
    V4l2ControlInfo info;
    const Result r = device.QueryControl(candidates[index], info, askDriver);
    if (Succeeded(r)) {
      found = info;
      return kOk;
    }
    if (r != kErrorNotFound) return r;
  }
  return kOk;
}

// Get and Set use what the driver said before: the controls of a node do not change, and a slider move
// should cost only the ioctls that read and write values. GetRange asks again (`askDriver`), so reading a
// range also tells whether the camera is still there.
Result Resolve(V4l2Device& device, const PropertyMapping& mapping, ResolvedProperty& out, bool askDriver = false) {
  out = ResolvedProperty{};
  std::size_t index = 0;
  if (const Result r = FindFirstPresent(device, mapping.valueControls, askDriver, out.value, index); Failed(r))
    return r;

  std::array<std::uint32_t, kMaxAlternatives> companionIds{};
  std::ranges::transform(mapping.companions, companionIds.begin(), &CompanionControl::id);
  if (const Result r = FindFirstPresent(device, companionIds, askDriver, out.companion, index); Failed(r)) return r;
  if (out.companion) out.kind = mapping.companions[index].kind;

  if (!out.value && !out.companion) return kErrorNotFound;
  return kOk;
}

bool MenuOffers(const V4l2ControlInfo& info, std::int32_t index) {
  if (!info.menuIndices.empty()) return info.OffersMenuIndex(index);
  return index >= info.minimum && index <= info.maximum;
}

bool CompanionIsAutomatic(AutoKind kind, std::int32_t companionValue) {
  if (kind == AutoKind::ExposureMenu)
    return companionValue == V4L2_EXPOSURE_AUTO || companionValue == V4L2_EXPOSURE_APERTURE_PRIORITY;
  return companionValue != 0;
}

// The companion value that puts the property into the wanted mode, if the companion offers one. For
// exposure, aperture priority is preferred to full auto (it leaves the iris alone, and it is the
// automatic mode webcams offer), and manual to shutter priority.
std::optional<std::int32_t> CompanionValue(AutoKind kind, const V4l2ControlInfo& companion, bool automatic) {
  if (companion.ReadOnly()) return std::nullopt;
  if (kind != AutoKind::ExposureMenu) return automatic ? 1 : 0;
  const std::array<std::int32_t, 2> preferred =
      automatic ? std::array<std::int32_t, 2>{V4L2_EXPOSURE_APERTURE_PRIORITY, V4L2_EXPOSURE_AUTO}
                : std::array<std::int32_t, 2>{V4L2_EXPOSURE_MANUAL, V4L2_EXPOSURE_SHUTTER_PRIORITY};
  for (std::int32_t mode : preferred)
    if (MenuOffers(companion, mode)) return mode;
  return std::nullopt;
}

std::int32_t ToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// Puts the companion into the wanted mode unless it is there already.
Result SwitchCompanion(V4l2Device& device, const ResolvedProperty& property, bool automatic) {
  std::int32_t current = 0;
  if (const Result r = device.GetControl(property.companion->id, current); Failed(r)) return r;
  if (CompanionIsAutomatic(property.kind, current) == automatic) return kOk;
  const auto wanted = CompanionValue(property.kind, *property.companion, automatic);
  if (!wanted) return kInvalidArg;
  return device.SetControl(property.companion->id, *wanted);
}

}  // namespace

Result GetProperty(V4l2Device& device, const PropertyMapping& mapping, std::int32_t& value, std::int32_t& flags) {
  ResolvedProperty property;
  if (const Result r = Resolve(device, mapping, property); Failed(r)) return r;

  std::int32_t mode = kPropertyFlagsManual;
  if (property.companion) {
    std::int32_t companionValue = 0;
    if (const Result r = device.GetControl(property.companion->id, companionValue); Failed(r)) return r;
    if (CompanionIsAutomatic(property.kind, companionValue)) mode = kPropertyFlagsAuto;
  }
  // Without a readable value control (only the automatic switch exists) the value is 0.
  std::int32_t current = 0;
  if (property.value && !property.value->WriteOnly()) {
    if (const Result r = device.GetControl(property.value->id, current); Failed(r)) return r;
  }
  value = current;
  flags = mode;
  return kOk;
}

Result SetProperty(V4l2Device& device, const PropertyMapping& mapping, std::int32_t value, std::int32_t flags) {
  if (flags != kPropertyFlagsAuto && flags != kPropertyFlagsManual) return kInvalidArg;
  ResolvedProperty property;
  if (const Result r = Resolve(device, mapping, property); Failed(r)) return r;

  if (flags == kPropertyFlagsAuto) {
    // The camera chooses the value itself; writing one now would be refused.
    if (!property.companion || !CompanionValue(property.kind, *property.companion, true)) return kInvalidArg;
    return SwitchCompanion(device, property, true);
  }

  if (property.value && property.value->ReadOnly()) return ResultFromErrno(EACCES);
  if (property.companion) {
    if (const Result r = SwitchCompanion(device, property, false); Failed(r)) return r;
  }
  if (!property.value) return kOk;  // only the automatic switch exists, and it is off now
  return device.SetControl(property.value->id, value);
}

Result GetPropertyRange(V4l2Device& device, const PropertyMapping& mapping, PropertyRange& range) {
  ResolvedProperty property;
  if (const Result r = Resolve(device, mapping, property, true); Failed(r)) return r;

  range = PropertyRange{};
  if (property.value) {
    range.min = ToInt32(property.value->minimum);
    range.max = ToInt32(property.value->maximum);
    range.step = std::max<std::int32_t>(1, ToInt32(static_cast<std::int64_t>(
                                               std::min<std::uint64_t>(property.value->step, INT32_MAX))));
    range.defaultValue = ToInt32(property.value->defaultValue);
  }
  if (property.companion && CompanionValue(property.kind, *property.companion, true)) range.capsFlags |= kPropertyFlagsAuto;
  const bool manualReachable = !property.companion || CompanionValue(property.kind, *property.companion, false).has_value();
  if (property.value && !property.value->ReadOnly() && manualReachable) range.capsFlags |= kPropertyFlagsManual;
  return kOk;
}

}  // namespace tavelo::platform::v4l2
