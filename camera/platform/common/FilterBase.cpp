#include "camera/platform/common/FilterBase.h"

namespace tavelo::platform {

FilterBase::FilterBase(std::string nameOutsideGraph, std::vector<std::shared_ptr<IPin>> pins)
    : nameOutsideGraph_(std::move(nameOutsideGraph)), pins_(std::move(pins)) {}

Result FilterBase::AdmitFilterCall(FilterCall) { return kOk; }

EnumeratorGate FilterBase::PinGate() { return {}; }

Result FilterBase::EnumPins(std::shared_ptr<IEnumPins>& out) {
  out.reset();
  const Result admitted = AdmitFilterCall(FilterCall::EnumPins);
  if (Failed(admitted)) return admitted;
  out = std::make_shared<PinEnumerator>(pins_, PinGate());
  return kOk;
}

Result FilterBase::QueryFilterInfo(FilterInfo& out) {
  const Result admitted = AdmitFilterCall(FilterCall::QueryFilterInfo);
  if (Failed(admitted)) return admitted;
  std::lock_guard lock(mutex_);
  out.name = inGraph_ ? nameInGraph_ : nameOutsideGraph_;
  out.graph = graph_.lock();
  return kOk;
}

Result FilterBase::JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) {
  if (graph != nullptr) {
    const Result admitted = AdmitFilterCall(FilterCall::JoinGraph);
    if (Failed(admitted)) return admitted;
  }
  {
    std::lock_guard lock(mutex_);
    graph_ = graph;
    inGraph_ = graph != nullptr;
    nameInGraph_ = inGraph_ ? name : std::string();
    if (!inGraph_) state_ = FilterState::Stopped;
  }
  if (graph == nullptr) OnLeftGraph();
  return kOk;
}

Result FilterBase::ChangeState(FilterState state) {
  const Result admitted = AdmitFilterCall(FilterCall::ChangeState);
  if (Failed(admitted)) return admitted;
  if (state == FilterState::Stopped) OnStop();
  const Result changed = OnStateChange(state);
  if (Failed(changed) && state != FilterState::Stopped) return changed;
  std::lock_guard lock(mutex_);
  state_ = state;
  return kOk;
}

Result FilterBase::Run() { return ChangeState(FilterState::Running); }
Result FilterBase::Pause() { return ChangeState(FilterState::Paused); }
Result FilterBase::Stop() { return ChangeState(FilterState::Stopped); }

Result FilterBase::GetState(std::uint32_t, FilterState& out) {
  const Result admitted = AdmitFilterCall(FilterCall::GetState);
  if (Failed(admitted)) return admitted;
  std::lock_guard lock(mutex_);
  out = state_;
  return kOk;
}

}  // namespace tavelo::platform
