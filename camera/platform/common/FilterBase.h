#pragma once

// IBaseFilter as every filter of this layer keeps it, the camera filters of each backend and the graph's
// own filters alike: its pins, the graph it is in (held weakly: the graph owns its filters, not the
// other way round), the name it was added under, and its state. The state is bookkeeping for the graph;
// frames flow when the graph starts a capture pin's stream.
//
// A backend's filter refuses calls through AdmitFilterCall (a camera that has gone, a scripted fault)
// and hears of a stop and of leaving its graph through the two hooks. Leaving a graph is never refused,
// so a graph can always drop a camera that has gone away.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/Enumerators.h"

namespace tavelo::platform {

enum class FilterCall { EnumPins, QueryFilterInfo, JoinGraph, ChangeState, GetState };

class FilterBase : public IBaseFilter {
 public:
  Result EnumPins(std::shared_ptr<IEnumPins>& out) final;
  // The name the graph gave the filter, or the name outside a graph while it is in none.
  Result QueryFilterInfo(FilterInfo& out) final;
  Result JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) final;
  Result Run() final;
  Result Pause() final;
  Result Stop() final;
  Result GetState(std::uint32_t timeoutMs, FilterState& out) final;

 protected:
  FilterBase(std::string nameOutsideGraph, std::vector<std::shared_ptr<IPin>> pins);

  virtual Result AdmitFilterCall(FilterCall call);
  // Asked before each step of a pin enumeration.
  virtual EnumeratorGate PinGate();
  // Before a stop is recorded; a camera filter ends its pin's stream there.
  virtual void OnStop() {}
  // Before any change of state is recorded (after OnStop for a stop); a failure refuses a run or a
  // pause, never a stop. A file writer opens its file on a run here.
  virtual Result OnStateChange(FilterState state) {
    (void)state;
    return kOk;
  }
  virtual void OnLeftGraph() {}

 private:
  Result ChangeState(FilterState state);

  const std::string nameOutsideGraph_;
  const std::vector<std::shared_ptr<IPin>> pins_;
  mutable std::mutex mutex_;
  std::weak_ptr<IGraphBuilder> graph_;
  std::string nameInGraph_;
  bool inGraph_ = false;
  FilterState state_ = FilterState::Stopped;
};

}  // namespace tavelo::platform
