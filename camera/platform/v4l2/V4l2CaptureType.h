#pragma once

// How a capture node exchanges formats and buffers. uvcvideo and most USB webcams speak the single-planar
// interface (`fmt.pix`, one `m.offset` per buffer); SoC ISPs, capture cards and some USB bridges speak
// only the multi-planar one (`fmt.pix_mp`, an `m.planes` array per buffer). Every format the program can
// draw keeps its picture in one plane, so a multi-planar node is used with exactly one plane. The rest
// of the backend reads and writes formats and buffers through this description and never asks which
// interface a node has.

#include <linux/videodev2.h>

#include <cstdint>
#include <optional>

namespace tavelo::platform::v4l2 {

// What a format request says, whichever interface carried it.
struct V4l2PictureFormat {
  std::uint32_t pixelFormat = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t sizeImage = 0;   // of the first plane
  std::uint32_t planeCount = 1;  // the single-planar interface always has one
};

struct V4l2CaptureType {
  v4l2_buf_type bufferType;
  bool planes;  // buffers and formats go through the multi-planar structures

  // A format request of this type for G_FMT, or (with `wanted`) for S_FMT / TRY_FMT.
  v4l2_format FormatRequest() const;
  v4l2_format FormatRequest(const V4l2PictureFormat& wanted) const;
  V4l2PictureFormat Read(const v4l2_format& format) const;
  v4l2_streamparm ParameterRequest() const;
  v4l2_requestbuffers BufferCountRequest(std::uint32_t count) const;
};

inline constexpr V4l2CaptureType kSinglePlanarCapture{V4L2_BUF_TYPE_VIDEO_CAPTURE, false};
inline constexpr V4l2CaptureType kMultiPlanarCapture{V4L2_BUF_TYPE_VIDEO_CAPTURE_MPLANE, true};

// The interface a node with these device capabilities captures video through; none when it captures no
// video (a metadata or output node). A node offering both is used through the single-planar one, which
// every driver of that kind implements in full.
std::optional<V4l2CaptureType> CaptureTypeOf(std::uint32_t deviceCaps);

// A buffer record for QUERYBUF, QBUF and DQBUF of one mmap buffer. A multi-planar record points into its
// own one-plane array, so it is neither copied nor moved; QBUF takes back the record DQBUF filled.
class V4l2BufferRecord {
 public:
  explicit V4l2BufferRecord(const V4l2CaptureType& type, std::uint32_t index = 0);
  V4l2BufferRecord(const V4l2BufferRecord&) = delete;
  V4l2BufferRecord& operator=(const V4l2BufferRecord&) = delete;

  v4l2_buffer* Request() { return &buffer_; }
  const v4l2_buffer& Buffer() const { return buffer_; }
  // What QUERYBUF said: how much to map, and from where.
  std::uint32_t MapLength() const;
  std::uint32_t MapOffset() const;
  // What DQBUF said: where in the mapping the frame starts, and its length (0 when the driver's figures
  // do not fit inside the buffer).
  std::uint32_t DataOffset() const;
  std::uint32_t DataLength() const;

 private:
  const bool planes_;
  v4l2_plane plane_{};
  v4l2_buffer buffer_{};
};

}  // namespace tavelo::platform::v4l2
