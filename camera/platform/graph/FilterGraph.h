#pragma once

// The filter graph: holds its filters and the stream routes the capture graph builder made, and drives
// them. Run starts every routed capture pin (each pin once, its frames fanned out to all routes from
// it), Pause and Stop end streaming and wait for the streaming threads, so once they return no frame
// is delivered any more. Dropping the last reference stops everything too.
//
// Graph control is meant for one thread at a time (the user-interface thread); it never holds its lock
// while waiting for a streaming thread, so frame callbacks may query the graph.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

// One connection from a capture pin through the graph's own filters (intermediate first, sink last).
struct StreamRoute {
  std::shared_ptr<IBaseFilter> sourceFilter;  // may be null when the route was made from a bare pin
  std::shared_ptr<IFrameSource> sourcePin;
  std::vector<std::shared_ptr<IBaseFilter>> chain;
  Guid majorType;  // of the pin's stream: which input of each filter the route takes
};

class FilterGraph final : public IGraphBuilder, public IMediaControl, public IMediaEvent {
 public:
  ~FilterGraph() override;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // IGraphBuilder: adding or removing filters needs a stopped graph. Removing a filter drops the
  // routes through it.
  Result AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) override;
  Result RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) override;
  Result EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>& out) override;

  // IMediaControl
  Result Run() override;
  Result Pause() override;
  Result Stop() override;
  Result GetState(std::int32_t timeoutMs, FilterState& out) override;
  Result StopWhenReady() override;

  // For the capture graph builder.
  bool Contains(const std::shared_ptr<IBaseFilter>& filter) const;
  bool IsStopped() const;
  void AddRoute(StreamRoute route);

 private:
  struct Entry {
    std::shared_ptr<IBaseFilter> filter;
    std::string name;
  };

  // Connects every route again with its pin's current media type (the format may have changed since
  // the route was made).
  Result RefreshConnections(const std::vector<StreamRoute>& routes);
  Result StartStreaming(const std::vector<StreamRoute>& routes);
  void StopStreaming();
  // Pause and Stop: streaming ends, then the filters hear of `state`.
  Result EndStreaming(FilterState state);
  Result SetFilterStates(const std::vector<Entry>& filters, FilterState state);

  mutable std::mutex mutex_;
  std::vector<Entry> filters_;
  std::vector<StreamRoute> routes_;
  std::vector<std::shared_ptr<IFrameSource>> streamingPins_;
  FilterState state_ = FilterState::Stopped;
};

}  // namespace tavelo::platform
