#pragma once

// The filter of a simulated camera, as binding its moniker gives it: the shape every camera filter has
// (CameraFilter.h), with the profile's properties and records behind it. A profile without properties
// of a family has no interface for it, like a driver without that property set. Every call goes
// through the device's admission, so tests can unplug the camera or script a failure of any of them.

#include <memory>

#include "camera/platform/common/CameraFilter.h"
#include "camera/platform/simulated/DeviceObject.h"

namespace tavelo::platform::simulated {

class SimulatedCameraFilter final : public CameraFilter, private DeviceObject {
 public:
  SimulatedCameraFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session);

 protected:
  Result AdmitFilterCall(FilterCall call) override { return AdmitFilter(call); }
  EnumeratorGate PinGate() override { return PresenceGate(); }
  Result AdmitInterface(Iid iid) override { return device_->AdmitInterface(session_, iid); }
  bool HasPropertyFamily(PropertyFamily family) override { return device_->Profile()->HasFamily(family); }
  Result AdmitCameraCall(CameraCall call, std::optional<PropertyFamily> family, std::uint32_t id) override;
  Result GetKsRecord(PropertyFamily family, KsRecord& out) override { return device_->GetKsRecord(family, out); }
  Result SetKsRecord(PropertyFamily family, const KsRecord& record) override {
    return device_->SetKsRecord(family, record);
  }

  // RangedPropertySource
  Result GetPropertyRange(PropertyFamily family, std::int32_t id, PropertyRange& out) override;
  Result GetProperty(PropertyFamily family, std::int32_t id, std::int32_t& value, std::int32_t& flags) override;
  Result SetProperty(PropertyFamily family, std::int32_t id, std::int32_t value, std::int32_t flags) override;
};

}  // namespace tavelo::platform::simulated
