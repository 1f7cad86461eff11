#include "camera/platform/common/FrameLayout.h"

#include <cstdlib>

namespace tavelo::platform {

const BitmapInfoHeader* BitmapHeaderOf(const AmMediaType& mediaType) {
  if (mediaType.pbFormat == nullptr) return nullptr;
  if (mediaType.formattype == guids::FormatVideoInfo && mediaType.cbFormat >= sizeof(VideoInfoHeader)) {
    return &reinterpret_cast<const VideoInfoHeader*>(mediaType.pbFormat)->bmiHeader;
  }
  if (mediaType.formattype == guids::FormatVideoInfo2 && mediaType.cbFormat >= sizeof(VideoInfoHeader2)) {
    return &reinterpret_cast<const VideoInfoHeader2*>(mediaType.pbFormat)->bmiHeader;
  }
  return nullptr;
}

std::int64_t AvgTimePerFrameOf(const AmMediaType& mediaType) {
  if (BitmapHeaderOf(mediaType) == nullptr) return 0;
  // Both headers keep the frame time at the same offset.
  return reinterpret_cast<const VideoInfoHeader*>(mediaType.pbFormat)->AvgTimePerFrame;
}

std::optional<FrameLayout> FrameLayoutOf(const AmMediaType& mediaType) {
  const BitmapInfoHeader* header = BitmapHeaderOf(mediaType);
  if (header == nullptr || header->biWidth <= 0 || header->biHeight == 0) return std::nullopt;
  // A header that claims to run past its block would have a reader follow it out of the block.
  const auto headerOffset = static_cast<std::size_t>(reinterpret_cast<const std::uint8_t*>(header) - mediaType.pbFormat);
  if (header->biSize < sizeof(BitmapInfoHeader) || header->biSize > mediaType.cbFormat - headerOffset) return std::nullopt;

  FrameLayout layout;
  layout.width = header->biWidth;
  layout.height = std::abs(header->biHeight);
  layout.avgTimePerFrame = AvgTimePerFrameOf(mediaType);
  if (layout.width > 16384 || layout.height > 16384) return std::nullopt;
  const auto width = static_cast<std::size_t>(layout.width);
  const auto height = static_cast<std::size_t>(layout.height);

  if (mediaType.subtype == guids::MediaSubtypeYUY2 && header->biBitCount == 16) {
    if (layout.width % 2 != 0) return std::nullopt;
    layout.format = PixelFormat::YUY2;
    layout.stride = width * 2;
  } else if (mediaType.subtype == guids::MediaSubtypeRGB24 && header->biBitCount == 24) {
    layout.format = PixelFormat::RGB24;
    layout.stride = (width * 3 + 3) & ~std::size_t{3};
    layout.bottomUp = header->biHeight > 0;
  } else if (mediaType.subtype == guids::MediaSubtypeRGB32 && header->biBitCount == 32) {
    layout.format = PixelFormat::RGB32;
    layout.stride = width * 4;
    layout.bottomUp = header->biHeight > 0;
  } else if (mediaType.subtype == guids::MediaSubtypeMJPG) {
    layout.format = PixelFormat::MJPG;
    layout.stride = 0;
    layout.maxFrameBytes = width * height * 3 + 4096;
    return layout;
  } else {
    return std::nullopt;
  }
  layout.maxFrameBytes = layout.stride * height;
  return layout;
}

}  // namespace tavelo::platform
