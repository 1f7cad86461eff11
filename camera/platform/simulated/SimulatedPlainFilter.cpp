#include "camera/platform/simulated/SimulatedPlainFilter.h"

#include "camera/platform/graph/Enumerators.h"

namespace tavelo::platform::simulated {

Result SimulatedPlainFilter::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerDeviceInterfaces<IBaseFilter>(this, iid, out);
}

Result SimulatedPlainFilter::EnumPins(std::shared_ptr<IEnumPins>& out) {
  out.reset();
  const Result admitted = Admit(SimulatedCall::EnumPins);
  if (Failed(admitted)) return admitted;
  out = std::make_shared<PinEnumerator>(std::vector<std::shared_ptr<IPin>>{});
  return kOk;
}

Result SimulatedPlainFilter::QueryFilterInfo(FilterInfo& out) {
  const Result admitted = Admit(SimulatedCall::QueryFilterInfo);
  if (Failed(admitted)) return admitted;
  out = membership_.Info(device_->Identity().friendlyName);
  return kOk;
}

Result SimulatedPlainFilter::JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) {
  if (graph != nullptr) {
    const Result present = device_->CheckPresent(session_);
    if (Failed(present)) return present;
  }
  membership_.Join(graph, name);
  return kOk;
}

Result SimulatedPlainFilter::GetState(std::uint32_t, FilterState& out) {
  const Result present = device_->CheckPresent(session_);
  if (Succeeded(present)) out = membership_.State();
  return present;
}

Result SimulatedPlainFilter::ChangeState(FilterState state) {
  const Result admitted = Admit(SimulatedCall::StateChange);
  if (Failed(admitted)) return admitted;
  membership_.SetState(state);
  return kOk;
}

}  // namespace tavelo::platform::simulated
