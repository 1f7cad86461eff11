#pragma once

// What a fake camera is: its identity, its controls as the driver describes them and its formats. Built
// from a listing in the text form v4l2-ctl prints (see WebcamListing.h) or by hand in a test.

#include <linux/videodev2.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavelo::v4l2test {

struct FakeControl {
  std::uint32_t id = 0;
  std::string name;  // v4l2-ctl's name, e.g. "exposure_auto"
  std::uint32_t type = V4L2_CTRL_TYPE_INTEGER;
  std::int64_t minimum = 0;
  std::int64_t maximum = 0;
  std::uint64_t step = 1;
  std::int64_t defaultValue = 0;
  std::int32_t value = 0;
  std::uint32_t flags = 0;  // the static ones: READ_ONLY, WRITE_ONLY, DISABLED (INACTIVE is computed)
  std::map<std::uint32_t, std::string> menu;  // the items a menu offers
};

struct FakeFrameSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<v4l2_fract> intervals;  // discrete frame intervals
};

struct FakeFormat {
  std::uint32_t pixelFormat = 0;
  std::string description;
  std::vector<FakeFrameSize> sizes;                           // discrete sizes
  std::optional<v4l2_frmsize_stepwise> sizeRange;             // instead of `sizes`
  std::optional<v4l2_frmival_stepwise> intervalRange;         // for every size, instead of the discrete ones
  bool continuousSizes = false;                               // sizeRange is V4L2_FRMSIZE_TYPE_CONTINUOUS
  bool continuousIntervals = false;                           // intervalRange is V4L2_FRMIVAL_TYPE_CONTINUOUS
};

struct FakeCameraModel {
  std::string card;
  std::string driver = "uvcvideo";
  std::string busInfo;
  std::string byIdName;    // link name under v4l/by-id for the capture node; empty: none
  std::string byPathName;  // link name under v4l/by-path; empty: none
  std::vector<FakeControl> controls;
  std::vector<FakeFormat> formats;
  bool metadataNode = true;  // uvcvideo registers a metadata-only node right after the capture node
  // Only the multi-planar interface (VIDEO_CAPTURE_MPLANE), as SoC ISPs and capture cards have it; the
  // single-planar buffer type is then refused with EINVAL.
  bool multiPlanar = false;
  // Multi-planar only: bytes ahead of the picture in each buffer's plane (the plane's data_offset), which
  // the driver counts in bytesused.
  std::uint32_t planeDataOffset = 0;

  const FakeControl* FindControl(const std::string& name) const;
  const FakeControl* FindControl(std::uint32_t id) const;
};

}  // namespace tavelo::v4l2test
