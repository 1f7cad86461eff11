#include "camera/platform/graph/FilterMembership.h"

namespace tavelo::platform {

void FilterMembership::Join(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) {
  std::lock_guard lock(mutex_);
  graph_ = graph;
  inGraph_ = graph != nullptr;
  name_ = inGraph_ ? name : std::string();
  if (!inGraph_) state_ = FilterState::Stopped;
}

FilterInfo FilterMembership::Info(const std::string& nameOutsideGraph) const {
  std::lock_guard lock(mutex_);
  FilterInfo info;
  info.name = inGraph_ ? name_ : nameOutsideGraph;
  info.graph = graph_.lock();
  return info;
}

FilterState FilterMembership::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void FilterMembership::SetState(FilterState state) {
  std::lock_guard lock(mutex_);
  state_ = state;
}

}  // namespace tavelo::platform
