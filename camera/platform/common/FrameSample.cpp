#include "camera/platform/common/FrameSample.h"

namespace tavelo::platform {

void DeliverFrame(IFrameSink& sink, std::vector<std::uint8_t> bytes, double sampleTime) {
  try {
    sink.Receive(std::make_shared<FrameSample>(std::move(bytes), sampleTime));
  } catch (...) {
    // The sink's own failure; the stream goes on with the next frame.
  }
}

}  // namespace tavelo::platform
