#pragma once

// Base of every object the simulated backend hands out for a device: it remembers the device and the
// session the object was made in, and routes each call through the device's admission (unplugged
// device, injected faults, removed interfaces).

#include <memory>
#include <optional>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/CapturePin.h"
#include "camera/platform/common/Enumerators.h"
#include "camera/platform/common/FilterBase.h"
#include "camera/platform/simulated/SimulatedDevice.h"

namespace tavelo::platform::simulated {

class DeviceObject {
 protected:
  DeviceObject(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
      : device_(std::move(device)), session_(session) {}

  Result Admit(SimulatedCall call, std::optional<PropertyFamily> family = std::nullopt,
               std::optional<std::int32_t> id = std::nullopt) const {
    return device_->Admit(session_, call, family, id);
  }

  // The admission of a filter's IBaseFilter calls. Joining a graph and reading the state only ask
  // whether the device is there; tests do not script them.
  Result AdmitFilter(FilterCall call) const {
    switch (call) {
      case FilterCall::EnumPins: return Admit(SimulatedCall::EnumPins);
      case FilterCall::QueryFilterInfo: return Admit(SimulatedCall::QueryFilterInfo);
      case FilterCall::ChangeState: return Admit(SimulatedCall::StateChange);
      case FilterCall::JoinGraph:
      case FilterCall::GetState: return device_->CheckPresent(session_);
    }
    return kUnexpected;
  }

  // The admission of a capture pin's calls. The graph asking for the stream's type, and a pin describing
  // itself, are not scripted.
  Result AdmitPin(PinCall call, std::uint32_t propertyId) const {
    const auto id = static_cast<std::int32_t>(propertyId);
    switch (call) {
      case PinCall::Describe:
      case PinCall::StreamMediaType: return device_->CheckPresent(session_);
      case PinCall::EnumMediaTypes: return Admit(SimulatedCall::EnumMediaTypes);
      case PinCall::KsGet: return Admit(SimulatedCall::KsGet, std::nullopt, id);
      case PinCall::KsSet: return Admit(SimulatedCall::KsSet, std::nullopt, id);
      case PinCall::GetFormat: return Admit(SimulatedCall::GetFormat);
      case PinCall::SetFormat: return Admit(SimulatedCall::SetFormat);
      case PinCall::StartStreaming: return Admit(SimulatedCall::StartStreaming);
      case PinCall::GetPages: return Admit(SimulatedCall::GetPages);
    }
    return kUnexpected;
  }

  // For the enumerators the object hands out: they fail once the device is gone.
  EnumeratorGate PresenceGate() const {
    return [device = device_, session = session_] { return device->CheckPresent(session); };
  }

  // QueryInterface through the admission, then AnswerInterfaces<Is...>.
  template <class... Is, class Self>
  Result AnswerDeviceInterfaces(Self* self, Iid iid, std::shared_ptr<void>& out) const {
    out.reset();
    const Result admitted = device_->AdmitInterface(session_, iid);
    if (Failed(admitted)) return admitted;
    return AnswerInterfaces<Is...>(self, iid, out);
  }

  const std::shared_ptr<SimulatedDevice> device_;
  const std::uint64_t session_;
};

}  // namespace tavelo::platform::simulated
