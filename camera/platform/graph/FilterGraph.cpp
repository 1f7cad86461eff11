#include "camera/platform/graph/FilterGraph.h"

#include <algorithm>

#include "camera/platform/graph/StreamInput.h"

namespace tavelo::platform {
namespace {

// Hands each frame of one capture pin to every route that starts there.
class FanOutSink final : public IFrameSink {
 public:
  explicit FanOutSink(std::vector<std::shared_ptr<IFrameSink>> targets) : targets_(std::move(targets)) {}
  void Receive(const std::shared_ptr<IMediaSample>& sample) override {
    for (const auto& target : targets_) target->Receive(sample);
  }

 private:
  const std::vector<std::shared_ptr<IFrameSink>> targets_;
};

// Routes only ever hold graph filters that have an input for the route's stream (the builder checks).
StreamInput& RouteInput(const StreamRoute& route, const std::shared_ptr<IBaseFilter>& filter) {
  return *InputOf(filter, route.majorType);
}

bool RouteUses(const StreamRoute& route, const std::shared_ptr<IBaseFilter>& filter) {
  return route.sourceFilter == filter || std::find(route.chain.begin(), route.chain.end(), filter) != route.chain.end();
}

void DisconnectRoute(const StreamRoute& route) {
  for (const auto& filter : route.chain) RouteInput(route, filter).DisconnectInput();
}

std::string UniqueName(const std::string& wanted, const std::vector<std::string>& taken) {
  const std::string base = wanted.empty() ? "Filter" : wanted;
  std::string name = base;
  for (int suffix = 1; std::find(taken.begin(), taken.end(), name) != taken.end(); ++suffix) {
    name = base + " " + std::to_string(suffix);
  }
  return name;
}

}  // namespace

FilterGraph::~FilterGraph() {
  StopStreaming();
  for (const StreamRoute& route : routes_) DisconnectRoute(route);
  for (const Entry& entry : filters_) entry.filter->JoinFilterGraph(nullptr, "");
}

Result FilterGraph::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IGraphBuilder, IMediaControl, IMediaEvent>(this, iid, out);
}

Result FilterGraph::AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) {
  if (filter == nullptr) return kNullPointer;
  std::lock_guard lock(mutex_);
  if (state_ != FilterState::Stopped) return kErrorNotStopped;
  const bool present =
      std::any_of(filters_.begin(), filters_.end(), [&](const Entry& entry) { return entry.filter == filter; });
  if (present) return kInvalidArg;
  std::vector<std::string> taken;
  for (const Entry& entry : filters_) taken.push_back(entry.name);
  const std::string uniqueName = UniqueName(name, taken);
  const auto self = std::shared_ptr<IGraphBuilder>(shared_from_this(), static_cast<IGraphBuilder*>(this));
  const Result joined = filter->JoinFilterGraph(self, uniqueName);
  if (Failed(joined)) return joined;
  filters_.push_back({filter, uniqueName});
  return kOk;
}

Result FilterGraph::RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) {
  std::lock_guard lock(mutex_);
  if (state_ != FilterState::Stopped) return kErrorNotStopped;
  const auto entry =
      std::find_if(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.filter == filter; });
  if (entry == filters_.end()) return kInvalidArg;
  for (auto route = routes_.begin(); route != routes_.end();) {
    if (RouteUses(*route, filter)) {
      DisconnectRoute(*route);
      route = routes_.erase(route);
    } else {
      ++route;
    }
  }
  filter->JoinFilterGraph(nullptr, "");  // leaving never fails in a way that matters here
  filters_.erase(entry);
  return kOk;
}

Result FilterGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>& out) {
  std::lock_guard lock(mutex_);
  out.clear();
  for (const Entry& entry : filters_) out.push_back(entry.filter);
  return kOk;
}

Result FilterGraph::Run() {
  std::vector<StreamRoute> routes;
  std::vector<Entry> filters;
  {
    std::lock_guard lock(mutex_);
    if (state_ == FilterState::Running) return kOk;
    routes = routes_;
    filters = filters_;
  }
  Result result = RefreshConnections(routes);
  if (Succeeded(result)) result = SetFilterStates(filters, FilterState::Running);
  if (Succeeded(result)) result = StartStreaming(routes);
  if (Failed(result)) {
    StopStreaming();
    SetFilterStates(filters, FilterState::Stopped);
    std::lock_guard lock(mutex_);
    state_ = FilterState::Stopped;
    return result;
  }
  std::lock_guard lock(mutex_);
  state_ = FilterState::Running;
  return kOk;
}

