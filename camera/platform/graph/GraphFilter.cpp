#include "camera/platform/graph/GraphFilter.h"

#include "camera/platform/graph/GraphPin.h"

namespace tavelo::platform {
namespace {

std::vector<std::shared_ptr<IPin>> PinsOf(const std::shared_ptr<InputConnection>& connection, bool hasOutput) {
  const auto connectedType = [connection] { return connection->MediaType(); };
  std::vector<std::shared_ptr<IPin>> pins{std::make_shared<GraphPin>(PinDirection::Input, "In", connectedType)};
  if (hasOutput) pins.push_back(std::make_shared<GraphPin>(PinDirection::Output, "Out", connectedType));
  return pins;
}

}  // namespace

void InputConnection::Connect(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) {
  OwnedMediaType copy(mediaType);
  const bool copied = copy.Get().pbFormat != nullptr || mediaType.Get().pbFormat == nullptr;
  std::lock_guard lock(mutex_);
  mediaType_ = copied ? std::optional<OwnedMediaType>(std::move(copy)) : std::nullopt;
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

GraphFilter::GraphFilter(std::string defaultName, bool hasOutput, std::shared_ptr<InputConnection> connection)
    : FilterBase(std::move(defaultName), PinsOf(connection, hasOutput)),
      hasOutput_(hasOutput),
      connection_(std::move(connection)) {}

Result GraphFilter::ConnectInput(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) {
  const Result accepted = AcceptsInput(mediaType.Get());
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
