#pragma once

// The input side of the graph's own filters (sample grabber, renderers): the capture graph builder
// connects them to a capture pin's media type, and the filter graph delivers frames to InputSink() on
// the backend's streaming thread. Graph objects find it by dynamic_cast; backends never see it.

#include <memory>
#include <vector>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/OwnedMediaType.h"

namespace tavelo::platform {

class StreamInput {
 public:
  virtual ~StreamInput() = default;

  // True for a filter that passes frames on (an intermediate), false for one that ends the stream.
  virtual bool HasOutput() const = 0;
  // Takes frames of `mediaType` from now on, passing them to `downstream` when it has an output.
  // Replaces an earlier connection. Fails when the filter cannot handle the type.
  virtual Result ConnectInput(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) = 0;
  virtual void DisconnectInput() = 0;
  virtual bool InputConnected() const = 0;
  virtual std::shared_ptr<IFrameSink> InputSink() = 0;
};

// The StreamInput of a graph filter; null for any other filter.
StreamInput* InputOf(const std::shared_ptr<IBaseFilter>& filter);

// Connects `chain` (intermediate first, sink last, each with a StreamInput) to frames of `mediaType`,
// the sink first so that each filter is handed the next one's input. Stops at the first refusal.
Result ConnectChain(const std::vector<std::shared_ptr<IBaseFilter>>& chain, const OwnedMediaType& mediaType);

}  // namespace tavelo::platform
