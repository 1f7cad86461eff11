#pragma once

// Common ground of the graph's own filters (sample grabber, null renderer, windowless renderer): the
// IBaseFilter bookkeeping, an input pin (and an output pin for intermediates), and the input
// connection that the capture graph builder makes.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/graph/FilterMembership.h"
#include "camera/platform/graph/OwnedMediaType.h"
#include "camera/platform/graph/StreamInput.h"

namespace tavelo::platform {

// The media type and downstream of a filter's input; shared with the filter's pins, which may outlive it.
class InputConnection {
 public:
  void Connect(const AmMediaType& mediaType, std::shared_ptr<IFrameSink> downstream);
  void Disconnect();
  bool Connected() const;
  std::optional<OwnedMediaType> MediaType() const;
  std::shared_ptr<IFrameSink> Downstream() const;

 private:
  mutable std::mutex mutex_;
  std::optional<OwnedMediaType> mediaType_;
  std::shared_ptr<IFrameSink> downstream_;
};

class GraphFilter : public IBaseFilter, public StreamInput, public IFrameSink {
 public:
  // IBaseFilter
  Result EnumPins(std::shared_ptr<IEnumPins>& out) override;
  Result QueryFilterInfo(FilterInfo& out) override;
  Result JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) override;
  Result Run() override;
  Result Pause() override;
  Result Stop() override;
  Result GetState(std::uint32_t timeoutMs, FilterState& out) override;

  // StreamInput (ConnectInput checks the type in AcceptsInput first)
  bool HasOutput() const override { return hasOutput_; }
  Result ConnectInput(const AmMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) override;
  void DisconnectInput() override;
  bool InputConnected() const override { return connection_->Connected(); }
  std::shared_ptr<IFrameSink> InputSink() override;

 protected:
  GraphFilter(std::string defaultName, bool hasOutput);

  // kOk when the filter can take frames of `mediaType`.
  virtual Result AcceptsInput(const AmMediaType& mediaType) = 0;
  // Told after each change of the connection (with the new type, or nothing when disconnected).
  virtual void OnConnectionChanged(const std::optional<OwnedMediaType>& mediaType) { (void)mediaType; }

  const std::shared_ptr<InputConnection>& Connection() const { return connection_; }

 private:
  const std::string defaultName_;
  const bool hasOutput_;
  const std::shared_ptr<InputConnection> connection_ = std::make_shared<InputConnection>();
  std::vector<std::shared_ptr<IPin>> pins_;
  FilterMembership membership_;
};

}  // namespace tavelo::platform
