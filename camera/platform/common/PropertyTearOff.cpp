#include "camera/platform/common/PropertyTearOff.h"

namespace tavelo::platform {
namespace {

template <class Interface, PropertyFamily kFamily>
class PropertyTearOff final : public Interface {
 public:
  PropertyTearOff(std::shared_ptr<Unknown> owner, RangedPropertySource& source)
      : owner_(std::move(owner)), source_(source) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override { return owner_->QueryInterface(iid, out); }

  Result GetRange(std::int32_t property, std::int32_t& min, std::int32_t& max, std::int32_t& delta,
                  std::int32_t& defaultValue, std::int32_t& capsFlags) override {
    PropertyRange range;
    const Result result = source_.GetPropertyRange(kFamily, property, range);
    if (Failed(result)) return result;
    min = range.min;
    max = range.max;
    delta = range.step;
    defaultValue = range.defaultValue;
    capsFlags = range.capsFlags;
    return result;
  }

  Result Get(std::int32_t property, std::int32_t& value, std::int32_t& flags) override {
    return source_.GetProperty(kFamily, property, value, flags);
  }

  Result Set(std::int32_t property, std::int32_t value, std::int32_t flags) override {
    return source_.SetProperty(kFamily, property, value, flags);
  }

 private:
  const std::shared_ptr<Unknown> owner_;  // keeps `source_` alive
  RangedPropertySource& source_;
};

}  // namespace

bool IsPropertyInterface(Iid iid) { return iid == Iid::AMVideoProcAmp || iid == Iid::AMCameraControl; }

PropertyFamily PropertyFamilyOf(Iid iid) {
  return iid == Iid::AMCameraControl ? PropertyFamily::CameraControl : PropertyFamily::VideoProcAmp;
}

Result MakePropertyTearOff(Iid iid, const std::shared_ptr<Unknown>& owner, RangedPropertySource& source,
                           std::shared_ptr<void>& out) {
  out.reset();
  if (iid == Iid::AMVideoProcAmp) {
    out = std::static_pointer_cast<IAMVideoProcAmp>(
        std::make_shared<PropertyTearOff<IAMVideoProcAmp, PropertyFamily::VideoProcAmp>>(owner, source));
  } else if (iid == Iid::AMCameraControl) {
    out = std::static_pointer_cast<IAMCameraControl>(
        std::make_shared<PropertyTearOff<IAMCameraControl, PropertyFamily::CameraControl>>(owner, source));
  } else {
    return kNoInterface;
  }
  return kOk;
}

}  // namespace tavelo::platform
