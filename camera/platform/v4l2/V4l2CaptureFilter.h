#pragma once

// The camera filter a bound V4L2 camera becomes: one capture pin, the two property interfaces as
// tear-offs, and no kernel-streaming property sets (V4L2 has no flash or stabilisation controls for
// webcams). Every object it hands out shares its open node.

#include <memory>
#include <mutex>
#include <string>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2CapturePin.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {

class V4l2CaptureFilter final : public IBaseFilter, public IKsPropertySet, public ISpecifyPropertyPages {
 public:
  V4l2CaptureFilter(std::shared_ptr<V4l2Device> device, std::string friendlyName);

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // IBaseFilter
  Result EnumPins(std::shared_ptr<IEnumPins>& out) override;
  Result QueryFilterInfo(FilterInfo& out) override;
  Result JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) override;
  Result Run() override;
  Result Pause() override;
  Result Stop() override;
  Result GetState(std::uint32_t timeoutMs, FilterState& out) override;

  // IKsPropertySet: the flash and stabilisation sets, which V4L2 lacks.
  Result Get(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) override;
  Result Set(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             const void* propertyData, std::uint32_t dataLength) override;

  // V4L2 drivers bring no dialogs of their own: the settings page built on the property interfaces
  // stands in for one.
  Result GetPages(std::vector<Guid>& pages) override;

 private:
  std::shared_ptr<V4l2Device> device_;
  std::string friendlyName_;
  std::shared_ptr<V4l2CapturePin> pin_;

  std::mutex mutex_;
  std::weak_ptr<IGraphBuilder> graph_;  // the graph holds the filter, not the other way round
  std::string nameInGraph_;
  FilterState state_ = FilterState::Stopped;
};

}  // namespace tavelo::platform::v4l2
