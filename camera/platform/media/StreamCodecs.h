#pragma once

// What a stream's media type means to FFmpeg: which codec, picture or sound layout and time base. One
// table for video and one for sound tie the platform's subtypes to FFmpeg's codecs, both ways: the
// multiplexer describes its inputs with it, and a compressor names what it passes on.

#include <cstdint>
#include <vector>

#include "camera/platform/MediaType.h"
#include "camera/platform/Result.h"
#include "camera/platform/common/OwnedMediaType.h"
#include "camera/platform/media/FfmpegTypes.h"

namespace tavelo::platform::media {

struct StreamDescription {
  AVMediaType kind = AVMEDIA_TYPE_UNKNOWN;
  AVCodecID codec = AV_CODEC_ID_NONE;
  AVRational timeBase{1, 1};
  std::int64_t bitRate = 0;
  std::vector<std::uint8_t> extradata;
  // Video.
  AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;  // of raw pictures; none for coded ones
  std::uint32_t rawTag = 0;  // a raw picture's four-character code (0 for RGB bitmaps), as files name it
  int width = 0;
  int height = 0;
  bool bottomUp = false;  // raw RGB rows last row first, as bitmaps keep them
  int bitsPerPixel = 0;
  // Sound.
  int sampleRate = 0;
  int channels = 0;
  int blockAlign = 0;     // bytes of one sample frame (all channels) of PCM
  int bitsPerSample = 0;
};

// kErrorInvalidMediaType for a type that is neither a known video nor a known sound coding, or whose
// format block is missing or too short.
Result DescribeStream(const AmMediaType& mediaType, StreamDescription& out);
void FillCodecParameters(const StreamDescription& stream, AVCodecParameters& out);

// The time base of frames at `avgTimePerFrame` (100 ns units): one tick per frame, as near as a
// denominator of at most 65535 allows (the limit MPEG-4 part 2 sets); 1/30 when the rate is unknown.
AVRational VideoTimeBase(std::int64_t avgTimePerFrame);

// The subtype that names a coded video stream of `codec` (what a compressor passes on); null when none.
Guid VideoSubtypeOf(AVCodecID codec);
std::uint16_t WaveFormatTagOf(AVCodecID codec);  // 0 when none

// The media types compressors pass on: the input's picture with the coded subtype, or a wave format
// block with the codec's tag; the codec's private data follows the header in both.
OwnedMediaType CodedVideoType(const VideoInfoHeader& input, AVCodecID codec, const std::uint8_t* extradata,
                              int extradataSize);
OwnedMediaType CodedAudioType(AVCodecID codec, int sampleRate, int channels, std::int64_t bitRate, int blockAlign,
                              const std::uint8_t* extradata, int extradataSize);

}  // namespace tavelo::platform::media
