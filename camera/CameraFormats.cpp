// TFCamera: the video formats of the capture pin. Only video-info media types count; every media type
// received from the platform is disposed, on every path.

#include <cstring>

#include "camera/FCamera.h"

using namespace tavelo::platform;

namespace {

// Owns one media-type record handed out by the platform.
struct MediaTypeDisposer {
  void operator()(AmMediaType* mediaType) const { TFCamera::DisposeMediaType(mediaType); }
};
using OwnedMediaType = std::unique_ptr<AmMediaType, MediaTypeDisposer>;

bool IsUsable(const AmMediaType& mediaType) {
  return mediaType.formattype == guids::FormatVideoInfo && mediaType.cbFormat >= kVideoInfoHeaderSize;
}

VideoInfoHeader HeaderOf(const AmMediaType& mediaType) {
  VideoInfoHeader header;
  std::memcpy(&header, mediaType.pbFormat, sizeof header);  // the block carries no alignment promise
  return header;
}

bool Matches(const AmMediaType& mediaType, const TFCameraFormat& format) {
  if (!IsUsable(mediaType) || mediaType.pbFormat == nullptr) return false;
  const VideoInfoHeader header = HeaderOf(mediaType);
  return header.bmiHeader.biWidth == format.Width && header.bmiHeader.biHeight == format.Height &&
         header.AvgTimePerFrame == format.AvgTimePerFrame && header.bmiHeader.biBitCount == format.BitsPerPixel;
}

// The next media type of the enumerator; null at its end (any answer other than kOk).
OwnedMediaType NextMediaType(IEnumMediaTypes& mediaTypes, bool& ended) {
  AmMediaType* raw = nullptr;
  const Result result = mediaTypes.Next(raw);
  OwnedMediaType owned(raw);  // owned even when the enumerator handed one out with its end code
  ended = result != kOk;
  return owned;
}

}  // namespace

void TFCamera::ReleaseMediaType(AmMediaType& mediaType) { FreeMediaTypeContents(mediaType); }

void TFCamera::DisposeMediaType(AmMediaType* mediaType) { DeleteMediaType(mediaType); }

TFCameraFormat TFCamera::MediaTypeToFormat(const AmMediaType& mediaType) {
  Check(mediaType.pbFormat != nullptr, CameraMessages::InvalidMediaHeader);
  // Callers test the size first; a shorter block must never be read as a whole header.
  Check(mediaType.cbFormat >= kVideoInfoHeaderSize, CameraMessages::IncorrectFormatSize);
  const VideoInfoHeader header = HeaderOf(mediaType);
  TFCameraFormat format;
  format.Width = header.bmiHeader.biWidth;
  format.Height = header.bmiHeader.biHeight;
  format.AvgTimePerFrame = header.AvgTimePerFrame;
  format.FixedSizeSamples = mediaType.bFixedSizeSamples != 0;
  format.TemporalCompression = mediaType.bTemporalCompression != 0;
  format.SampleSize = static_cast<std::int32_t>(mediaType.lSampleSize);
  format.Source = header.rcSource;
  format.Target = header.rcTarget;
  format.BitRate = static_cast<std::int32_t>(header.dwBitRate);
  format.BitErrorRate = static_cast<std::int32_t>(header.dwBitErrorRate);
  format.BitsPerPixel = header.bmiHeader.biBitCount;
  std::memcpy(format.Compression.data(), &header.bmiHeader.biCompression, format.Compression.size());
  format.XPelsPerMeter = header.bmiHeader.biXPelsPerMeter;
  format.YPelsPerMeter = header.bmiHeader.biYPelsPerMeter;
  return format;
}

TFCameraFormats TFCamera::SupportedFormats() {
  CheckDevice();
  const auto pin = CapturePin();
  CheckInterface(pin.get(), QStringLiteral("Capture IPin"));
  std::shared_ptr<IEnumMediaTypes> mediaTypes;
  CheckResult(pin->EnumMediaTypes(mediaTypes));
  CheckInterface(mediaTypes.get(), QStringLiteral("IEnumMediaTypes"));

  TFCameraFormats formats;
  for (bool ended = false;;) {
    const OwnedMediaType mediaType = NextMediaType(*mediaTypes, ended);
    if (ended) break;
    if (mediaType && IsUsable(*mediaType)) formats.push_back(MediaTypeToFormat(*mediaType));
  }
  return formats;
}

TFCameraFormat TFCamera::Format() {
  CheckDevice();
  const auto streamConfig = AMStreamConfig();
  CheckInterface(streamConfig.get(), QStringLiteral("IAMStreamConfig"));
  AmMediaType* raw = nullptr;
  const Result result = streamConfig->GetFormat(raw);
  const OwnedMediaType mediaType(raw);
  CheckResult(result);
  Check(mediaType != nullptr, CameraMessages::InvalidMediaHeader);
  Check(mediaType->formattype == guids::FormatVideoInfo, CameraMessages::IncorrectFormatType);
  Check(mediaType->cbFormat >= kVideoInfoHeaderSize, CameraMessages::IncorrectFormatSize);
  return MediaTypeToFormat(*mediaType);
}

void TFCamera::SetFormat(const TFCameraFormat& value) {
  CheckDevice();
  const auto pin = CapturePin();
  CheckInterface(pin.get(), QStringLiteral("Capture IPin"));
  std::shared_ptr<IEnumMediaTypes> mediaTypes;
  CheckResult(pin->EnumMediaTypes(mediaTypes));
  CheckInterface(mediaTypes.get(), QStringLiteral("IEnumMediaTypes"));

  // Only size, frame time and bit depth take part, so the first of several equal candidates wins.
  for (bool ended = false;;) {
    const OwnedMediaType mediaType = NextMediaType(*mediaTypes, ended);
    Check(!ended, CameraMessages::FormatNotFound);
    if (!mediaType || !Matches(*mediaType, value)) continue;
    const auto streamConfig = AMStreamConfig();
    CheckInterface(streamConfig.get(), QStringLiteral("IAMStreamConfig"));
    CheckResult(streamConfig->SetFormat(*mediaType));
    return;
  }
}
