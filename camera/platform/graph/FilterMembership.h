#pragma once

// What every filter keeps for the graph: which graph it is in (held weakly: the graph owns its
// filters, not the other way round), the name it was added under, and its state.

#include <memory>
#include <mutex>
#include <string>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

class FilterMembership {
 public:
  void Join(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name);
  // The name the graph gave the filter, or `nameOutsideGraph` while it is in none.
  FilterInfo Info(const std::string& nameOutsideGraph) const;
  FilterState State() const;
  void SetState(FilterState state);

 private:
  mutable std::mutex mutex_;
  std::weak_ptr<IGraphBuilder> graph_;
  std::string name_;
  bool inGraph_ = false;
  FilterState state_ = FilterState::Stopped;
};

}  // namespace tavelo::platform
