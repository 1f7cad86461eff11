#pragma once

// The filter of a simulated device that only has to be found and bound: the audio input and the two
// compressors. It has no pins; it joins graphs and changes state like any filter.

#include "camera/platform/Interfaces.h"
#include "camera/platform/graph/FilterMembership.h"
#include "camera/platform/simulated/DeviceObject.h"

namespace tavelo::platform::simulated {

class SimulatedPlainFilter final : public IBaseFilter, private DeviceObject {
 public:
  SimulatedPlainFilter(std::shared_ptr<SimulatedDevice> device, std::uint64_t session)
      : DeviceObject(std::move(device), session) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;
  Result EnumPins(std::shared_ptr<IEnumPins>& out) override;
  Result QueryFilterInfo(FilterInfo& out) override;
  Result JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) override;
  Result Run() override { return ChangeState(FilterState::Running); }
  Result Pause() override { return ChangeState(FilterState::Paused); }
  Result Stop() override { return ChangeState(FilterState::Stopped); }
  Result GetState(std::uint32_t timeoutMs, FilterState& out) override;

 private:
  Result ChangeState(FilterState state);

  FilterMembership membership_;
};

}  // namespace tavelo::platform::simulated
