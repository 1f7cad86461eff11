#pragma once

// How the bytes of one video frame are laid out, read from a media type's video-info (or video-info-2)
// header. The pattern generator writes frames in these layouts and the renderer reads them.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "camera/platform/MediaType.h"

namespace tavelo::platform {

// The extended video-info header (112 bytes): the first 48 bytes match VideoInfoHeader, then
// interlace, copy-protection and aspect-ratio words before the bitmap header.
struct VideoInfoHeader2 {
  Rect rcSource;
  Rect rcTarget;
  std::uint32_t dwBitRate = 0;
  std::uint32_t dwBitErrorRate = 0;
  std::int64_t AvgTimePerFrame = 0;
  std::uint32_t dwInterlaceFlags = 0;
  std::uint32_t dwCopyProtectFlags = 0;
  std::uint32_t dwPictAspectRatioX = 0;
  std::uint32_t dwPictAspectRatioY = 0;
  std::uint32_t dwControlFlags = 0;
  std::uint32_t dwReserved2 = 0;
  BitmapInfoHeader bmiHeader;
};
static_assert(sizeof(VideoInfoHeader2) == 112);

enum class PixelFormat { YUY2, MJPG, RGB24, RGB32 };

struct FrameLayout {
  PixelFormat format = PixelFormat::YUY2;
  std::int32_t width = 0;
  std::int32_t height = 0;           // always positive
  bool bottomUp = false;             // RGB with a positive header height stores the bottom row first
  std::int64_t avgTimePerFrame = 0;  // 100 ns units, 0 when unknown
  std::size_t stride = 0;            // bytes per row (uncompressed layouts; rows are 4-byte aligned for RGB)
  std::size_t maxFrameBytes = 0;     // size of an uncompressed frame, the upper bound for MJPG

  friend bool operator==(const FrameLayout&, const FrameLayout&) = default;
};

// The bitmap header inside a video-info or video-info-2 format block; null for anything else or a
// block too short for its header.
const BitmapInfoHeader* BitmapHeaderOf(const AmMediaType& mediaType);
// Average frame time of either header kind; 0 when there is no usable header.
std::int64_t AvgTimePerFrameOf(const AmMediaType& mediaType);

// The layout of frames of `mediaType`; nothing for a type that is not a video frame this layer can draw
// or read (unknown subtype, odd YUY2 width, bit count that does not match the subtype).
std::optional<FrameLayout> FrameLayoutOf(const AmMediaType& mediaType);

}  // namespace tavelo::platform
