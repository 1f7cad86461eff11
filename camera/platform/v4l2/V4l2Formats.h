#pragma once

// The capture node's picture formats: every (pixel format, size, frame interval) the driver offers, as
// the video-info media types the capture pin lists, and back.

#include <linux/videodev2.h>

#include <cstdint>
#include <vector>

#include "camera/platform/MediaType.h"
#include "camera/platform/Result.h"
#include "camera/platform/common/OwnedMediaType.h"
#include "camera/platform/v4l2/V4l2Device.h"
#include "camera/platform/v4l2/V4l2PixelFormats.h"

namespace tavelo::platform::v4l2 {

struct V4l2FrameMode {
  std::uint32_t pixelFormat = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  v4l2_fract interval{0, 0};  // seconds per frame; 0/0 when the driver gives no rate
};

// The modes in the driver's order (formats, then their sizes, then their intervals), formats the program
// cannot use left out. Sizes and intervals a driver gives as ranges are reduced to the usual steps inside
// them. Answers the failure of a request only when the camera cannot be asked at all (gone, busy).
Result EnumerateFrameModes(const V4l2Device& device, std::vector<V4l2FrameMode>& out);

// The node's current mode (G_FMT and G_PARM); `sizeImage` receives the driver's buffer size for it.
Result CurrentFrameMode(const V4l2Device& device, V4l2FrameMode& out, std::uint32_t& sizeImage);

// 100 ns units, truncated as a camera's descriptors give them (FrameTime.h); 0 for a 0/0 interval.
std::int64_t IntervalTo100ns(v4l2_fract interval);

// The media type of a mode. `sampleSize` 0 means the usual size for the format. Modes of a pixel format
// missing from the table are described with its four-character code and no bit count.
OwnedMediaType MediaTypeFromMode(const V4l2FrameMode& mode, std::uint32_t sampleSize = 0);

// The first of `modes` whose media type is `mediaType` (subtype, width, height, bit count and frame time;
// a frame time of 0 takes the mode's own). Null when none is.
const V4l2FrameMode* FindModeForMediaType(const std::vector<V4l2FrameMode>& modes, const AmMediaType& mediaType);

}  // namespace tavelo::platform::v4l2
