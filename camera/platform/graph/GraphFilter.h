#pragma once

// Common ground of the graph's own filters (sample grabber, null renderer, windowless renderer): an
// input pin (and an output pin for intermediates), and the input connection that the capture graph
// builder makes. Leaving the graph drops the connection.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/FilterBase.h"
#include "camera/platform/common/OwnedMediaType.h"
#include "camera/platform/graph/StreamInput.h"

namespace tavelo::platform {

// The media type and downstream of a filter's input; shared with the filter's pins, which may outlive it.
class InputConnection {
 public:
  void Connect(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink> downstream);
  void Disconnect();
  bool Connected() const;
  std::optional<OwnedMediaType> MediaType() const;
  std::shared_ptr<IFrameSink> Downstream() const;

 private:
  mutable std::mutex mutex_;
  std::optional<OwnedMediaType> mediaType_;
  std::shared_ptr<IFrameSink> downstream_;
};

class GraphFilter : public FilterBase, public StreamInput, public IFrameSink {
 public:
  // StreamInput (ConnectInput checks the type in AcceptsInput first)
  bool HasOutput() const override { return hasOutput_; }
  Result ConnectInput(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) override;
  void DisconnectInput() override;
  bool InputConnected() const override { return connection_->Connected(); }
  std::shared_ptr<IFrameSink> InputSink() override;

 protected:
  GraphFilter(std::string defaultName, bool hasOutput)
      : GraphFilter(std::move(defaultName), hasOutput, std::make_shared<InputConnection>()) {}

  // kOk when the filter can take frames of `mediaType`.
  virtual Result AcceptsInput(const AmMediaType& mediaType) = 0;
  // Told after each change of the connection (with the new type, or nothing when disconnected).
  virtual void OnConnectionChanged(const std::optional<OwnedMediaType>& mediaType) { (void)mediaType; }
  void OnLeftGraph() override { DisconnectInput(); }

  const std::shared_ptr<InputConnection>& Connection() const { return connection_; }

 private:
  GraphFilter(std::string defaultName, bool hasOutput, std::shared_ptr<InputConnection> connection);

  const bool hasOutput_;
  const std::shared_ptr<InputConnection> connection_;
};

}  // namespace tavelo::platform
