#pragma once

// Base of every object the simulated backend hands out for a device: it remembers the device and the
// session the object was made in, and routes each call through the device's admission (unplugged
// device, injected faults, removed interfaces).

#include <memory>
#include <optional>

#include "camera/platform/Interfaces.h"
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
