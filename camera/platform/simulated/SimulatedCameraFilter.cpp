#include "camera/platform/simulated/SimulatedCameraFilter.h"

#include "camera/platform/simulated/SimulatedCapturePin.h"

namespace tavelo::platform::simulated {

SimulatedCameraFilter::SimulatedCameraFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
    : CameraFilter(device->Identity().friendlyName, std::make_shared<SimulatedCapturePin>(device, session)),
      DeviceObject(std::move(device), session) {}

Result SimulatedCameraFilter::AdmitCameraCall(CameraCall call, std::optional<PropertyFamily> family,
                                              std::uint32_t id) {
  switch (call) {
    case CameraCall::KsGet: return Admit(SimulatedCall::KsGet, family, static_cast<std::int32_t>(id));
    case CameraCall::KsSet: return Admit(SimulatedCall::KsSet, family, static_cast<std::int32_t>(id));
    case CameraCall::GetPages: return Admit(SimulatedCall::GetPages);
  }
  return kUnexpected;
}

Result SimulatedCameraFilter::GetPropertyRange(PropertyFamily family, std::int32_t id, PropertyRange& out) {
  const Result admitted = Admit(SimulatedCall::GetRange, family, id);
  if (Failed(admitted)) return admitted;
  return device_->GetPropertyRange(family, id, out);
}

Result SimulatedCameraFilter::GetProperty(PropertyFamily family, std::int32_t id, std::int32_t& value,
                                          std::int32_t& flags) {
  const Result admitted = Admit(SimulatedCall::Get, family, id);
  if (Failed(admitted)) return admitted;
  PropertyState state;
  const Result result = device_->GetProperty(family, id, state);
  if (Succeeded(result)) {
    value = state.value;
    flags = state.flags;
  }
  return result;
}

Result SimulatedCameraFilter::SetProperty(PropertyFamily family, std::int32_t id, std::int32_t value,
                                          std::int32_t flags) {
  const Result admitted = Admit(SimulatedCall::Set, family, id);
  if (Failed(admitted)) return admitted;
  return device_->SetProperty(family, id, value, flags);
}

}  // namespace tavelo::platform::simulated