Result FilterGraph::Pause() { return EndStreaming(FilterState::Paused); }

Result FilterGraph::Stop() { return EndStreaming(FilterState::Stopped); }

Result FilterGraph::EndStreaming(FilterState state) {
  StopStreaming();
  std::vector<Entry> filters;
  std::vector<StreamRoute> routes;
  {
    std::lock_guard lock(mutex_);
    filters = filters_;
    routes = routes_;
  }
  // Before any filter stops: what an intermediate held back still reaches a running sink.
  for (const StreamRoute& route : routes) {
    for (std::size_t i = 0; i + 1 < route.chain.size(); ++i) RouteInput(route, route.chain[i]).EndOfStream();
  }
  const Result result = SetFilterStates(filters, state);
  // A filter of a vanished device must not keep the graph running: a stop always stops it.
  const bool stopping = state == FilterState::Stopped;
  std::lock_guard lock(mutex_);
  if (Succeeded(result) || stopping) state_ = state;
  return stopping ? kOk : result;
}

Result FilterGraph::GetState(std::int32_t, FilterState& out) {
  std::lock_guard lock(mutex_);
  out = state_;
  return kOk;
}

Result FilterGraph::StopWhenReady() { return Stop(); }

bool FilterGraph::Contains(const std::shared_ptr<IBaseFilter>& filter) const {
  std::lock_guard lock(mutex_);
  return std::any_of(filters_.begin(), filters_.end(), [&](const Entry& entry) { return entry.filter == filter; });
}

bool FilterGraph::IsStopped() const {
  std::lock_guard lock(mutex_);
  return state_ == FilterState::Stopped;
}

void FilterGraph::AddRoute(StreamRoute route) {
  std::lock_guard lock(mutex_);
  routes_.push_back(std::move(route));
}

Result FilterGraph::RefreshConnections(const std::vector<StreamRoute>& routes) {
  for (const StreamRoute& route : routes) {
    OwnedMediaType mediaType;
    Result result = route.sourcePin->GetStreamMediaType(mediaType.Receive());
    if (Succeeded(result)) result = ConnectChain(route.chain, mediaType);
    if (Failed(result)) return result;
  }
  return kOk;
}

Result FilterGraph::StartStreaming(const std::vector<StreamRoute>& routes) {
  std::vector<std::pair<std::shared_ptr<IFrameSource>, std::vector<std::shared_ptr<IFrameSink>>>> pins;
  for (const StreamRoute& route : routes) {
    auto pin = std::find_if(pins.begin(), pins.end(), [&](const auto& p) { return p.first == route.sourcePin; });
    if (pin == pins.end()) pin = pins.emplace(pins.end(), route.sourcePin, std::vector<std::shared_ptr<IFrameSink>>{});
    pin->second.push_back(RouteInput(route, route.chain.front()).InputSink());
  }
  for (auto& [pin, sinks] : pins) {
    std::shared_ptr<IFrameSink> sink =
        sinks.size() == 1 ? sinks.front() : std::make_shared<FanOutSink>(std::move(sinks));
    const Result result = pin->StartStreaming(std::move(sink));
    if (Failed(result)) return result;
    std::lock_guard lock(mutex_);
    streamingPins_.push_back(pin);
  }
  return kOk;
}

void FilterGraph::StopStreaming() {
  std::vector<std::shared_ptr<IFrameSource>> pins;
  {
    std::lock_guard lock(mutex_);
    pins.swap(streamingPins_);
  }
  for (const auto& pin : pins) pin->StopStreaming();
}

Result FilterGraph::SetFilterStates(const std::vector<Entry>& filters, FilterState state) {
  Result first = kOk;
  for (const Entry& entry : filters) {
    Result result = kOk;
    switch (state) {
      case FilterState::Running: result = entry.filter->Run(); break;
      case FilterState::Paused: result = entry.filter->Pause(); break;
      case FilterState::Stopped: result = entry.filter->Stop(); break;
    }
    if (Failed(result) && Succeeded(first)) first = result;
    if (Failed(result) && state != FilterState::Stopped) return result;
  }
  return first;
}

}  // namespace tavelo::platform
