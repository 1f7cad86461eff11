#pragma once

// The filter of a simulated device that only has to be found and bound: the two compressors.
// It has no pins; it joins graphs and changes state like any filter.

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/FilterBase.h"
#include "camera/platform/simulated/DeviceObject.h"

namespace tavelo::platform::simulated {

class SimulatedFilter final : public FilterBase, private DeviceObject {
 public:
  SimulatedFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
      : FilterBase(device->Identity().friendlyName, {}), DeviceObject(std::move(device), session) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerDeviceInterfaces<IBaseFilter>(this, iid, out);
  }

 protected:
  Result AdmitFilterCall(FilterCall call) override { return AdmitFilter(call); }
};

}  // namespace tavelo::platform::simulated
