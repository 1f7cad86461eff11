#include "camera/platform/graph/FrameConversion.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "camera/platform/common/JpegCodec.h"

namespace tavelo::platform {
namespace {

// Chroma contributions in 1/1024 units, indexed by the 8-bit chroma sample.
struct ChromaTables {
  std::array<int, 256> redFromV{};
  std::array<int, 256> greenFromV{};
  std::array<int, 256> greenFromU{};
  std::array<int, 256> blueFromU{};
  ChromaTables() {
    for (int i = 0; i < 256; ++i) {
      redFromV[i] = 1436 * (i - 128);    // 1.402
      greenFromV[i] = -731 * (i - 128);  // 0.714
      greenFromU[i] = -352 * (i - 128);  // 0.344
      blueFromU[i] = 1815 * (i - 128);   // 1.772
    }
  }
};

std::uint8_t Clamp(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

void ConvertYuy2Row(const std::uint8_t* in, std::uint8_t* out, int width) {
  static const ChromaTables tables;
  for (int x = 0; x + 1 < width; x += 2, in += 4) {
    const int u = in[1];
    const int v = in[3];
    const int red = tables.redFromV[v];
    const int green = tables.greenFromV[v] + tables.greenFromU[u];
    const int blue = tables.blueFromU[u];
    for (int half = 0; half < 2; ++half, out += 4) {
      const int y = in[half * 2] << 10;
      out[0] = Clamp((y + blue + 512) >> 10);
      out[1] = Clamp((y + green + 512) >> 10);
      out[2] = Clamp((y + red + 512) >> 10);
      out[3] = 0xFF;
    }
  }
}

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

  if (size < layout.stride * height) return false;
  for (std::size_t row = 0; row < height; ++row) {
    // `row` counts frame rows as stored; a top-down frame's first row becomes the bitmap's last.
    const std::uint8_t* in = data + row * layout.stride;
    std::uint8_t* target = out + (layout.bottomUp ? row : height - 1 - row) * outStride;
    switch (layout.format) {
      case PixelFormat::YUY2: ConvertYuy2Row(in, target, layout.width); break;
      case PixelFormat::RGB24: ConvertRgbRow(in, target, layout.width, 3); break;
      case PixelFormat::RGB32: ConvertRgbRow(in, target, layout.width, 4); break;
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
