#include "camera/platform/v4l2/V4l2CapturePin.h"

#include <cstring>

#include "camera/platform/v4l2/V4l2Formats.h"
#include "camera/platform/v4l2/V4l2Streamer.h"

namespace tavelo::platform::v4l2 {

Result V4l2CapturePin::ListMediaTypes(std::vector<OwnedMediaType>& out) {
  std::vector<V4l2FrameMode> modes;
  if (const Result r = EnumerateFrameModes(*device_, modes); Failed(r)) return r;
  out.clear();
  out.reserve(modes.size());
  for (const V4l2FrameMode& mode : modes) out.push_back(MediaTypeFromMode(mode));
  return kOk;
}

Result V4l2CapturePin::CurrentMediaType(OwnedMediaType& out) {
  V4l2FrameMode mode;
  std::uint32_t sizeImage = 0;
  if (const Result r = CurrentFrameMode(*device_, mode, sizeImage); Failed(r)) return r;
  out = MediaTypeFromMode(mode, sizeImage);
  return out.Get().pbFormat != nullptr ? kOk : kOutOfMemory;
}

Result V4l2CapturePin::SelectMediaType(const AmMediaType& mediaType) {
  // The driver would refuse with EBUSY, which would read as "another program"; it is this one.
  if (IsStreaming()) return kErrorWrongState;

  std::vector<V4l2FrameMode> modes;
  if (const Result r = EnumerateFrameModes(*device_, modes); Failed(r)) return r;
  const V4l2FrameMode* mode = FindModeForMediaType(modes, mediaType);
  if (mode == nullptr) return kErrorInvalidMediaType;

  const V4l2CaptureType& capture = device_->Capture();
  v4l2_format format = capture.FormatRequest({mode->pixelFormat, mode->width, mode->height});
  if (const Result r = device_->Request(VIDIOC_S_FMT, &format); Failed(r)) return r;
  // Drivers adjust what they cannot do instead of failing; a listed mode should come back unchanged, and
  // in one plane (the frame path reads one).
  const V4l2PictureFormat taken = capture.Read(format);
  if (taken.pixelFormat != mode->pixelFormat || taken.width != mode->width || taken.height != mode->height ||
      taken.planeCount != 1)
    return kErrorInvalidMediaType;

  if (mode->interval.denominator == 0) return kOk;
  VideoInfoHeader wanted;
  std::memcpy(&wanted, mediaType.pbFormat, sizeof wanted);
  if (wanted.AvgTimePerFrame == 0) return kOk;  // any rate: the driver keeps its own

  // The driver is given the listed fraction itself, not one worked back from the 100 ns frame time.
  v4l2_streamparm parameters = capture.ParameterRequest();
  parameters.parm.capture.timeperframe = mode->interval;
  return device_->Request(VIDIOC_S_PARM, &parameters);
}

Result V4l2CapturePin::PrepareStream(std::shared_ptr<IFrameSink> sink, StreamingThread::Work& work) {
  return PrepareV4l2Stream(device_, std::move(sink), work);
}

}  // namespace tavelo::platform::v4l2
