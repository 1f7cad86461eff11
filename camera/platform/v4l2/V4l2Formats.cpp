#include "camera/platform/v4l2/V4l2Formats.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "camera/platform/common/FrameTime.h"
#include "camera/platform/v4l2/V4l2Errors.h"

namespace tavelo::platform::v4l2 {
namespace {

struct Size {
  std::uint32_t width;
  std::uint32_t height;
};

// The sizes webcams and applications commonly use, smallest first: what a range of sizes is reduced to.
constexpr std::array<Size, 21> kCommonSizes = {{{160, 120}, {176, 144}, {320, 180}, {320, 240}, {352, 288},
                                                {424, 240}, {640, 360}, {640, 480}, {800, 448}, {800, 600},
                                                {848, 480}, {960, 540}, {1024, 576}, {1024, 768}, {1280, 720},
                                                {1280, 960}, {1280, 1024}, {1600, 1200}, {1920, 1080},
                                                {2560, 1440}, {3840, 2160}}};

// The frame rates a range of intervals is reduced to, fastest first.
constexpr std::array<std::uint32_t, 9> kCommonRates = {60, 50, 30, 25, 24, 20, 15, 10, 5};

// A failure that means the camera cannot be asked anything now, as opposed to "nothing to enumerate".
bool IsFatal(Result r) { return r == kResultDisconnected || r == ResultFromErrno(EBUSY) || r == ResultFromErrno(EIO); }

bool Fits(std::uint32_t value, std::uint32_t min, std::uint32_t max, std::uint32_t step) {
  if (value < min || value > max) return false;
  return step <= 1 || (value - min) % step == 0;
}

std::vector<Size> ReduceSizes(const v4l2_frmsize_stepwise& range) {
  std::vector<Size> sizes;
  for (const Size& size : kCommonSizes)
    if (Fits(size.width, range.min_width, range.max_width, range.step_width) &&
        Fits(size.height, range.min_height, range.max_height, range.step_height))
      sizes.push_back(size);
  const Size largest{range.max_width, range.max_height};
  if (sizes.empty() || sizes.back().width != largest.width || sizes.back().height != largest.height)
    sizes.push_back(largest);
  return sizes;
}

// a/b < c/d for positive denominators.
bool Less(const v4l2_fract& a, const v4l2_fract& b) {
  return static_cast<std::uint64_t>(a.numerator) * b.denominator <
         static_cast<std::uint64_t>(b.numerator) * a.denominator;
}

std::vector<v4l2_fract> ReduceIntervals(const v4l2_frmival_stepwise& range) {
  std::vector<v4l2_fract> intervals;
  if (range.min.denominator == 0 || range.max.denominator == 0) return intervals;
  intervals.push_back(range.min);  // the fastest the driver can go
  for (std::uint32_t rate : kCommonRates) {
    const v4l2_fract interval{1, rate};
    if (Less(range.min, interval) && !Less(range.max, interval)) intervals.push_back(interval);
  }
  return intervals;
}

Result EnumerateSizes(const V4l2Device& device, std::uint32_t pixelFormat, std::vector<Size>& out) {
  for (std::uint32_t index = 0;; ++index) {
    v4l2_frmsizeenum size{};
    size.index = index;
    size.pixel_format = pixelFormat;
    const Result r = device.Request(VIDIOC_ENUM_FRAMESIZES, &size);
    if (Failed(r)) return IsFatal(r) ? r : kOk;
    if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
      out.push_back({size.discrete.width, size.discrete.height});
      continue;
    }
    // Stepwise and continuous ranges are described once, by their first entry.
    if (index == 0) out = ReduceSizes(size.stepwise);
    return kOk;
  }
}

Result EnumerateIntervals(const V4l2Device& device, std::uint32_t pixelFormat, const Size& size,
                          std::vector<v4l2_fract>& out) {
  for (std::uint32_t index = 0;; ++index) {
    v4l2_frmivalenum interval{};
    interval.index = index;
    interval.pixel_format = pixelFormat;
    interval.width = size.width;
    interval.height = size.height;
    const Result r = device.Request(VIDIOC_ENUM_FRAMEINTERVALS, &interval);
    if (Failed(r)) return IsFatal(r) ? r : kOk;
    if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
      if (interval.discrete.denominator != 0) out.push_back(interval.discrete);
      continue;
    }
    if (index == 0) out = ReduceIntervals(interval.stepwise);
    return kOk;
  }
}

}  // namespace

