#include "camera/platform/graph/FrameConversion.h"

#include <cstring>

#include "camera/platform/common/JpegCodec.h"
#include "camera/platform/common/Yuy2Conversion.h"

namespace tavelo::platform {
namespace {

void ConvertRgbRow(const std::uint8_t* in, std::uint8_t* out, int width, int bytesPerPixel) {
  for (int x = 0; x < width; ++x, in += bytesPerPixel, out += 4) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
    out[3] = 0xFF;
  }
}

}  // namespace

bool ConvertToBottomUpBgra(const FrameLayout& layout, const std::uint8_t* data, std::size_t size, std::uint8_t* out) {
  const std::size_t width = static_cast<std::size_t>(layout.width);
  const std::size_t height = static_cast<std::size_t>(layout.height);
  const std::size_t outStride = width * 4;
  if (data == nullptr || width == 0 || height == 0) return false;

  if (layout.format == PixelFormat::MJPG) {
    JpegDecoder decoder;  // a single picture; streams keep theirs (the overload below)
    return ConvertToBottomUpBgra(layout, data, size, out, decoder);
  }

  // A frame shorter than its layout is drawn not at all rather than in part: the renderer has no
  // earlier picture to show beneath the missing rows.
  if (size < layout.stride * height) return false;
  const std::size_t bytesPerPixel = layout.format == PixelFormat::YUY2 ? 2 : layout.format == PixelFormat::RGB24 ? 3 : 4;
  if (layout.stride < width * bytesPerPixel) return false;
  if (layout.format == PixelFormat::YUY2) {
    // The still-image converter, so the renderer's picture equals the grabber path's bitmap pixel for pixel.
    return ConvertYuy2ToBgra(data, size, layout.width, layout.height, out) == layout.height;
  }
  for (std::size_t row = 0; row < height; ++row) {
    // `row` counts frame rows as stored; a top-down frame's first row becomes the bitmap's last.
    const std::uint8_t* in = data + row * layout.stride;
    std::uint8_t* target = out + (layout.bottomUp ? row : height - 1 - row) * outStride;
    switch (layout.format) {
      case PixelFormat::RGB24: ConvertRgbRow(in, target, layout.width, 3); break;
      case PixelFormat::RGB32: ConvertRgbRow(in, target, layout.width, 4); break;
      case PixelFormat::YUY2:
      case PixelFormat::MJPG: break;
    }
  }
  return true;
}

bool ConvertToBottomUpBgra(const FrameLayout& layout, const std::uint8_t* data, std::size_t size, std::uint8_t* out,
                           JpegDecoder& decoder) {
  if (layout.format != PixelFormat::MJPG) return ConvertToBottomUpBgra(layout, data, size, out);
  return decoder.DecodeBgra(data, size, layout.width, layout.height, RowOrder::BottomUp, out);
}

}  // namespace tavelo::platform
