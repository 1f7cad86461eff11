#include "camera/platform/simulated/FormatMediaTypes.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "camera/platform/common/FrameLayout.h"

namespace tavelo::platform::simulated {
namespace {

std::uint32_t ImageSize(const FormatProfile& format) {
  const std::uint64_t width = static_cast<std::uint64_t>(format.width);
  const std::uint64_t rowBytes = (width * format.bitCount / 8 + 3) & ~std::uint64_t{3};
  return static_cast<std::uint32_t>(rowBytes * static_cast<std::uint64_t>(format.height));
}

template <class Header>
OwnedMediaType MakeMediaType(const FormatProfile& format, std::int64_t frameInterval, const Guid& formatType) {
  Header header{};
  header.AvgTimePerFrame = frameInterval;
  header.bmiHeader.biWidth = format.width;
  header.bmiHeader.biHeight = format.height;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = format.bitCount;
  header.bmiHeader.biCompression = format.compression;
  header.bmiHeader.biSizeImage = ImageSize(format);
  if (frameInterval > 0) {
    const double bitRate = header.bmiHeader.biSizeImage * 8.0 * 1e7 / static_cast<double>(frameInterval);
    header.dwBitRate = static_cast<std::uint32_t>(std::min(bitRate, double{std::numeric_limits<std::uint32_t>::max()}));
  }

  AmMediaType mediaType;
  mediaType.majortype = guids::MediaTypeVideo;
  mediaType.subtype = format.subtype;
  const bool uncompressed = format.compression == 0 || format.subtype == guids::MediaSubtypeYUY2;
  mediaType.bFixedSizeSamples = uncompressed ? 1 : 0;
  mediaType.bTemporalCompression = 0;
  mediaType.lSampleSize = header.bmiHeader.biSizeImage;
  mediaType.formattype = formatType;
  mediaType.pbFormat = static_cast<std::uint8_t*>(TaskMemAlloc(sizeof(Header)));
  if (mediaType.pbFormat != nullptr) {
    std::memcpy(mediaType.pbFormat, &header, sizeof(Header));
    mediaType.cbFormat = sizeof(Header);
  }
  return OwnedMediaType(std::move(mediaType));
}

}  // namespace

std::vector<OwnedMediaType> BuildMediaTypes(const std::vector<FormatProfile>& formats) {
  std::vector<OwnedMediaType> types;
  for (const FormatProfile& format : formats) {
    for (std::int64_t interval : format.frameIntervals) {
      types.push_back(format.extendedHeader ? MakeMediaType<VideoInfoHeader2>(format, interval, guids::FormatVideoInfo2)
                                            : MakeMediaType<VideoInfoHeader>(format, interval, guids::FormatVideoInfo));
    }
  }
  return types;
}

std::optional<std::size_t> FindMatchingMediaType(const std::vector<OwnedMediaType>& offered,
                                                 const AmMediaType& requested) {
  const BitmapInfoHeader* wanted = BitmapHeaderOf(requested);
  if (wanted == nullptr) return std::nullopt;
  for (std::size_t i = 0; i < offered.size(); ++i) {
    const AmMediaType& candidate = offered[i].Get();
    const BitmapInfoHeader* header = BitmapHeaderOf(candidate);
    if (header != nullptr && candidate.formattype == requested.formattype && candidate.subtype == requested.subtype &&
        header->biWidth == wanted->biWidth && header->biHeight == wanted->biHeight &&
        header->biBitCount == wanted->biBitCount && AvgTimePerFrameOf(candidate) == AvgTimePerFrameOf(requested)) {
      return i;
    }
  }
  return std::nullopt;
}

}  // namespace tavelo::platform::simulated
