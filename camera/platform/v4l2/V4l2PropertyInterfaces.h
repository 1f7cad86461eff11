#pragma once

// The camera filter's two property interfaces. Their ids overlap (0 is brightness on one, pan on the
// other), so each is an object of its own sharing the filter's open node.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2Device.h"
#include "camera/platform/v4l2/V4l2PropertyAccess.h"
#include "camera/platform/v4l2/V4l2PropertyMap.h"

namespace tavelo::platform::v4l2 {

template <class Interface, PropertyFamily Family>
class V4l2PropertyTearOff final : public Interface {
 public:
  explicit V4l2PropertyTearOff(std::shared_ptr<V4l2Device> device) : device_(std::move(device)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<Interface>(this, iid, out);
  }

  Result GetRange(std::int32_t property, std::int32_t& min, std::int32_t& max, std::int32_t& delta,
                  std::int32_t& defaultValue, std::int32_t& capsFlags) override {
    const PropertyMapping* mapping = FindPropertyMapping(Family, property);
    if (mapping == nullptr) return kErrorNotFound;
    PropertyRange range;
    const Result r = GetPropertyRange(*device_, *mapping, range);
    if (Failed(r)) return r;
    min = range.min;
    max = range.max;
    delta = range.step;
    defaultValue = range.defaultValue;
    capsFlags = range.capsFlags;
    return r;
  }

  Result Get(std::int32_t property, std::int32_t& value, std::int32_t& flags) override {
    const PropertyMapping* mapping = FindPropertyMapping(Family, property);
    return mapping == nullptr ? kErrorNotFound : GetProperty(*device_, *mapping, value, flags);
  }

  Result Set(std::int32_t property, std::int32_t value, std::int32_t flags) override {
    const PropertyMapping* mapping = FindPropertyMapping(Family, property);
    return mapping == nullptr ? kErrorNotFound : SetProperty(*device_, *mapping, value, flags);
  }

 private:
  std::shared_ptr<V4l2Device> device_;
};

using V4l2VideoProcAmp = V4l2PropertyTearOff<IAMVideoProcAmp, PropertyFamily::VideoProcAmp>;
using V4l2CameraControl = V4l2PropertyTearOff<IAMCameraControl, PropertyFamily::CameraControl>;

}  // namespace tavelo::platform::v4l2
