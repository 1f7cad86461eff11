#pragma once

// Device enumeration of the simulated backend: the system device enumerator, the per-category moniker
// enumerator, monikers, and the property bags holding FriendlyName, DevicePath, Description and
// WaveInID. An enumeration lists the devices plugged in when it is created, in the platform's order.

#include <memory>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/simulated/SimulatedDevice.h"

namespace tavelo::platform::simulated {

class SystemDeviceEnumerator final : public ICreateDevEnum {
 public:
  explicit SystemDeviceEnumerator(std::vector<std::shared_ptr<SimulatedDevice>> devices)
      : devices_(std::move(devices)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;
  Result CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>& out, std::uint32_t flags) override;

 private:
  const std::vector<std::shared_ptr<SimulatedDevice>> devices_;
};

}  // namespace tavelo::platform::simulated
