#include "camera/platform/v4l2/V4l2PixelFormats.h"

#include <linux/videodev2.h>

#include <array>

namespace tavelo::platform::v4l2 {
namespace {

constexpr std::uint32_t FourCC(char a, char b, char c, char d) { return MakeFourCC(a, b, c, d); }

// Motion-JPEG frames are at most as large as the uncompressed 16-bit picture in practice (the driver's
// own buffer size for them is usually exactly that), hence 16 bits per pixel for its sample size.
constexpr std::array kFormats = {
    PixelFormatInfo{V4L2_PIX_FMT_YUYV, guids::MediaSubtypeYUY2, FourCC('Y', 'U', 'Y', '2'), 16, false, false, 16},
    PixelFormatInfo{V4L2_PIX_FMT_MJPEG, guids::MediaSubtypeMJPG, FourCC('M', 'J', 'P', 'G'), 24, true, false, 16},
    PixelFormatInfo{V4L2_PIX_FMT_JPEG, guids::MediaSubtypeMJPG, FourCC('M', 'J', 'P', 'G'), 24, true, false, 16},
    PixelFormatInfo{V4L2_PIX_FMT_NV12, guids::MediaSubtypeNV12, FourCC('N', 'V', '1', '2'), 12, false, false, 12},
    PixelFormatInfo{V4L2_PIX_FMT_YUV420, FourCCSubtype(FourCC('I', '4', '2', '0')), FourCC('I', '4', '2', '0'), 12,
                    false, false, 12},
    PixelFormatInfo{V4L2_PIX_FMT_YVU420, FourCCSubtype(FourCC('Y', 'V', '1', '2')), FourCC('Y', 'V', '1', '2'), 12,
                    false, false, 12},
    PixelFormatInfo{V4L2_PIX_FMT_UYVY, FourCCSubtype(FourCC('U', 'Y', 'V', 'Y')), FourCC('U', 'Y', 'V', 'Y'), 16,
                    false, false, 16},
    // V4L2's BGR24 and BGR32/XBGR32 keep the bytes in the order of the platform's RGB24/RGB32.
    PixelFormatInfo{V4L2_PIX_FMT_BGR24, guids::MediaSubtypeRGB24, 0, 24, false, true, 24},
    PixelFormatInfo{V4L2_PIX_FMT_XBGR32, guids::MediaSubtypeRGB32, 0, 32, false, true, 32},
    PixelFormatInfo{V4L2_PIX_FMT_BGR32, guids::MediaSubtypeRGB32, 0, 32, false, true, 32},
};

}  // namespace

std::span<const PixelFormatInfo> PixelFormats() { return kFormats; }

const PixelFormatInfo* FindPixelFormat(std::uint32_t v4l2Format) {
  for (const PixelFormatInfo& format : kFormats)
    if (format.v4l2Format == v4l2Format) return &format;
  return nullptr;
}

std::uint32_t FrameBytes(const PixelFormatInfo& format, std::uint32_t width, std::uint32_t height) {
  const std::uint64_t bits = static_cast<std::uint64_t>(width) * height * format.bitsPerPixelOfSample;
  return static_cast<std::uint32_t>(bits / 8);
}

}  // namespace tavelo::platform::v4l2
