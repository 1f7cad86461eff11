#pragma once

// The input side of the graph's own filters (sample grabber, renderers): the capture graph builder
// connects them to a capture pin's media type, and the filter graph delivers frames to InputSink() on
// the backend's streaming thread. Graph objects find it by dynamic_cast; backends never see it.

#include <memory>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

class StreamInput {
 public:
  virtual ~StreamInput() = default;

  // True for a filter that passes frames on (an intermediate), false for one that ends the stream.
  virtual bool HasOutput() const = 0;
  // Takes frames of `mediaType` from now on, passing them to `downstream` when it has an output.
  // Replaces an earlier connection. Fails when the filter cannot handle the type.
  virtual Result ConnectInput(const AmMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) = 0;
  virtual void DisconnectInput() = 0;
  virtual bool InputConnected() const = 0;
  virtual std::shared_ptr<IFrameSink> InputSink() = 0;
};

}  // namespace tavelo::platform
