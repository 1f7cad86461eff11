#pragma once

// The filter of a simulated camera, as binding its moniker gives it.
//
// It answers IAMVideoProcAmp and IAMCameraControl each with a new tear-off object (their property ids
// overlap, so one object cannot be both); a tear-off keeps the filter alive and answers every other
// query through it. A profile without properties of a family has no interface for it, like a driver
// without that property set. Flash and video stabilisation are kernel-streaming property sets of the
// filter itself, with the 8-byte record of mode word and capability word.
//
// QueryFilterInfo answers the name the filter was added to a graph under, and the camera's friendly
// name while it is in no graph.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/graph/FilterMembership.h"
#include "camera/platform/simulated/DeviceObject.h"
#include "camera/platform/simulated/SimulatedCapturePin.h"

namespace tavelo::platform::simulated {

class SimulatedCameraFilter final : public IBaseFilter,
                                    public IKsPropertySet,
                                    public ISpecifyPropertyPages,
                                    public IAMVideoControl,
                                    private DeviceObject {
 public:
  SimulatedCameraFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session);

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // IBaseFilter
  Result EnumPins(std::shared_ptr<IEnumPins>& out) override;
  Result QueryFilterInfo(FilterInfo& out) override;
  Result JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) override;
  Result Run() override;
  Result Pause() override;
  Result Stop() override;
  Result GetState(std::uint32_t timeoutMs, FilterState& out) override;

  // IKsPropertySet: flash and video stabilisation
  Result Get(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) override;
  Result Set(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             const void* propertyData, std::uint32_t dataLength) override;

  // ISpecifyPropertyPages
  Result GetPages(std::vector<Guid>& pages) override;

 private:
  Result ChangeState(FilterState state);

  const std::shared_ptr<SimulatedCapturePin> capturePin_;
  FilterMembership membership_;
};

}  // namespace tavelo::platform::simulated
