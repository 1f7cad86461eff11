#pragma once

// The capture pin of a V4L2 camera (CapturePin.h): its media types are the node's formats, its stream
// format is G_FMT/S_FMT with G_PARM/S_PARM, and its frames come from the mapped buffers
// (V4l2Streamer.h).

#include <memory>

#include "camera/platform/common/CapturePin.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {

class V4l2CapturePin final : public CapturePin {
 public:
  explicit V4l2CapturePin(std::shared_ptr<V4l2Device> device) : device_(std::move(device)) {}

 protected:
  Result ListMediaTypes(std::vector<OwnedMediaType>& out) override;
  Result CurrentMediaType(OwnedMediaType& out) override;
  // Takes only a media type the pin lists; answers the driver's refusal (EBUSY while another program
  // streams) rather than pretending.
  Result SelectMediaType(const AmMediaType& mediaType) override;
  Result PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) override;

 private:
  const std::shared_ptr<V4l2Device> device_;
};

}  // namespace tavelo::platform::v4l2
