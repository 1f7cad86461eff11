#include "camera/platform/graph/GraphFilter.h"

#include "camera/platform/graph/Enumerators.h"
#include "camera/platform/graph/GraphPin.h"

namespace tavelo::platform {

void InputConnection::Connect(const AmMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) {
  AmMediaType copy;
  const bool copied = Succeeded(CopyMediaType(copy, mediaType));
  OwnedMediaType owned(std::move(copy));
  std::lock_guard lock(mutex_);
  mediaType_ = copied ? std::optional<OwnedMediaType>(std::move(owned)) : std::nullopt;
  downstream_ = copied ? std::move(downstream) : nullptr;
}

void InputConnection::Disconnect() {
  std::lock_guard lock(mutex_);
  mediaType_.reset();
  downstream_.reset();
}

bool InputConnection::Connected() const {
  std::lock_guard lock(mutex_);
  return mediaType_.has_value();
}

std::optional<OwnedMediaType> InputConnection::MediaType() const {
  std::lock_guard lock(mutex_);
  return mediaType_;
}

std::shared_ptr<IFrameSink> InputConnection::Downstream() const {
  std::lock_guard lock(mutex_);
  return downstream_;
}

GraphFilter::GraphFilter(std::string defaultName, bool hasOutput)
    : defaultName_(std::move(defaultName)), hasOutput_(hasOutput) {
  const auto connectedType = [connection = connection_] { return connection->MediaType(); };
  pins_.push_back(std::make_shared<GraphPin>(PinDirection::Input, "In", connectedType));
  if (hasOutput_) pins_.push_back(std::make_shared<GraphPin>(PinDirection::Output, "Out", connectedType));
}

Result GraphFilter::EnumPins(std::shared_ptr<IEnumPins>& out) {
  out = std::make_shared<PinEnumerator>(pins_);
  return kOk;
}

Result GraphFilter::QueryFilterInfo(FilterInfo& out) {
  out = membership_.Info(defaultName_);
  return kOk;
}

Result GraphFilter::JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) {
  membership_.Join(graph, name);
  if (graph == nullptr) DisconnectInput();
  return kOk;
}

Result GraphFilter::Run() {
  membership_.SetState(FilterState::Running);
  return kOk;
}

Result GraphFilter::Pause() {
  membership_.SetState(FilterState::Paused);
  return kOk;
}

Result GraphFilter::Stop() {
  membership_.SetState(FilterState::Stopped);
  return kOk;
}

Result GraphFilter::GetState(std::uint32_t, FilterState& out) {
  out = membership_.State();
  return kOk;
}

Result GraphFilter::ConnectInput(const AmMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) {
  const Result accepted = AcceptsInput(mediaType);
  if (Failed(accepted)) return accepted;
  connection_->Connect(mediaType, hasOutput_ ? std::move(downstream) : nullptr);
  if (!connection_->Connected()) return kOutOfMemory;
  OnConnectionChanged(connection_->MediaType());
  return kOk;
}

void GraphFilter::DisconnectInput() {
  connection_->Disconnect();
  OnConnectionChanged(std::nullopt);
}

std::shared_ptr<IFrameSink> GraphFilter::InputSink() {
  return std::shared_ptr<IFrameSink>(shared_from_this(), static_cast<IFrameSink*>(this));
}

}  // namespace tavelo::platform
