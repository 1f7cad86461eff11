#pragma once

// The V4L2 pixel formats the backend offers as video-info media types, and how each one is described
// there. Formats missing from the table (H.264, Bayer, greyscale ...) are formats the rest of the program
// cannot use, so the capture pin never lists them.

#include <cstdint>
#include <span>

#include "camera/platform/Guid.h"

namespace tavelo::platform::v4l2 {

struct PixelFormatInfo {
  std::uint32_t v4l2Format;   // V4L2_PIX_FMT_*
  Guid subtype;               // media subtype
  std::uint32_t compression;  // bitmap header code: a four-character code, 0 for uncompressed RGB
  std::uint16_t bitCount;
  bool compressed;            // samples vary in size
  bool topDownRgb;            // V4L2 RGB rows run top-down: the bitmap header says so with a negative height
  std::uint32_t bitsPerPixelOfSample;  // for the sample size; compressed formats use a generous estimate
};

std::span<const PixelFormatInfo> PixelFormats();

// Null when the program cannot use the format.
const PixelFormatInfo* FindPixelFormat(std::uint32_t v4l2Format);

// Bytes of one frame (for compressed formats: the most the driver usually hands out).
std::uint32_t FrameBytes(const PixelFormatInfo& format, std::uint32_t width, std::uint32_t height);

}  // namespace tavelo::platform::v4l2
