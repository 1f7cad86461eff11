#pragma once

// The one sound format audio capture pins deliver: 16-bit signed little-endian samples, channels
// interleaved, described by a wave format block (FormatWaveFormatEx). Receivers read the format back
// from the media type with PcmFormatOf instead of trusting the block's derived fields.

#include <cstdint>
#include <optional>

#include "camera/platform/MediaType.h"
#include "camera/platform/common/OwnedMediaType.h"

namespace tavelo::platform {

struct PcmFormat {
  std::uint32_t sampleRate = 48000;
  std::uint16_t channels = 2;

  // Bytes of one sample frame (one sample of every channel).
  std::uint32_t FrameBytes() const { return 2u * channels; }
  friend bool operator==(const PcmFormat&, const PcmFormat&) = default;
};

// MediaTypeAudio / MediaSubtypePCM / FormatWaveFormatEx, fixed-size samples of one frame each.
OwnedMediaType PcmMediaType(const PcmFormat& format);

// The format of a PCM media type whose wave block is consistent (16 bits, block alignment and byte rate
// matching the channels and rate); nothing for any other type.
std::optional<PcmFormat> PcmFormatOf(const AmMediaType& mediaType);

}  // namespace tavelo::platform
