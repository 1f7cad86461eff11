#include "camera/platform/common/PcmFormat.h"

#include <cstring>

namespace tavelo::platform {

OwnedMediaType PcmMediaType(const PcmFormat& format) {
  WaveFormatEx wave;
  wave.wFormatTag = 1;
  wave.nChannels = format.channels;
  wave.nSamplesPerSec = format.sampleRate;
  wave.nBlockAlign = static_cast<std::uint16_t>(format.FrameBytes());
  wave.nAvgBytesPerSec = format.sampleRate * format.FrameBytes();
  wave.wBitsPerSample = 16;
  wave.cbSize = 0;

  AmMediaType mt;
  mt.majortype = guids::MediaTypeAudio;
  mt.subtype = guids::MediaSubtypePCM;
  mt.bFixedSizeSamples = 1;
  mt.bTemporalCompression = 0;
  mt.lSampleSize = wave.nBlockAlign;
  mt.formattype = guids::FormatWaveFormatEx;
  mt.pbFormat = static_cast<std::uint8_t*>(TaskMemAlloc(sizeof wave));
  if (mt.pbFormat != nullptr) {
    std::memcpy(mt.pbFormat, &wave, sizeof wave);
    mt.cbFormat = sizeof wave;
  }
  return OwnedMediaType(std::move(mt));
}

std::optional<PcmFormat> PcmFormatOf(const AmMediaType& mediaType) {
  if (mediaType.majortype != guids::MediaTypeAudio || mediaType.subtype != guids::MediaSubtypePCM ||
      mediaType.formattype != guids::FormatWaveFormatEx || mediaType.pbFormat == nullptr ||
      mediaType.cbFormat < sizeof(WaveFormatEx)) {
    return std::nullopt;
  }
  WaveFormatEx wave;
  std::memcpy(&wave, mediaType.pbFormat, sizeof wave);
  const PcmFormat format{wave.nSamplesPerSec, wave.nChannels};
  if (wave.wFormatTag != 1 || wave.wBitsPerSample != 16 || format.channels == 0 || format.sampleRate == 0 ||
      wave.nBlockAlign != format.FrameBytes() || wave.nAvgBytesPerSec != format.sampleRate * format.FrameBytes()) {
    return std::nullopt;
  }
  return format;
}

}  // namespace tavelo::platform
