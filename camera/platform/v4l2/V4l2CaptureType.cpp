#include "camera/platform/v4l2/V4l2CaptureType.h"

namespace tavelo::platform::v4l2 {

std::optional<V4l2CaptureType> CaptureTypeOf(std::uint32_t deviceCaps) {
  if ((deviceCaps & V4L2_CAP_VIDEO_CAPTURE) != 0) return kSinglePlanarCapture;
  if ((deviceCaps & V4L2_CAP_VIDEO_CAPTURE_MPLANE) != 0) return kMultiPlanarCapture;
  return std::nullopt;
}

v4l2_format V4l2CaptureType::FormatRequest() const {
  v4l2_format format{};
  format.type = bufferType;
  return format;
}

v4l2_format V4l2CaptureType::FormatRequest(const V4l2PictureFormat& wanted) const {
  v4l2_format format = FormatRequest();
  if (planes) {
    format.fmt.pix_mp.pixelformat = wanted.pixelFormat;
    format.fmt.pix_mp.width = wanted.width;
    format.fmt.pix_mp.height = wanted.height;
    format.fmt.pix_mp.field = V4L2_FIELD_ANY;
    format.fmt.pix_mp.num_planes = 1;  // the driver corrects it for the formats that need more
  } else {
    format.fmt.pix.pixelformat = wanted.pixelFormat;
    format.fmt.pix.width = wanted.width;
    format.fmt.pix.height = wanted.height;
    format.fmt.pix.field = V4L2_FIELD_ANY;
  }
  return format;
}

V4l2PictureFormat V4l2CaptureType::Read(const v4l2_format& format) const {
  if (!planes) {
    const v4l2_pix_format& pix = format.fmt.pix;
    return {pix.pixelformat, pix.width, pix.height, pix.sizeimage, 1};
  }
  const v4l2_pix_format_mplane& pix = format.fmt.pix_mp;
  return {pix.pixelformat, pix.width, pix.height, pix.num_planes > 0 ? pix.plane_fmt[0].sizeimage : 0u,
          pix.num_planes};
}

v4l2_streamparm V4l2CaptureType::ParameterRequest() const {
  v4l2_streamparm parameters{};
  parameters.type = bufferType;
  return parameters;
}

v4l2_requestbuffers V4l2CaptureType::BufferCountRequest(std::uint32_t count) const {
  v4l2_requestbuffers request{};
  request.count = count;
  request.type = bufferType;
  request.memory = V4L2_MEMORY_MMAP;
  return request;
}

V4l2BufferRecord::V4l2BufferRecord(const V4l2CaptureType& type, std::uint32_t index) : planes_(type.planes) {
  buffer_.index = index;
  buffer_.type = type.bufferType;
  buffer_.memory = V4L2_MEMORY_MMAP;
  if (planes_) {
    // For the multi-planar interface `length` is the number of entries in the plane array.
    buffer_.m.planes = &plane_;
    buffer_.length = 1;
  }
}

std::uint32_t V4l2BufferRecord::MapLength() const { return planes_ ? plane_.length : buffer_.length; }

std::uint32_t V4l2BufferRecord::MapOffset() const { return planes_ ? plane_.m.mem_offset : buffer_.m.offset; }

std::uint32_t V4l2BufferRecord::DataOffset() const { return planes_ ? plane_.data_offset : 0u; }

std::uint32_t V4l2BufferRecord::DataLength() const {
  // A plane's bytesused counts the bytes before data_offset too.
  const std::uint32_t used = planes_ ? plane_.bytesused : buffer_.bytesused;
  const std::uint32_t offset = DataOffset();
  return used >= offset ? used - offset : 0u;
}

}  // namespace tavelo::platform::v4l2
