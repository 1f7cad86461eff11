#include "camera/platform/media/StreamCodecs.h"

#include <cstdlib>
#include <cstring>

#include "camera/platform/Guid.h"

namespace tavelo::platform::media {
namespace {

struct VideoCoding {
  Guid subtype;
  AVCodecID codec;
  AVPixelFormat pixelFormat;  // raw only
  int bitsPerPixel;
};

// Raw pictures keep their layout in a file; coded ones are named by the four-character code AVI uses.
const VideoCoding kVideoCodings[] = {
    {guids::MediaSubtypeYUY2, AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_YUYV422, 16},
    {guids::MediaSubtypeRGB24, AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24, 24},
    {guids::MediaSubtypeRGB32, AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGRA, 32},
    {guids::MediaSubtypeNV12, AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_NV12, 12},
    {guids::MediaSubtypeMJPG, AV_CODEC_ID_MJPEG, AV_PIX_FMT_NONE, 24},
    {FourCCSubtype(MakeFourCC('F', 'M', 'P', '4')), AV_CODEC_ID_MPEG4, AV_PIX_FMT_NONE, 24},
    {FourCCSubtype(MakeFourCC('H', '2', '6', '4')), AV_CODEC_ID_H264, AV_PIX_FMT_NONE, 24},
};

struct AudioCoding {
  std::uint16_t formatTag;
  int bitsPerSample;  // 0: any (coded)
  AVCodecID codec;
};

const AudioCoding kAudioCodings[] = {
    {0x0001, 16, AV_CODEC_ID_PCM_S16LE},
    {0x0001, 8, AV_CODEC_ID_PCM_U8},
    {0x0055, 0, AV_CODEC_ID_MP3},
    {0x00FF, 0, AV_CODEC_ID_AAC},
};

Result DescribeVideo(const AmMediaType& mediaType, StreamDescription& out) {
  const VideoCoding* coding = nullptr;
  for (const VideoCoding& candidate : kVideoCodings) {
    if (candidate.subtype == mediaType.subtype) coding = &candidate;
  }
  if (coding == nullptr || mediaType.formattype != guids::FormatVideoInfo || mediaType.pbFormat == nullptr ||
      mediaType.cbFormat < kVideoInfoHeaderSize) {
    return kErrorInvalidMediaType;
  }
  VideoInfoHeader header;
  std::memcpy(&header, mediaType.pbFormat, sizeof header);
  if (header.bmiHeader.biWidth <= 0 || header.bmiHeader.biHeight == 0) return kErrorInvalidMediaType;
  out.kind = AVMEDIA_TYPE_VIDEO;
  out.codec = coding->codec;
  out.pixelFormat = coding->pixelFormat;
  // RGB bitmaps have no four-character code of their own; the other raw layouts are named by their subtype.
  const bool rgb = coding->pixelFormat == AV_PIX_FMT_BGR24 || coding->pixelFormat == AV_PIX_FMT_BGRA;
  out.rawTag = coding->codec == AV_CODEC_ID_RAWVIDEO && !rgb ? coding->subtype.data1 : 0;
  out.width = header.bmiHeader.biWidth;
  out.height = std::abs(header.bmiHeader.biHeight);
  out.bottomUp = rgb && header.bmiHeader.biHeight > 0;
  out.bitsPerPixel = coding->bitsPerPixel;
  out.timeBase = VideoTimeBase(header.AvgTimePerFrame);
  out.bitRate = header.dwBitRate;
  const std::uint32_t extraBytes = mediaType.cbFormat - kVideoInfoHeaderSize;
  out.extradata.assign(mediaType.pbFormat + kVideoInfoHeaderSize, mediaType.pbFormat + kVideoInfoHeaderSize + extraBytes);
  return kOk;
}

Result DescribeAudio(const AmMediaType& mediaType, StreamDescription& out) {
  if (mediaType.formattype != guids::FormatWaveFormatEx || mediaType.pbFormat == nullptr ||
      mediaType.cbFormat < sizeof(WaveFormatEx)) {
    return kErrorInvalidMediaType;
  }
  WaveFormatEx wave;
  std::memcpy(&wave, mediaType.pbFormat, sizeof wave);
  const AudioCoding* coding = nullptr;
  for (const AudioCoding& candidate : kAudioCodings) {
    if (candidate.formatTag == wave.wFormatTag &&
        (candidate.bitsPerSample == 0 || candidate.bitsPerSample == wave.wBitsPerSample)) {
      coding = &candidate;
    }
  }
  if (coding == nullptr || wave.nChannels == 0 || wave.nSamplesPerSec == 0) return kErrorInvalidMediaType;
  if (coding->bitsPerSample != 0 && wave.nBlockAlign != wave.nChannels * coding->bitsPerSample / 8) {
    return kErrorInvalidMediaType;
  }
  out.kind = AVMEDIA_TYPE_AUDIO;
  out.codec = coding->codec;
  out.sampleRate = static_cast<int>(wave.nSamplesPerSec);
  out.channels = wave.nChannels;
  out.blockAlign = wave.nBlockAlign;
  out.bitsPerSample = wave.wBitsPerSample;
  out.bitRate = static_cast<std::int64_t>(wave.nAvgBytesPerSec) * 8;
  out.timeBase = AVRational{1, out.sampleRate};
  const std::uint32_t extraBytes = std::min<std::uint32_t>(wave.cbSize, mediaType.cbFormat - sizeof wave);
  out.extradata.assign(mediaType.pbFormat + sizeof wave, mediaType.pbFormat + sizeof wave + extraBytes);
  return kOk;
}

std::uint8_t* CopyExtradata(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return nullptr;
  auto* copy = static_cast<std::uint8_t*>(av_mallocz(bytes.size() + AV_INPUT_BUFFER_PADDING_SIZE));
  if (copy != nullptr) std::memcpy(copy, bytes.data(), bytes.size());
  return copy;
}

}  // namespace

Result DescribeStream(const AmMediaType& mediaType, StreamDescription& out) {
  out = StreamDescription{};
  if (mediaType.majortype == guids::MediaTypeVideo) return DescribeVideo(mediaType, out);
  if (mediaType.majortype == guids::MediaTypeAudio) return DescribeAudio(mediaType, out);
  return kErrorInvalidMediaType;
}

void FillCodecParameters(const StreamDescription& stream, AVCodecParameters& out) {
  out.codec_type = stream.kind;
  out.codec_id = stream.codec;
  // A coded stream gets the container's own tag for its codec; a raw picture is named by its layout, and a
  // container without a name for it (ASF for RGB bitmaps) refuses it.
  out.codec_tag = stream.rawTag;
  out.bit_rate = stream.bitRate;
  av_freep(&out.extradata);
  out.extradata_size = 0;
  if (std::uint8_t* extradata = CopyExtradata(stream.extradata)) {
    out.extradata = extradata;
    out.extradata_size = static_cast<int>(stream.extradata.size());
  }
  if (stream.kind == AVMEDIA_TYPE_VIDEO) {
    out.width = stream.width;
    out.height = stream.height;
    out.format = stream.pixelFormat;
    out.bits_per_coded_sample = stream.bitsPerPixel;
    out.sample_aspect_ratio = AVRational{1, 1};
  } else {
    out.sample_rate = stream.sampleRate;
    av_channel_layout_default(&out.ch_layout, stream.channels);
    out.block_align = stream.codec == AV_CODEC_ID_PCM_S16LE || stream.codec == AV_CODEC_ID_PCM_U8 ? stream.blockAlign : 0;
    out.bits_per_coded_sample = stream.codec == AV_CODEC_ID_PCM_S16LE || stream.codec == AV_CODEC_ID_PCM_U8
                                    ? stream.bitsPerSample
                                    : 0;
    if (stream.codec == AV_CODEC_ID_PCM_S16LE) out.format = AV_SAMPLE_FMT_S16;
    if (stream.codec == AV_CODEC_ID_PCM_U8) out.format = AV_SAMPLE_FMT_U8;
  }
}

AVRational VideoTimeBase(std::int64_t avgTimePerFrame) {
  if (avgTimePerFrame <= 0) return AVRational{1, 30};
  AVRational base{1, 30};
  av_reduce(&base.num, &base.den, avgTimePerFrame, 10'000'000, 65535);
  return base;
}

Guid VideoSubtypeOf(AVCodecID codec) {
  for (const VideoCoding& coding : kVideoCodings) {
    if (coding.codec == codec && codec != AV_CODEC_ID_RAWVIDEO) return coding.subtype;
  }
  return Guid{};
}

std::uint16_t WaveFormatTagOf(AVCodecID codec) {
  for (const AudioCoding& coding : kAudioCodings) {
    if (coding.codec == codec) return coding.formatTag;
  }
  return 0;
}

OwnedMediaType CodedVideoType(const VideoInfoHeader& input, AVCodecID codec, const std::uint8_t* extradata,
                              int extradataSize) {
  const Guid subtype = VideoSubtypeOf(codec);
  VideoInfoHeader header = input;
  header.bmiHeader.biSize = 40 + static_cast<std::uint32_t>(extradataSize);
  header.bmiHeader.biHeight = std::abs(input.bmiHeader.biHeight);
  header.bmiHeader.biBitCount = 24;
  header.bmiHeader.biCompression = subtype.data1;
  header.bmiHeader.biSizeImage =
      static_cast<std::uint32_t>(header.bmiHeader.biWidth) * static_cast<std::uint32_t>(header.bmiHeader.biHeight) * 3;
  header.dwBitRate = 0;
  AmMediaType type = MakeVideoInfoMediaType(subtype, header, false, 0);
  type.bTemporalCompression = codec != AV_CODEC_ID_MJPEG;
  if (extradataSize > 0) {
    auto* block = static_cast<std::uint8_t*>(TaskMemAlloc(kVideoInfoHeaderSize + extradataSize));
    if (block != nullptr) {
      std::memcpy(block, type.pbFormat, kVideoInfoHeaderSize);
      std::memcpy(block + kVideoInfoHeaderSize, extradata, static_cast<std::size_t>(extradataSize));
      TaskMemFree(type.pbFormat);
      type.pbFormat = block;
      type.cbFormat = kVideoInfoHeaderSize + static_cast<std::uint32_t>(extradataSize);
    }
  }
  return OwnedMediaType(std::move(type));
}

OwnedMediaType CodedAudioType(AVCodecID codec, int sampleRate, int channels, std::int64_t bitRate, int blockAlign,
                              const std::uint8_t* extradata, int extradataSize) {
  WaveFormatEx wave;
  wave.wFormatTag = WaveFormatTagOf(codec);
  wave.nChannels = static_cast<std::uint16_t>(channels);
  wave.nSamplesPerSec = static_cast<std::uint32_t>(sampleRate);
  wave.nAvgBytesPerSec = static_cast<std::uint32_t>(bitRate / 8);
  wave.nBlockAlign = static_cast<std::uint16_t>(blockAlign);
  wave.wBitsPerSample = codec == AV_CODEC_ID_PCM_S16LE ? 16 : 0;
  wave.cbSize = static_cast<std::uint16_t>(extradataSize);
  AmMediaType type;
  type.majortype = guids::MediaTypeAudio;
  type.subtype = FourCCSubtype(wave.wFormatTag);
  type.bFixedSizeSamples = codec == AV_CODEC_ID_PCM_S16LE;
  type.lSampleSize = codec == AV_CODEC_ID_PCM_S16LE ? static_cast<std::uint32_t>(blockAlign) : 0;
  type.formattype = guids::FormatWaveFormatEx;
  const std::uint32_t size = sizeof wave + static_cast<std::uint32_t>(extradataSize);
  type.pbFormat = static_cast<std::uint8_t*>(TaskMemAlloc(size));
  if (type.pbFormat != nullptr) {
    type.cbFormat = size;
    std::memcpy(type.pbFormat, &wave, sizeof wave);
    if (extradataSize > 0) std::memcpy(type.pbFormat + sizeof wave, extradata, static_cast<std::size_t>(extradataSize));
  }
  return OwnedMediaType(std::move(type));
}

}  // namespace tavelo::platform::media
