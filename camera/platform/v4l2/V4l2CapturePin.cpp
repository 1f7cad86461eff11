#include "camera/platform/v4l2/V4l2CapturePin.h"

#include <cerrno>
#include <cstring>

#include "camera/platform/v4l2/V4l2Enumerators.h"
#include "camera/platform/v4l2/V4l2Formats.h"
#include "camera/platform/PinCategory.h"

namespace tavelo::platform::v4l2 {

V4l2CapturePin::V4l2CapturePin(std::shared_ptr<V4l2Device> device) : device_(device), streamer_(device) {}

V4l2CapturePin::~V4l2CapturePin() = default;

Result V4l2CapturePin::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IPin, IKsPropertySet, IAMStreamConfig, IFrameSource, ISpecifyPropertyPages>(this, iid, out);
}

Result V4l2CapturePin::QueryDirection(PinDirection& out) {
  out = PinDirection::Output;
  return kOk;
}

Result V4l2CapturePin::QueryId(std::string& out) {
  out = "Capture";
  return kOk;
}

Result V4l2CapturePin::EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) {
  out.reset();
  std::vector<V4l2FrameMode> modes;
  if (const Result r = EnumerateFrameModes(*device_, modes); Failed(r)) return r;
  std::vector<AmMediaType> mediaTypes;
  mediaTypes.reserve(modes.size());
  for (const V4l2FrameMode& mode : modes) mediaTypes.push_back(MediaTypeFromMode(mode));
  out = std::make_shared<MediaTypeEnumerator>(std::move(mediaTypes));
  return kOk;
}

Result V4l2CapturePin::Get(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, void* propertyData,
                           std::uint32_t dataLength, std::uint32_t& bytesReturned) {
  return ReadCapturePinCategory(propSet, id, propertyData, dataLength, bytesReturned);
}

Result V4l2CapturePin::Set(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, const void*,
                           std::uint32_t) {
  if (propSet != guids::AmPropSetIdPin) return kErrorSetNotFound;
  if (id != guids::kAmPropertyPinCategory) return kErrorNotFound;
  return kNotImplemented;  // a pin's category is what it is
}

Result V4l2CapturePin::CurrentMediaType(AmMediaType& out) {
  V4l2FrameMode mode;
  std::uint32_t sizeImage = 0;
  if (const Result r = CurrentFrameMode(*device_, mode, sizeImage); Failed(r)) return r;
  out = MediaTypeFromMode(mode, sizeImage);
  return out.pbFormat != nullptr ? kOk : kOutOfMemory;
}

Result V4l2CapturePin::GetFormat(AmMediaType*& out) {
  out = nullptr;
  AmMediaType current;
  if (const Result r = CurrentMediaType(current); Failed(r)) {
    FreeMediaTypeContents(current);
    return r;
  }
  out = CreateMediaTypeCopy(current);
  FreeMediaTypeContents(current);
  return out != nullptr ? kOk : kOutOfMemory;
}

Result V4l2CapturePin::SetFormat(const AmMediaType& mediaType) {
  // The driver would refuse with EBUSY, which would read as "another program"; it is this one.
  if (streamer_.IsStreaming()) return kErrorWrongState;

  std::vector<V4l2FrameMode> modes;
  if (const Result r = EnumerateFrameModes(*device_, modes); Failed(r)) return r;
  const V4l2FrameMode* mode = FindModeForMediaType(modes, mediaType);
  if (mode == nullptr) return kErrorInvalidMediaType;

  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  format.fmt.pix.pixelformat = mode->pixelFormat;
  format.fmt.pix.width = mode->width;
  format.fmt.pix.height = mode->height;
  format.fmt.pix.field = V4L2_FIELD_ANY;
  if (const Result r = device_->Request(VIDIOC_S_FMT, &format); Failed(r)) return r;
  // Drivers adjust what they cannot do instead of failing; a listed mode should come back unchanged.
  if (format.fmt.pix.pixelformat != mode->pixelFormat || format.fmt.pix.width != mode->width ||
      format.fmt.pix.height != mode->height)
    return kErrorInvalidMediaType;

  if (mode->interval.denominator == 0) return kOk;
  VideoInfoHeader wanted;
  std::memcpy(&wanted, mediaType.pbFormat, sizeof wanted);
  if (wanted.AvgTimePerFrame == 0) return kOk;  // any rate: the driver keeps its own

  v4l2_streamparm parameters{};
  parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  parameters.parm.capture.timeperframe = mode->interval;
  return device_->Request(VIDIOC_S_PARM, &parameters);
}

Result V4l2CapturePin::GetStreamMediaType(AmMediaType& out) {
  FreeMediaTypeContents(out);
  return CurrentMediaType(out);
}

Result V4l2CapturePin::StartStreaming(std::shared_ptr<IFrameSink> sink) { return streamer_.Start(std::move(sink)); }

Result V4l2CapturePin::StopStreaming() { return streamer_.Stop(); }

Result V4l2CapturePin::GetPages(std::vector<Guid>& pages) {
  pages = {guids::StreamFormatPage};
  return kOk;
}

}  // namespace tavelo::platform::v4l2