Result EnumerateFrameModes(const V4l2Device& device, std::vector<V4l2FrameMode>& out) {
  out.clear();
  for (std::uint32_t index = 0;; ++index) {
    v4l2_fmtdesc description{};
    description.index = index;
    description.type = device.Capture().bufferType;
    const Result r = device.Request(VIDIOC_ENUM_FMT, &description);
    if (Failed(r)) return IsFatal(r) ? r : kOk;
    // The table holds one-plane formats only: a multi-planar node's NV12M and the like are left out here.
    if (FindPixelFormat(description.pixelformat) == nullptr) continue;

    std::vector<Size> sizes;
    if (const Result sized = EnumerateSizes(device, description.pixelformat, sizes); Failed(sized)) return sized;
    for (const Size& size : sizes) {
      std::vector<v4l2_fract> intervals;
      if (const Result timed = EnumerateIntervals(device, description.pixelformat, size, intervals); Failed(timed))
        return timed;
      if (intervals.empty()) intervals.push_back(v4l2_fract{0, 0});
      for (const v4l2_fract& interval : intervals)
        out.push_back(V4l2FrameMode{description.pixelformat, size.width, size.height, interval});
    }
  }
}

Result CurrentFrameMode(const V4l2Device& device, V4l2FrameMode& out, std::uint32_t& sizeImage) {
  const V4l2CaptureType& capture = device.Capture();
  v4l2_format format = capture.FormatRequest();
  if (const Result r = device.Request(VIDIOC_G_FMT, &format); Failed(r)) return r;
  const V4l2PictureFormat current = capture.Read(format);
  out = V4l2FrameMode{current.pixelFormat, current.width, current.height, {0, 0}};
  sizeImage = current.sizeImage;

  // Drivers without frame-rate control answer G_PARM with an error or without the capability: no rate.
  v4l2_streamparm parameters = capture.ParameterRequest();
  const Result r = device.Request(VIDIOC_G_PARM, &parameters);
  if (IsFatal(r)) return r;
  if (Succeeded(r) && (parameters.parm.capture.capability & V4L2_CAP_TIMEPERFRAME) != 0 &&
      parameters.parm.capture.timeperframe.denominator != 0)
    out.interval = parameters.parm.capture.timeperframe;
  return kOk;
}

std::int64_t IntervalTo100ns(v4l2_fract interval) {
  return FrameTimeOfInterval(interval.numerator, interval.denominator);
}

OwnedMediaType MediaTypeFromMode(const V4l2FrameMode& mode, std::uint32_t sampleSize) {
  const PixelFormatInfo* info = FindPixelFormat(mode.pixelFormat);
  VideoInfoHeader header;
  header.AvgTimePerFrame = IntervalTo100ns(mode.interval);
  header.bmiHeader.biWidth = static_cast<std::int32_t>(mode.width);
  header.bmiHeader.biHeight = static_cast<std::int32_t>(mode.height);
  if (info != nullptr && info->topDownRgb) header.bmiHeader.biHeight = -header.bmiHeader.biHeight;
  header.bmiHeader.biBitCount = info != nullptr ? info->bitCount : 0;
  header.bmiHeader.biCompression = info != nullptr ? info->compression : mode.pixelFormat;
  if (sampleSize == 0 && info != nullptr) sampleSize = FrameBytes(*info, mode.width, mode.height);
  header.bmiHeader.biSizeImage = sampleSize;
  if (header.AvgTimePerFrame > 0) {
    const std::uint64_t bitRate = static_cast<std::uint64_t>(sampleSize) * 8u * 10'000'000u /
                                  static_cast<std::uint64_t>(header.AvgTimePerFrame);
    header.dwBitRate = static_cast<std::uint32_t>(std::min<std::uint64_t>(bitRate, UINT32_MAX));
  }
  const Guid subtype = info != nullptr ? info->subtype : FourCCSubtype(mode.pixelFormat);
  const bool compressed = info == nullptr || info->compressed;
  AmMediaType mediaType = MakeVideoInfoMediaType(subtype, header, !compressed, sampleSize);
  mediaType.bTemporalCompression = 0;  // every frame stands alone, motion-JPEG included
  return OwnedMediaType(std::move(mediaType));
}

const V4l2FrameMode* FindModeForMediaType(const std::vector<V4l2FrameMode>& modes, const AmMediaType& mediaType) {
  if (mediaType.formattype != guids::FormatVideoInfo || mediaType.pbFormat == nullptr ||
      mediaType.cbFormat < kVideoInfoHeaderSize)
    return nullptr;
  VideoInfoHeader wanted;
  std::memcpy(&wanted, mediaType.pbFormat, sizeof wanted);
  for (const V4l2FrameMode& mode : modes) {
    const PixelFormatInfo* info = FindPixelFormat(mode.pixelFormat);
    if (info == nullptr || info->subtype != mediaType.subtype) continue;
    if (wanted.bmiHeader.biWidth != static_cast<std::int32_t>(mode.width) ||
        std::abs(wanted.bmiHeader.biHeight) != static_cast<std::int32_t>(mode.height) ||
        wanted.bmiHeader.biBitCount != info->bitCount)
      continue;
    if (wanted.AvgTimePerFrame != 0 && wanted.AvgTimePerFrame != IntervalTo100ns(mode.interval)) continue;
    return &mode;
  }
  return nullptr;
}

}  // namespace tavelo::platform::v4l2
