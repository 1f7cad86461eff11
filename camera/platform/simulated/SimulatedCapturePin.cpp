#include "camera/platform/simulated/SimulatedCapturePin.h"

#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/simulated/FrameStreamer.h"

namespace tavelo::platform::simulated {

Result SimulatedCapturePin::ListMediaTypes(std::vector<OwnedMediaType>& out) {
  out = device_->MediaTypes();
  return kOk;
}

Result SimulatedCapturePin::CurrentMediaType(OwnedMediaType& out) {
  const auto& types = device_->MediaTypes();
  if (types.empty()) return kErrorInvalidMediaType;
  out = types[device_->CurrentFormatIndex()];
  return kOk;
}

Result SimulatedCapturePin::PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) {
  OwnedMediaType current;
  if (const Result r = CurrentMediaType(current); Failed(r)) return r;
  const auto layout = FrameLayoutOf(current.Get());
  if (!layout) return kErrorInvalidMediaType;
  return PrepareFrameStream(device_, session_, *layout, std::move(sink), work);
}

}  // namespace tavelo::platform::simulated
