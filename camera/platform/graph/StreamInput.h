#pragma once

// The input side of the graph's own filters (sample grabber, renderers, compressors, multiplexer): the
// capture graph builder connects them to a capture pin's media type, and the filter graph delivers frames
// to InputSink() on the backend's streaming thread. Graph objects find it by dynamic_cast; backends never
// see it.

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
  // No frame follows until the next run: a filter that holds data back (an encoder's last frames) passes
  // it on now, while everything downstream still takes it.
  virtual void EndOfStream() {}

  // What an intermediate passes on when it takes `input`: the same type, unless it converts (a compressor).
  // Asked before the connection is made, so the next filter can be connected first.
  virtual Result OutputMediaType(const OwnedMediaType& input, OwnedMediaType& output) {
    output = input;
    return kOk;
  }
  // The input that takes streams of `majorType`; null when there is none. Most filters have one input for
  // whatever they accept; a multiplexer has one per kind of stream, each taking one stream.
  virtual StreamInput* InputFor(const Guid& majorType) {
    (void)majorType;
    return this;
  }
};

// The StreamInput of a graph filter; null for any other filter.
StreamInput* InputOf(const std::shared_ptr<IBaseFilter>& filter);
// The input of a graph filter for streams of `majorType`; null when it has none.
StreamInput* InputOf(const std::shared_ptr<IBaseFilter>& filter, const Guid& majorType);

// Connects `chain` (intermediate first, sink last, each with a StreamInput) to frames of `mediaType`: each
// filter is connected to what the one before passes on, the sink first so that each filter is handed the
// next one's input. Stops at the first refusal.
Result ConnectChain(const std::vector<std::shared_ptr<IBaseFilter>>& chain, const OwnedMediaType& mediaType);

}  // namespace tavelo::platform
